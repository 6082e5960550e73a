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

// A reader that decodes upright (EXIF orientation applied), with sizes
// given and taken upright although the decoder works in stored orientation.
class UprightReader {
public:
    explicit UprightReader(const QString& path) : m_reader(path)
    {
        m_reader.setAutoTransform(true);
        const QSize stored = m_reader.size();
        m_turned = m_reader.transformation() & QImageIOHandler::TransformationRotate90;
        m_size = m_turned ? stored.transposed() : stored;
    }
    // Not a picture, or too large to decode safely.
    bool refused() const
    {
        return !m_size.isValid() || qint64(m_size.width()) * m_size.height() > MaxSourcePixels;
    }
    QSize size() const { return m_size; }
    // JPEG decodes straight at a reduced size.
    void setScaledSize(QSize upright) { m_reader.setScaledSize(m_turned ? upright.transposed() : upright); }
    QImage read() { return m_reader.read(); }

private:
    QImageReader m_reader;
    QSize m_size;
    bool m_turned = false;
};

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
        UprightReader reader(path);
        if (reader.refused())
            return result;
        const std::optional<QSize> thumb = ThumbnailSize(reader.size(), maxWidth, maxHeight);
        if (thumb)
            reader.setScaledSize(*thumb);
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
        UprightReader reader(path);
        if (reader.refused())
            return {};
        const QSize target = reader.size().boundedTo(bound.expandedTo(QSize(1, 1)));
        if (target != reader.size())
            reader.setScaledSize(target);
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
