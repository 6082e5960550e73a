#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
struct CommandContext;

// "Options": collects grid size, thumbnail quality, monochrome pictures,
// grid lines and the preview window, which ApplyOptions then applies.
// Modeless; made afresh each time it opens and gone after OK or Cancel.
// Enter is OK; Escape and the close box are Cancel.
class frmOptions : public QDialog {
    Q_OBJECT
public:
    // Shows the open dialog, or a new one when none is open.
    static frmOptions* Open(CommandContext& ctx, QWidget* owner);

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    void done(int result) override;

private:
    frmOptions(CommandContext& ctx, QWidget* owner);
    void Form_Load();

    CommandContext& m_ctx;
    QLineEdit* m_cols;
    QLineEdit* m_rows;
    QComboBox* m_quality;
    QCheckBox* m_mono;
    QCheckBox* m_hideGridlines;
    QCheckBox* m_hidePreview;
};
