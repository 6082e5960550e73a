#include "ui/ShownWindow.h"

#include <QPushButton>

// Shown at the lower right of the wall for an existing file, with an Open
// button for the file shown; the photograph whole, centred and upright, and
// sharpened in its shape when the window grows.
TEST_F(ShownWindow, ThePreviewShowsAnExistingFileWholeAndUprightAtTheLowerRightOfTheWallAndOpensTheFileShown)
{
    w.setGeometry(30, 20, 1024, 720);
    const auto show = [&](int col) {
        grid.Select(0, col);
        w.PreviewCurrentCell();
        return w.previewIfOpen();
    };
    const QString a = put(0, 0, "a.jpg"), gone = put(0, 2, "gone.jpg");
    // Stored 1052 x 780 and turned by its EXIF tag: upright 780 x 1052, red above blue.
    TestImages::write(a, TestImages::jpeg(1052, 780, 6));
    frmPreview* preview = show(0);
    ASSERT_NE(preview, nullptr);
    const PreviewPicture& picture = preview->Picture1();  // decoded no larger than it is shown
    EXPECT_TRUE(preview->isVisible() && preview->size() == QSize(584, 566)
                && picture.picture().size() == QSize(419, 566) && picture.shownRect() == QRect(82, 0, 419, 566));
    const QImage shot = preview->grab().toImage();
    EXPECT_TRUE(shot.pixelColor(40, 283) == QColor("#404040") && shot.pixelColor(560, 283) == QColor("#404040"));
    EXPECT_TRUE(shot.pixelColor(291, 5).red() > 200 && shot.pixelColor(291, 560).blue() > 200);
    // Its inner right edge 650 twips (43 px) inside the main window's outer
    // right edge; its inner bottom 200 twips (13 px) below the wall's, not the menu bar's.
    const QRect frame = w.frameGeometry();
    const QPoint placed(frame.right() + 1 - preview->width() - 43,
                        frame.top() + grid.height() - preview->height() + 13);
    EXPECT_TRUE(preview->pos() == placed && grid.height() < w.height());

    show(2)->findChild<QPushButton*>("cmd(0)")->click();
    QFile::remove(gone);
    preview->cmd_Click(0);  // the file is gone: no launch
    EXPECT_TRUE(platform.opened == QList<QUrl>{QUrl::fromLocalFile(gone)} && platform.messages.isEmpty());
    TestImages::write(gone, "no longer a picture");
    show(2);
    EXPECT_TRUE(picture.picture().isNull());  // nothing of the picture before it, which Delete would not take
    // Dragged away it stays; grown wider than the photograph but less tall,
    // it is decoded afresh in its shape; closed by the user it opens in its place again.
    preview->move(0, 0);
    EXPECT_EQ(show(0)->pos(), QPoint(0, 0));
    preview->resize(1000, 600);
    EXPECT_TRUE(QTest::qWaitFor([&] { return picture.picture().size() == QSize(444, 600); }, 3000));
    preview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(show(0)->pos(), placed);
}
