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
    editEverything("3", 4);  // the sizes as shown: set, not typed
    ok();  // Yes
    EXPECT_TRUE(s.ThumbMaxHeight == 0 && s.ThumbMaxWidth == 0 && closed() && platform.messages.size() == 2);
    EXPECT_TRUE(!s.MonoImages && w.cells().PictureType() == CellStore::Colour && s.HideGridLines && s.HidePreview);
    EXPECT_TRUE(!w.fg().hasGridLines() && s.GridCols == 100 && w.cells().Rows() == 100);
}

TEST_F(OptionsFixture, ShowsTheGridAWallFileGrewAndResizesOnlyToWhatIsTyped)
{
    w.cells().setRows(151);  // as a wall file grows it
    w.cells().setCellText(150, 0, "far down");
    dialog->close();
    open();
    EXPECT_TRUE(box(1)->text() == "100" && box(2)->text() == "151");
    QTest::keyClick(box(1), Qt::Key_Return);  // Enter is OK, and the sizes stand as shown
    EXPECT_TRUE(closed() && w.cells().Rows() == 151 && s.GridRows == 100 && platform.messages.isEmpty());
    open();
    box(2)->selectAll();
    QTest::keyClicks(box(2), "12");
    ok();  // the question's default No keeps the wall; the rest applies
    EXPECT_TRUE(platform.messages.value(0).buttons == MsgButtons::YesNoDefaultNo && closed());
    EXPECT_TRUE(w.cells().CellText(150, 0) == "far down" && s.GridRows == 100);
}
