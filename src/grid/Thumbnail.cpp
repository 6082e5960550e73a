#include "grid/Thumbnail.h"

#include "grid/ThumbnailPrefetcher.h"
#include "shell/AppError.h"
#include "shell/MainModule.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"

#include <QFile>
#include <QImageReader>

#include <cmath>
#include <new>

namespace {

constexpr double FileAccessWaitMs = 500;

int roundHalfEven(double value)
{
    // nearbyint rounds in the current mode, which is to-nearest-even.
    return int(std::nearbyint(value));
}

bool rotated(const QImageReader& reader)
{
    return reader.transformation() & QImageIOHandler::TransformationRotate90;
}

void waitAfterFileAccessError()
{
    const bool never = false;
    Pause(FileAccessWaitMs, never);
}

} // namespace

std::optional<QSize> ThumbnailSize(QSize image, int maxWidth, int maxHeight)
{
    const int w = image.width();
    const int h = image.height();
    if (maxWidth == 0 && maxHeight == 0)
        return std::nullopt;
    if (w <= maxWidth && h <= maxHeight)
        return std::nullopt;
    const double rw = double(maxWidth) / w;
    const double rh = double(maxHeight) / h;
    const double r = rw < rh ? rw : rh;
    return QSize(std::max(1, roundHalfEven(w * r)), std::max(1, roundHalfEven(h * r)));
}

DecodedThumbnail DecodeThumbnail(const QString& path, int maxWidth, int maxHeight)
{
    DecodedThumbnail result;
    try {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QSize stored = reader.size();
        if (!stored.isValid() || qint64(stored.width()) * stored.height() > MaxSourcePixels)
            return result;
        const bool turned = rotated(reader);
        const std::optional<QSize> thumb = ThumbnailSize(turned ? stored.transposed() : stored, maxWidth, maxHeight);
        if (thumb) {
            // The reader wants the size in stored orientation; JPEG decodes
            // straight at the reduced size.
            reader.setScaledSize(turned ? thumb->transposed() : *thumb);
        }
        QImage image = reader.read();
        if (image.isNull())
            return result;
        if (thumb && image.size() != *thumb)
            image = image.scaled(*thumb, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        result.decoded = true;
        result.fits = !thumb;
        result.image = std::move(image);
    } catch (const std::bad_alloc&) {
        result = {};
    }
    return result;
}

QImage DecodeForDisplay(const QString& path, QSize bound)
{
    try {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QSize stored = reader.size();
        if (!stored.isValid() || qint64(stored.width()) * stored.height() > MaxSourcePixels)
            return {};
        const bool turned = rotated(reader);
        const QSize upright = turned ? stored.transposed() : stored;
        const QSize target = upright.boundedTo(bound.expandedTo(QSize(1, 1)));
        if (target != upright)
            reader.setScaledSize(turned ? target.transposed() : target);
        return reader.read();
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QString Thumbnailer::ThumbFile()
{
    return TempPath + QStringLiteral("thumb.bmp");
}

bool Thumbnailer::MakeThumbnail(const QString& path)
{
    m_state.UseFullImage = false;
    m_picImage = QImage();

    const int maxWidth = m_state.ThumbMaxWidth;
    const int maxHeight = m_state.ThumbMaxHeight;
    std::optional<DecodedThumbnail> ahead;
    if (m_prefetcher)
        ahead = m_prefetcher->take(path, maxWidth, maxHeight);
    DecodedThumbnail decoded = ahead ? std::move(*ahead) : DecodeThumbnail(path, maxWidth, maxHeight);
    if (!decoded.decoded)
        return false;

    if (decoded.fits) {
        m_state.UseFullImage = true;
        m_picImage = std::move(decoded.image);
        return true;
    }

    const QString thumbFile = ThumbFile();
    if (QFile::exists(thumbFile) && !QFile::remove(thumbFile))
        waitAfterFileAccessError();
    if (m_state.StopLoading)
        return false;
    if (!decoded.image.save(thumbFile, "BMP"))
        waitAfterFileAccessError();
    return true;
}

std::optional<QImage> Thumbnailer::CellPicture(const QString& path)
{
    if (!MakeThumbnail(path))
        return std::nullopt;
    if (m_state.UseFullImage)
        return m_picImage;  // already decoded, upright, from this very file
    const QString source = ThumbFile();
    QImage picture(source);
    if (picture.isNull()) {
        if (!QFile::exists(source))
            throw AppError(ErrorNumber::FileNotFound, QStringLiteral("File not found"));
        throw AppError(ErrorNumber::InvalidPicture, QStringLiteral("Invalid picture"));
    }
    return picture;
}
