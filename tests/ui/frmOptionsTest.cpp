#include "grid/GridWidget.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "shell/MainModule.h"
#include "ui/frmMain.h"
#include "ui/frmOptions.h"
#include "view/frmPreview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The main window with its Options dialog open.
struct OptionsFixture : ::testing::Test {
    FakePlatform platform;
    frmMain w;
    QPointer<frmOptions> dialog;
    const MainState& s = w.state();

    OptionsFixture() { open(); }
    void open()
    {
        w.mnuOptions->trigger();
        for (frmOptions* shown : w.findChildren<frmOptions*>())
            if (shown->isVisible())
                dialog = shown;
    }
    QLineEdit* box(int i) { return dialog->findChild<QLineEdit*>(QString("txt(%1)").arg(i)); }
    QComboBox* quality() { return dialog->findChild<QComboBox*>("cboQuality"); }
    void ok() { dialog->findChild<QPushButton*>("cmdOK")->click(); }
    // Lets the dialog's deferred deletion happen.
    bool closed()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !dialog;
    }
    void editEverything(const char* cols, int entry)
    {
        box(1)->setText(cols);
        box(2)->setText("12.5");
        quality()->setCurrentIndex(entry);
        for (const char* name : {"chkMono", "chkHideGridlines", "chkHidePreview"})
            dialog->findChild<QCheckBox*>(name)->toggle();
    }
};

} // namespace

TEST(Options, GridSizesRoundHalvesToEvenAndRejectWhatIsNoCount)
{
    for (auto [text, value] : {std::pair{"2.5", 2}, {"3.5", 4}, {"1e2", 100}, {" 0.6 ", 1}, {"2147483647", 2147483647}})
        EXPECT_EQ(GridSizeFromText(text), value) << text;
    for (const char* refused : {"0", "-5", "abc", "", "2147483648", "inf", "5x"})
        EXPECT_FALSE(GridSizeFromText(refused).has_value()) << refused;
}

TEST_F(OptionsFixture, OpensOnceWithTheSettingsInForceAndNoToThePerfectWarningCancelOrTheCloseBoxChangeNothing)
{
    ASSERT_TRUE(dialog && dialog->windowTitle() == "Options" && dialog->windowModality() == Qt::NonModal);
    QStringList captions;  // every named control with its text or title, + when checked
    for (QWidget* child : dialog->findChildren<QWidget*>(QRegularExpression("^(txt|Label|Frame|chk|cbo|cmd)")))
        captions << child->objectName() + '=' + child->property("text").toString().left(24)
                        + child->property("title").toString() + child->property("currentText").toString()
                        + (child->property("checked").toBool() ? "+" : "");
    captions.sort();
    EXPECT_EQ(captions.join(" | ").toStdString(),
              "Frame1=Monochrome Images | Frame2=Grid Size | Label1(1)=Columns | Label1(2)=Rows | "
              "Label2=Thumb Image Quality | Label3=This mode creates lower  | cboQuality=Very Low (Fastest) | "
              "chkHideGridlines=Hide Gridlines | chkHidePreview=Hide Preview Window | chkMono=+ | "
              "cmdCancel=Cancel | cmdOK=OK | txt(1)=100 | txt(2)=100");
    QStringList entries;
    for (int i = 0; i < quality()->count(); ++i)
        entries << quality()->itemText(i);
    EXPECT_EQ(entries.join('|'), "Very Low (Fastest)|Low|Medium|High|Perfect (Slowest)");
    const QPointer<frmOptions> first = dialog;
    open();
    EXPECT_TRUE(dialog == first && w.findChildren<frmOptions*>().size() == 1);

    editEverything("3", 4);
    platform.messageAnswers = {MsgAnswer::No};
    ok();
    const AskedMessage asked = platform.messages.value(0);
    EXPECT_EQ(asked.text, "This will consume a VAST amount of memory and may lock up your computer if you have a "
                          "lot of images.\n\nContinue?");
    EXPECT_TRUE(asked.title == "WARNING" && asked.icon == MsgIcon::Question && asked.buttons == MsgButtons::YesNo);
    EXPECT_TRUE(!closed() && dialog->isVisible());
    dialog->findChild<QPushButton*>("cmdCancel")->click();
    const QPointer<frmOptions> cancelled = dialog;
    open();  // at once, while the cancelled one waits to go
    EXPECT_TRUE(dialog != cancelled && !closed() && !cancelled);
    editEverything("3", 2);
    dialog->close();
    EXPECT_TRUE(closed() && s.GridCols == 100 && s.GridRows == 100 && s.CellCount == 10000 && w.cells().Cols() == 100);
    EXPECT_TRUE(s.ThumbMaxHeight == 200 && s.MonoImages && !s.HideGridLines && !s.HidePreview && w.fg().hasGridLines());

    open();
    quality()->setCurrentIndex(4);
    ok();  // Yes
    EXPECT_TRUE(s.ThumbMaxHeight == 0 && s.ThumbMaxWidth == 0 && closed() && platform.messages.size() == 2);
}

TEST_F(OptionsFixture, OkResizesInPlaceOnlyWithTheUsersWordForWhatItLeavesOutAndAppliesEverySetting)
{
    QTemporaryDir dir;
    TestImages::write(dir.filePath("a.jpg"), TestImages::jpeg(40, 30));
    CellStore& cells = w.cells();
    cells.setImage(50, 50, QImage(4, 4, QImage::Format_Grayscale8), dir.filePath("a.jpg"));
    cells.setImage(5, 5, QImage(4, 4, QImage::Format_Grayscale8), dir.filePath("a.jpg"));
    cells.setImage(11, 0, QImage(4, 4, QImage::Format_Grayscale8), dir.filePath("a.jpg"));
    cells.hideImage(11, 0);  // hidden by a search, an image all the same
    cells.setCellText(20, 2, "a text");
    w.state().ImageCount = 3;
    w.fg().Select(5, 5);
    w.PreviewCurrentCell();
    editEverything("10", 3);
    platform.messageAnswers = {MsgAnswer::No};
    ok();
    const AskedMessage asked = platform.messages.value(0);
    EXPECT_EQ(asked.text, "A grid of 10 columns and 12 rows leaves out 1 images and 1 texts of the wall.\n\n"
                          "Make the grid smaller?");
    EXPECT_TRUE(asked.title == AppTitle && asked.icon == MsgIcon::Question && asked.buttons == MsgButtons::YesNo);
    // No keeps the size; every other setting applies.
    EXPECT_TRUE(s.GridCols == 100 && s.GridRows == 100 && cells.Cols() == 100 && cells.occupiedCount() == 4);
    EXPECT_TRUE(s.ThumbMaxHeight == 3000 && s.ThumbMaxWidth == 3000);
    EXPECT_TRUE(s.HidePreview && s.HideGridLines && !s.MonoImages && cells.PictureType() == CellStore::Colour);
    EXPECT_TRUE(!w.fg().hasGridLines() && !w.previewIfOpen()->isVisible() && closed());

    open();
    box(1)->setText("10");
    box(2)->setText("12");
    ok();  // Yes
    EXPECT_TRUE(s.GridCols == 10 && s.GridRows == 12 && s.CellCount == 120 && s.ImageCount == 2);
    EXPECT_TRUE(cells.Cols() == 10 && cells.Rows() == 12 && cells.occupiedCount() == 2 && closed());
    EXPECT_TRUE(w.windowTitle().contains("2 Images [120 cells]")) << qPrintable(w.windowTitle());

    open();
    EXPECT_TRUE(box(1)->text() == "10" && quality()->currentText() == "High");
    box(1)->setText("-5");
    box(2)->setText("2000000000");  // any size works: the grid costs what it holds
    QTest::keyClick(box(1), Qt::Key_Return);  // Enter is OK
    EXPECT_TRUE(s.GridCols == 10 && cells.Rows() == 2000000000 && closed());
    EXPECT_EQ(s.CellCount, 120);  // beyond 32 bits the last count stays
    w.fg().ShowCell(1999999999, 9);
    EXPECT_FALSE(w.fg().grab().isNull());
}
