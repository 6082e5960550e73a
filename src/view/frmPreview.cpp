#include "view/frmPreview.h"

#include "image/Decode.h"
#include "shell/MainState.h"
#include "shell/Twips.h"
#include "shell/Utilities.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QStyleHints>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace {

constexpr int ClientWidthTwips = 8760;
constexpr int ClientHeightTwips = 8490;
constexpr int RightInsetTwips = 650;
constexpr int BelowTwips = 200;

} // namespace

PreviewPicture::PreviewPicture(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewPicture::setPicture(const QImage& picture)
{
    m_picture = picture;
    update();
}

QRect PreviewPicture::shownRect() const
{
    if (m_picture.isNull())
        return {};
    QRect shown({}, m_picture.size().scaled(size(), Qt::KeepAspectRatio));
    shown.moveCenter(rect().center());
    return shown;
}

void PreviewPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(64, 64, 64));
    if (!m_picture.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(shownRect(), m_picture);
    }
}

void PreviewPicture::mousePressEvent(QMouseEvent*)
{
    SkipErrors([this] { DragForm(window()); });
}

frmPreview::frmPreview(QMainWindow* owner, const Settings& settings)
    : QWidget(owner, Qt::Tool), m_owner(*owner), m_settings(settings),
      m_picture1(new PreviewPicture(this))
{
    setObjectName(QStringLiteral("frmPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Shown at every step of a slideshow: never taking the keyboard from
    // the program the user works in.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Preview Window"));
    QPalette dark = palette();
    dark.setColor(QPalette::Window, QColor(64, 64, 64));
    setPalette(dark);
    setAutoFillBackground(true);

    const char* captions[] = {"Open", "Delete"};
    const int lefts[] = {15, 975};
    for (int i = 0; i < 2; ++i) {
        m_cmd[i] = new QPushButton(QString::fromUtf8(captions[i]), this);
        m_cmd[i]->setObjectName(QStringLiteral("cmd(%1)").arg(i));
        // The buttons keep their place when the window is resized.
        m_cmd[i]->setGeometry(TwipsToWholePixels(lefts[i]), TwipsToWholePixels(8115), TwipsToWholePixels(945),
                              TwipsToWholePixels(360));
        m_cmd[i]->setFocusPolicy(Qt::NoFocus);
        connect(m_cmd[i], &QPushButton::clicked, this, [this, i] { cmd_Click(i); });
    }

    m_sharpen.setSingleShot(true);
    m_sharpen.setInterval(150);
    connect(&m_sharpen, &QTimer::timeout, this, &frmPreview::sharpen);

    // Placed once, over the lower right of the main window. Its client
    // height is what the wall fills, the menu bar not included.
    resize(TwipsToWholePixels(ClientWidthTwips), TwipsToWholePixels(ClientHeightTwips));
    SkipErrors([this] {
        const QRect mainFrame = m_owner.frameGeometry();
        const int clientHeight = m_owner.centralWidget() ? m_owner.centralWidget()->height() : m_owner.height();
        const int top = mainFrame.top() + clientHeight - height() + TwipsToWholePixels(BelowTwips);
        const int left = mainFrame.left() + mainFrame.width() - width() - TwipsToWholePixels(RightInsetTwips);
        move(left, top);
    });
    show();
    raise();
}

void frmPreview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_picture1->setGeometry(rect());
    for (QPushButton* button : m_cmd)
        button->raise();
    if (m_picture1->shownRect().width() * devicePixelRatioF() > m_picture1->picture().width())
        m_sharpen.start();
}

QSize frmPreview::decodeBound() const
{
    return size() * devicePixelRatioF();
}

void frmPreview::sharpen()
{
    SkipErrors([this] {
        const QImage sharper = DecodeForDisplay(m_previewPath, decodeBound());
        if (!sharper.isNull() && sharper.size() != m_picture1->picture().size())
            m_picture1->setPicture(sharper);
    });
}

void frmPreview::Display(const QString& sPath, int r, int c)
{
    if (m_settings.HidePreview)
        return;
    m_previewPath = sPath;
    m_previewRow = r;
    m_previewCol = c;
    setWindowTitle(sPath);
    clearPicture();
    if (!sPath.isEmpty()) {
        // Decoded no larger than it is shown, without decoding every pixel
        // of a large photograph.
        const QImage picture = DecodeForDisplay(sPath, decodeBound());
        if (picture.isNull())
            throw AppError(ErrorNumber::InvalidPicture, QStringLiteral("Invalid picture"));
        m_picture1->setPicture(picture);
    }
    show();
    // The grid keeps the keyboard while the preview floats above it: taken
    // back from the preview after a press on it, but never from another
    // window, whose keys the user is typing.
    if (isActiveWindow())
        m_owner.activateWindow();
}

void frmPreview::cmd_Click(int index)
{
    RunReported(QStringLiteral("frmPreview"), QStringLiteral("cmd_Click"), [&] {
        if (index == 0) {
            if (FileExists(m_previewPath))
                ShellOpenFile(m_previewPath);
        } else if (!m_deleted.isValid()
                   || m_deleted.hasExpired(QGuiApplication::styleHints()->mouseDoubleClickInterval())) {
            m_deleted.start();
            emit deleteRequested(m_previewPath, m_previewRow, m_previewCol);
        }
    });
}
