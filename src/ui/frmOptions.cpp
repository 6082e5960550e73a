#include "ui/frmOptions.h"

#include "shell/CommandContext.h"
#include "shell/MainState.h"
#include "wall/Options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

template <class Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

// What the user typed into a size box; nullopt when it was left as shown.
std::optional<QString> typed(const QLineEdit* box)
{
    return box->isModified() ? std::optional<QString>(box->text()) : std::nullopt;
}

} // namespace

frmOptions* frmOptions::Open(CommandContext& ctx, QWidget* owner)
{
    frmOptions* dialog = nullptr;
    for (frmOptions* open : owner->findChildren<frmOptions*>(Qt::FindDirectChildrenOnly))
        if (open->isVisible())
            dialog = open;
    if (!dialog)
        dialog = new frmOptions(ctx, owner);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

frmOptions::frmOptions(CommandContext& ctx, QWidget* owner)
    : QDialog(owner), m_ctx(ctx), m_cols(named(new QLineEdit, "txt(1)")), m_rows(named(new QLineEdit, "txt(2)")),
      m_quality(named(new QComboBox, "cboQuality")), m_mono(named(new QCheckBox, "chkMono")),
      m_hideGridlines(named(new QCheckBox(QStringLiteral("Hide Gridlines")), "chkHideGridlines")),
      m_hidePreview(named(new QCheckBox(QStringLiteral("Hide Preview Window")), "chkHidePreview"))
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));

    auto* gridSize = named(new QGroupBox(QStringLiteral("Grid Size")), "Frame2");
    auto* sizes = new QGridLayout(gridSize);
    sizes->addWidget(named(new QLabel(QStringLiteral("Columns")), "Label1(1)"), 0, 0);
    sizes->addWidget(m_cols, 0, 1);
    sizes->addWidget(named(new QLabel(QStringLiteral("Rows")), "Label1(2)"), 1, 0);
    sizes->addWidget(m_rows, 1, 1);

    for (const ThumbQuality& quality : ThumbQualities)
        m_quality->addItem(QString::fromUtf8(quality.caption));

    auto* mono = named(new QGroupBox(QStringLiteral("Monochrome Images")), "Frame1");
    auto* monoLayout = new QHBoxLayout(mono);
    auto* monoText = named(new QLabel(QStringLiteral("This mode creates lower quality pictures which consume less "
                                                     "memory and are faster to manipulate.")),
                           "Label3");
    monoText->setWordWrap(true);
    monoLayout->addWidget(m_mono, 0, Qt::AlignTop);
    monoLayout->addWidget(monoText, 1);

    auto* ok = named(new QPushButton(QStringLiteral("OK")), "cmdOK");
    auto* cancel = named(new QPushButton(QStringLiteral("Cancel")), "cmdCancel");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cancel, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gridSize);
    layout->addWidget(named(new QLabel(QStringLiteral("Thumb Image Quality")), "Label2"));
    layout->addWidget(m_quality);
    layout->addWidget(mono);
    layout->addWidget(m_hideGridlines);
    layout->addWidget(m_hidePreview);
    layout->addLayout(buttons);
    // A fixed-size dialog: the layout decides its size once.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    monoText->setMinimumWidth(260);

    Form_Load();
}

void frmOptions::Form_Load()
{
    const Settings& s = m_ctx.state;
    m_cols->setText(QString::number(ShownGridCols(s, m_ctx.cells)));
    m_rows->setText(QString::number(ShownGridRows(s, m_ctx.cells)));
    m_quality->setCurrentIndex(QualityEntryFor(s.ThumbMaxHeight));
    m_hideGridlines->setChecked(s.HideGridLines);
    m_hidePreview->setChecked(s.HidePreview);
    m_mono->setChecked(s.MonoImages);
}

void frmOptions::cmdOK_Click()
{
    if (ApplyOptions(m_ctx, {typed(m_cols), typed(m_rows), m_quality->currentIndex(), m_mono->isChecked(),
                             m_hideGridlines->isChecked(), m_hidePreview->isChecked()}))
        accept();
}

void frmOptions::cmdCancel_Click()
{
    reject();
}

void frmOptions::done(int result)
{
    QDialog::done(result);
    deleteLater();
}
