#include "ui/frmOptions.h"

#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "shell/Caption.h"
#include "shell/CommandContext.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <iterator>
#include <limits>

namespace {

struct Quality {
    const char* caption;
    int limit;  // pixels; 0 = full size
};

constexpr Quality Qualities[] = {
    {"Very Low (Fastest)", 100}, {"Low", 500}, {"Medium", 1500}, {"High", 3000}, {"Perfect (Slowest)", 0},
};
constexpr int PerfectEntry = 4;
constexpr int StartUpLimit = 200;  // what a fresh start holds before any OK

template <class Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

// The limit OK stores for an entry; none selected stores full size.
int QualityLimit(int entry)
{
    return entry >= 0 && entry < int(std::size(Qualities)) ? Qualities[entry].limit : 0;
}

// The entry a stored limit shows; -1 for none.
int QualityEntryFor(int limit)
{
    if (limit == StartUpLimit)
        return 0;
    for (int entry = 0; entry < int(std::size(Qualities)); ++entry)
        if (Qualities[entry].limit == limit)
            return entry;
    return -1;
}

struct Dropped {
    qint64 images = 0;
    qint64 texts = 0;
};

// What a grid of rows x cols would leave out of the wall; an image hidden
// by a search is an image.
Dropped droppedBy(const CellStore& cells, int rows, int cols)
{
    Dropped dropped;
    cells.forEachOccupied(cells.wholeGrid(), [&](int row, int col, const Cell& cell) {
        if (row < rows && col < cols)
            return;
        if (!cell.imagePath().isEmpty())
            ++dropped.images;
        else if (!cell.text.isEmpty())
            ++dropped.texts;
    });
    return dropped;
}

} // namespace

std::optional<int32_t> GridSizeFromText(const QString& text)
{
    bool ok = false;
    const double value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    // The rounding of the current mode, to nearest with halves to even.
    const double rounded = std::nearbyint(value);
    if (rounded < 1 || rounded > double(std::numeric_limits<int32_t>::max()))
        return std::nullopt;
    return int32_t(rounded);
}

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

    for (const Quality& quality : Qualities)
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
    const MainState& s = m_ctx.state;
    m_cols->setText(QString::number(s.GridCols));
    m_rows->setText(QString::number(s.GridRows));
    m_quality->setCurrentIndex(QualityEntryFor(s.ThumbMaxHeight));
    m_hideGridlines->setChecked(s.HideGridLines);
    m_hidePreview->setChecked(s.HidePreview);
    m_mono->setChecked(s.MonoImages);
}

void frmOptions::cmdOK_Click()
{
    MainState& s = m_ctx.state;
    const int entry = m_quality->currentIndex();
    if (entry == PerfectEntry
        && MsgBox(QStringLiteral("This will consume a VAST amount of memory and may lock up your computer if you "
                                 "have a lot of images.\n\nContinue?"),
                  MsgIcon::Question, MsgButtons::YesNo, QStringLiteral("WARNING"))
               != MsgAnswer::Yes)
        return;
    const int32_t cols = GridSizeFromText(m_cols->text()).value_or(s.GridCols);
    const int32_t rows = GridSizeFromText(m_rows->text()).value_or(s.GridRows);
    const Dropped dropped = droppedBy(m_ctx.cells, rows, cols);
    const bool resize = (dropped.images == 0 && dropped.texts == 0)
                        || MsgBox(QStringLiteral("A grid of ") + FormatCount(cols) + QStringLiteral(" columns and ")
                                      + FormatCount(rows) + QStringLiteral(" rows leaves out ")
                                      + FormatCount(dropped.images) + QStringLiteral(" images and ")
                                      + FormatCount(dropped.texts)
                                      + QStringLiteral(" texts of the wall.\n\nMake the grid smaller?"),
                                  MsgIcon::Question, MsgButtons::YesNo)
                               == MsgAnswer::Yes;
    if (resize) {
        s.GridCols = cols;
        s.GridRows = rows;
    }
    // A count of cells beyond 32 bits leaves the old one.
    const qint64 cellCount = qint64(s.GridCols) * s.GridRows;
    if (cellCount <= std::numeric_limits<int32_t>::max())
        s.CellCount = int32_t(cellCount);
    s.ThumbMaxHeight = s.ThumbMaxWidth = QualityLimit(entry);
    s.HidePreview = m_hidePreview->isChecked();
    s.MonoImages = m_mono->isChecked();
    s.HideGridLines = m_hideGridlines->isChecked();
    if (s.HidePreview)
        m_ctx.window.hidePreview();
    m_ctx.grid.GridLines(!s.HideGridLines);
    m_ctx.cells.setPictureType(s.MonoImages ? CellStore::Monochrome : CellStore::Colour);
    // In place: the cells outside the new size go, as the user agreed.
    // Every cell stretches its picture already.
    if (resize) {
        m_ctx.cells.setCols(s.GridCols);
        m_ctx.cells.setRows(s.GridRows);
        s.ImageCount -= dropped.images;
    }
    // A smaller grid may have taken the current cell's image.
    m_ctx.window.PreviewCurrentCell();
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
