#include "grid/GridWidget.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "ui/frmMain.h"
#include "ui/frmOptions.h"
#include "view/frmPreview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The main window with its Options dialog open.
struct OptionsFixture : ::testing::Test {
    FakePlatform platform;
    frmMain w;
    QPointer<frmOptions> dialog;

    OptionsFixture() { open(); }
    void open()
    {
        w.mnuOptions->trigger();
        const auto open = w.findChildren<frmOptions*>();
        dialog = open.isEmpty() ? nullptr : open.last();
    }
    template <class Widget>
    Widget* control(const char* name)
    {
        return dialog->findChild<Widget*>(QString::fromUtf8(name));
    }
    QLineEdit* cols() { return control<QLineEdit>("txt(1)"); }
    QLineEdit* rows() { return control<QLineEdit>("txt(2)"); }
    QComboBox* quality() { return control<QComboBox>("cboQuality"); }
    QCheckBox* check(const char* name) { return control<QCheckBox>(name); }
    // Lets the dialog's deferred deletion happen.
    bool closed()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !dialog;
    }
};

} // namespace

TEST(Options, GridSizesRoundHalvesToEvenAndRejectWhatIsNoCount)
{
    EXPECT_EQ(GridSizeFromText("2.5"), 2);
    EXPECT_EQ(GridSizeFromText("3.5"), 4);
    EXPECT_EQ(GridSizeFromText("1e2"), 100);
    EXPECT_EQ(GridSizeFromText(" 7 "), 7);
    EXPECT_EQ(GridSizeFromText("0.6"), 1);
    EXPECT_EQ(GridSizeFromText("1,000"), 1000);
    EXPECT_EQ(GridSizeFromText("2147483647"), 2147483647);
    for (const char* refused : {"0", "-5", "abc", "", "0.4", "2147483648", "1e10", "inf", "nan", "5x"})
        EXPECT_FALSE(GridSizeFromText(QString::fromUtf8(refused)).has_value()) << refused;
}

TEST(Options, QualityEntriesAndTheEntryShownForAStoredLimit)
{
    EXPECT_EQ((QList<int>{QualityLimit(0), QualityLimit(1), QualityLimit(2), QualityLimit(3), QualityLimit(4)}),
              (QList<int>{100, 500, 1500, 3000, 0}));
    EXPECT_EQ(QualityLimit(-1), 0);  // nothing selected: full size
    for (int entry = 0; entry < 5; ++entry)
        EXPECT_EQ(QualityEntryFor(QualityLimit(entry)), entry);
    EXPECT_EQ(QualityEntryFor(200), 0);
    EXPECT_EQ(QualityEntryFor(777), -1);
}

TEST_F(OptionsFixture, OpensModelessWithItsControlsAndTheSettingsInForce)
{
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible() && dialog->windowModality() == Qt::NonModal);
    EXPECT_EQ(dialog->windowTitle(), "Options");
    EXPECT_EQ(cols()->text(), "100");
    EXPECT_EQ(rows()->text(), "100");
    QStringList entries;
    for (int i = 0; i < quality()->count(); ++i)
        entries.append(quality()->itemText(i));
    EXPECT_EQ(entries, (QStringList{"Very Low (Fastest)", "Low", "Medium", "High", "Perfect (Slowest)"}));
    EXPECT_EQ(quality()->currentText(), "Very Low (Fastest)");
    EXPECT_TRUE(check("chkMono")->isChecked() && check("chkMono")->text().isEmpty());
    EXPECT_FALSE(check("chkHideGridlines")->isChecked() || check("chkHidePreview")->isChecked());
    EXPECT_EQ(check("chkHideGridlines")->text(), "Hide Gridlines");
    EXPECT_EQ(check("chkHidePreview")->text(), "Hide Preview Window");
    EXPECT_EQ(control<QGroupBox>("Frame2")->title(), "Grid Size");
    EXPECT_EQ(control<QGroupBox>("Frame1")->title(), "Monochrome Images");
    EXPECT_EQ(check("chkMono")->parentWidget(), control<QGroupBox>("Frame1"));
    EXPECT_EQ(control<QLabel>("Label1(1)")->text(), "Columns");
    EXPECT_EQ(control<QLabel>("Label1(2)")->text(), "Rows");
    EXPECT_EQ(control<QLabel>("Label2")->text(), "Thumb Image Quality");
    EXPECT_TRUE(control<QLabel>("Label3")->text().startsWith("This mode creates lower quality pictures"));
    EXPECT_EQ(control<QPushButton>("cmdOK")->text(), "OK");
    EXPECT_EQ(control<QPushButton>("cmdCancel")->text(), "Cancel");

    // Opening it again shows the same dialog.
    QPointer<frmOptions> first = dialog;
    open();
    EXPECT_EQ(dialog, first);
    EXPECT_EQ(w.findChildren<frmOptions*>().size(), 1);
}

TEST_F(OptionsFixture, OkResizesInPlaceAndAppliesEverySetting)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.jpg");
    TestImages::write(path, TestImages::jpeg(40, 30));
    CellStore& cells = w.cells();
    cells.setImage(50, 50, QImage(4, 4, QImage::Format_Grayscale8), path);
    cells.setImage(5, 5, QImage(4, 4, QImage::Format_Grayscale8), path);
    w.state().ImageCount = 2;
    w.fg().Select(5, 5);
    w.PreviewCurrentCell();
    ASSERT_TRUE(w.previewIfOpen() && w.previewIfOpen()->isVisible());

    cols()->setText("10");
    rows()->setText("12.5");
    quality()->setCurrentIndex(3);
    check("chkMono")->setChecked(false);
    check("chkHideGridlines")->setChecked(true);
    check("chkHidePreview")->setChecked(true);
    control<QPushButton>("cmdOK")->click();
    const MainState& s = w.state();
    EXPECT_TRUE(s.GridCols == 10 && s.GridRows == 12 && s.CellCount == 120);
    EXPECT_TRUE(cells.Cols() == 10 && cells.Rows() == 12 && cells.occupiedCount() == 1);
    EXPECT_EQ(s.ImageCount, 2);
    EXPECT_TRUE(s.ThumbMaxHeight == 3000 && s.ThumbMaxWidth == 3000);
    EXPECT_TRUE(s.HidePreview && s.HideGridLines && !s.MonoImages);
    EXPECT_FALSE(w.fg().hasGridLines());
    EXPECT_EQ(cells.PictureType(), CellStore::Colour);
    EXPECT_FALSE(w.previewIfOpen()->isVisible());
    EXPECT_TRUE(w.windowTitle().contains("2 Images [120 cells]")) << qPrintable(w.windowTitle());
    EXPECT_TRUE(closed());

    // Refused numbers keep the size; the next dialog shows what is in force.
    open();
    EXPECT_TRUE(cols()->text() == "10" && quality()->currentText() == "High" && check("chkHidePreview")->isChecked());
    for (const char* refused : {"0", "-5", "abc", ""}) {
        cols()->setText(QString::fromUtf8(refused));
        control<QPushButton>("cmdOK")->click();
        EXPECT_EQ(s.GridCols, 10) << refused;
        open();
    }
    // Enter is OK.
    cols()->setText("1e2");
    QTest::keyClick(cols(), Qt::Key_Return);
    EXPECT_TRUE(s.GridCols == 100 && cells.Cols() == 100 && closed());
}

TEST_F(OptionsFixture, PerfectQualityAsksFirstAndNoKeepsEverything)
{
    cols()->setText("10");
    check("chkHideGridlines")->setChecked(true);
    quality()->setCurrentIndex(4);
    platform.messageAnswers = {MsgAnswer::No};
    control<QPushButton>("cmdOK")->click();
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].text, "This will consume a VAST amount of memory and may lock up your computer if "
                                         "you have a lot of images.\n\nContinue?");
    EXPECT_TRUE(platform.messages[0].title == "WARNING" && platform.messages[0].icon == MsgIcon::Question
                && platform.messages[0].buttons == MsgButtons::YesNo);
    EXPECT_TRUE(w.state().GridCols == 100 && w.cells().Cols() == 100 && w.state().ThumbMaxHeight == 200);
    EXPECT_TRUE(w.fg().hasGridLines() && !closed() && dialog->isVisible());

    control<QPushButton>("cmdOK")->click();  // Yes
    EXPECT_TRUE(w.state().ThumbMaxHeight == 0 && w.state().ThumbMaxWidth == 0 && w.state().GridCols == 10);
    EXPECT_TRUE(closed());
}

TEST_F(OptionsFixture, CancelEscapeAndTheCloseBoxChangeNothing)
{
    const auto editEverything = [this] {
        cols()->setText("3");
        rows()->setText("4");
        quality()->setCurrentIndex(2);
        check("chkMono")->setChecked(false);
        check("chkHideGridlines")->setChecked(true);
        check("chkHidePreview")->setChecked(true);
    };
    editEverything();
    control<QPushButton>("cmdCancel")->click();
    const QPointer<frmOptions> cancelled = dialog;
    open();  // at once, while the cancelled one waits to go
    EXPECT_TRUE(dialog != cancelled && dialog->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(!cancelled && dialog);
    editEverything();
    QTest::keyClick(cols(), Qt::Key_Escape);
    EXPECT_TRUE(closed());
    open();
    editEverything();
    dialog->close();
    EXPECT_TRUE(closed());
    const MainState& s = w.state();
    EXPECT_TRUE(s.GridCols == 100 && s.GridRows == 100 && s.CellCount == 10000 && s.ThumbMaxHeight == 200);
    EXPECT_TRUE(s.MonoImages && !s.HideGridLines && !s.HidePreview);
    EXPECT_TRUE(w.cells().Cols() == 100 && w.fg().hasGridLines() && platform.messages.isEmpty());
}

TEST_F(OptionsFixture, AHugeGridCostsNothingAndAnOverlargeCellCountIsKept)
{
    w.show();
    cols()->setText("100000");
    rows()->setText("2000000000");
    control<QPushButton>("cmdOK")->click();
    EXPECT_TRUE(w.cells().Cols() == 100000 && w.cells().Rows() == 2000000000);
    EXPECT_EQ(w.state().CellCount, 10000);
    w.fg().Select(1999999999, 99999);
    w.fg().ShowCell(1999999999, 99999);
    EXPECT_FALSE(w.fg().grab().isNull());
}
