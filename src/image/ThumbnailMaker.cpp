#include "image/ThumbnailMaker.h"

#include "image/Decode.h"
#include "shell/MainModule.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"

#include <QFile>

namespace {

constexpr double FileAccessWaitMs = 500;

void waitAfterFileAccessError()
{
    const bool never = false;
    Pause(FileAccessWaitMs, never);
}

} // namespace

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
    std::optional<DecodedThumbnail> ready;
    if (m_ready)
        ready = m_ready->take(path, maxWidth, maxHeight);
    if (!ready && m_cache)
        ready = CachedThumbnail(path, maxWidth, maxHeight, *m_cache);
    DecodedThumbnail decoded = ready ? std::move(*ready) : DecodeThumbnail(path, maxWidth, maxHeight, m_cache);
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
    m_picImage = std::move(decoded.image);
    return true;
}

std::optional<QImage> Thumbnailer::CellPicture(const QString& path)
{
    if (!MakeThumbnail(path))
        return std::nullopt;
    // The picture just decoded, not a read of the scratch file back: a file
    // that could not be replaced would hold another image's thumbnail.
    return m_picImage;
}
