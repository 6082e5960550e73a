#include "Desktop.h"

#include <QColor>
#include <QDir>
#include <QRegularExpression>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// A folder tree of photograph-like pictures, one hue each, so that a
// screenshot shows which image lies where.
QStringList makeTree(const QString& root, int count)
{
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString folder = root + (i < count / 2 ? "" : "/later");
        QDir().mkpath(folder);
        QImage picture(320, 240, QImage::Format_RGB32);
        QPainter painter(&picture);
        const QColor sky = QColor::fromHsv((i * 37) % 360, 120, 240);
        const QColor ground = QColor::fromHsv((i * 37 + 120) % 360, 200, 120);
        QLinearGradient fade(0, 0, 0, 240);
        fade.setColorAt(0, sky);
        fade.setColorAt(1, ground);
        painter.fillRect(picture.rect(), fade);
        QRadialGradient sun(80 + (i * 53) % 160, 70, 40);
        sun.setColorAt(0, Qt::white);
        sun.setColorAt(1, Qt::transparent);
        painter.fillRect(picture.rect(), sun);
        painter.end();
        paths.append(folder + QString("/photo%1.jpg").arg(i, 3, 10, QChar('0')));
        picture.save(paths.last(), "jpeg", 85);
    }
    return paths;
}

// The share of a part of the screen showing pictures: pixels neither black
// nor the grey of the grid lines.
double pictureShare(const QImage& shot, const QRect& part)
{
    const QColor line(96, 96, 96);
    qint64 shown = 0;
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            shown += c.value() > 24 && c != line;
        }
    return double(shown) / (qint64(part.width()) * part.height());
}

} // namespace

TEST(RealWindow, AddImagesThroughTheMenuAndTheFolderDialogLoadsTheTreeAndShowsThePreview)
{
    QTemporaryDir photos;
    const QStringList paths = makeTree(photos.path(), 30);
    Pavisto pavisto;
    ASSERT_FALSE(pavisto.mainWindow().isEmpty());
    pavisto.focus();
    pavisto.openMenu(20);  // File
    Desktop::keys({"Down", "Return"});  // Add Images (jpg only)
    ASSERT_FALSE(pavisto.waitForWindow("^Select Folder with images in it").isEmpty());
    Desktop::type(photos.path());
    Desktop::keys({"Return"});
    ASSERT_TRUE(pavisto.waitForTitle([](const QString& t) { return t.contains("]   30 Images [10,000 cells]"); }))
        << pavisto.title().toStdString();
    EXPECT_TRUE(pavisto.title().startsWith("Pavisto 1-1  " + paths[0] + "  [Zoom Level 0]"));
    EXPECT_FALSE(pavisto.waitForWindow("^" + QRegularExpression::escape(paths[0]) + "$").isEmpty());
    // Thirty images fill the first column: 210 pixels of 7-pixel cells
    // below the menu bar.
    const QImage shot = Desktop::grab(pavisto.mainWindow());
    shot.save(pavisto.home("shot.png"));
    EXPECT_GT(pictureShare(shot, {0, 40, 6, 150}), 0.5);
    EXPECT_LT(pictureShare(shot, {300, 300, 100, 100}), 0.05);  // empty cells
}

int main(int argc, char** argv)
{
    // The tests' own pictures need no display; the program gets the real one.
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    if (display.isEmpty()) {
        std::fprintf(stderr, "These tests need an X display: run them under xvfb-run.\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
