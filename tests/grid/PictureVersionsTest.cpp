#include "grid/GridWidget.h"

#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>

namespace {

QImage filled(QColor colour)
{
    QImage image(200, 150, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A shown grid of red pictures whose larger versions, from a maker that
// records what it was asked for, are green; "gone" paths make none.
struct Zoomed : ::testing::Test {
    std::mutex lock;  // what the maker uses outlives the grid whose workers run it
    QStringList asked;
    CellStore cells{100, 100};
    GridWidget grid{cells};

    Zoomed()
    {
        grid.versions().setMaker([this](const PictureSource& source, int side, bool grey) {
            const std::lock_guard held(lock);
            asked << source.path + '@' + QString::number(side) + (grey ? " grey" : "");
            return source.path.contains("gone") ? QImage() : Picture::fitted(filled(Qt::green), side, grey);
        });
        grid.resize(400, 300);
        grid.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }
    void place(int row, int col, const QString& path, bool grey = false)
    {
        cells.setImage(row, col, Picture::fromSource(filled(Qt::red), grey, {path, 200, 200}), path);
    }
    void zoomTo(int pixels)
    {
        grid.setColWidth(pixels * 15);
        grid.setRowHeight(pixels * 15);
    }
    // Paints until no version is waiting or being made.
    QImage settled()
    {
        grid.viewport()->repaint();
        EXPECT_TRUE(QTest::qWaitFor([&] { return grid.versions().busy() == 0; }));
        QCoreApplication::processEvents();
        return grid.viewport()->grab().toImage();
    }
    // What shows in the middle of a cell: 'v' the version, 's' the small
    // version, in capitals when grey (green is the lighter grey).
    static char shown(const QImage& shot, int row, int col, int pixels)
    {
        const QColor seen = shot.pixelColor(col * pixels + pixels / 2, row * pixels + pixels / 2);
        const auto greyOf = [](QColor colour) {
            return filled(colour).convertToFormat(QImage::Format_Grayscale8).pixelColor(0, 0).red();
        };
        if (seen.red() == seen.green() && seen.green() == seen.blue())
            return std::abs(seen.red() - greyOf(Qt::green)) < std::abs(seen.red() - greyOf(Qt::red)) ? 'V' : 'S';
        return seen.green() > seen.red() ? 'v' : 's';
    }
};

} // namespace

TEST_F(Zoomed, CellsOnScreenShowTheirLargerVersionOnceItIsMadeAndOnlyThoseAreAsked)
{
    place(0, 0, "/p/a.jpg");
    place(1, 1, "/p/b.jpg", true);
    place(60, 60, "/p/far.jpg");  // off the screen
    place(0, 1, "/p/gone.jpg");
    // Small cells draw the small version and ask for nothing.
    zoomTo(40);
    QImage shot = settled();
    EXPECT_TRUE(asked.isEmpty() && shown(shot, 0, 0, 40) == 's' && shown(shot, 1, 1, 40) == 'S');

    zoomTo(100);
    shot = settled();
    asked.sort();
    EXPECT_EQ(asked, (QStringList{"/p/a.jpg@128", "/p/b.jpg@128 grey", "/p/gone.jpg@128"}));
    // A grey picture's version is grey too: the maker was told.
    const std::string three{shown(shot, 0, 0, 100), shown(shot, 1, 1, 100), shown(shot, 0, 1, 100)};
    EXPECT_EQ(three, "vVs");
    asked.clear();
    settled();  // a source that makes nothing is not asked again
    EXPECT_TRUE(asked.isEmpty());

    zoomTo(140);  // larger cells need the whole thumbnail
    shot = settled();
    asked.sort();
    EXPECT_EQ(asked, (QStringList{"/p/a.jpg@256", "/p/b.jpg@256 grey", "/p/gone.jpg@256"}));
    EXPECT_EQ(shown(shot, 0, 0, 140), 'v');

    // Moved cells take their pictures along: nothing is made again.
    asked.clear();
    const Picture moved = cells.CellPicture(0, 0);
    cells.clearImage(0, 0);
    cells.setImage(1, 0, moved, "/p/a.jpg");
    shot = settled();
    EXPECT_TRUE(asked.isEmpty() && shown(shot, 1, 0, 140) == 'v');
}

TEST(PictureVersions, AVersionPushedOutOfTheBudgetIsMadeAfreshWhenAskedForAgain)
{
    std::atomic<int> made = 0;
    PictureVersions versions(nullptr, qint64{128} * 128 * 4);  // room for one version
    versions.setMaker([&](const PictureSource&, int side, bool grey) {
        ++made;
        return Picture::fitted(filled(Qt::green), side, grey);
    });
    const Picture a = Picture::fromSource(filled(Qt::red), false, {"/p/a.jpg", 200, 200});
    const Picture b = Picture::fromSource(filled(Qt::red), false, {"/p/b.jpg", 200, 200});
    const auto madeFor = [&](const Picture& picture) {
        versions.best(picture, 128);
        EXPECT_TRUE(QTest::qWaitFor([&] { return versions.busy() == 0; }));
        return versions.best(picture, 128).pixelColor(0, 0) == QColor(Qt::green);
    };
    EXPECT_TRUE(madeFor(a) && madeFor(b) && !versions.isReady(a, 128) && madeFor(a));
    EXPECT_EQ(made, 3);
}
