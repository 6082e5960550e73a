#include "image/ThumbnailMaker.h"

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
    const int maxWidth = m_state.ThumbMaxWidth;
    const int maxHeight = m_state.ThumbMaxHeight;
    std::optional<DecodedThumbnail> ready;
    if (m_ready)
        ready = m_ready->take(path, maxWidth, maxHeight);
    if (!ready && m_cache)
        ready = CachedThumbnail(path, maxWidth, maxHeight, *m_cache);
    return place(ready ? std::move(*ready) : DecodeThumbnail(path, maxWidth, maxHeight, m_cache, stopCheck()));
}

bool Thumbnailer::place(DecodedThumbnail decoded)
{
    m_state.UseFullImage = false;
    m_made = {};
    if (!decoded.decoded)
        return false;
    if (decoded.fits) {
        m_state.UseFullImage = true;
        m_made = std::move(decoded);
        return true;
    }
    if (decoded.image.isNull()) {
        m_made = std::move(decoded);  // from the cache: nothing was scaled
        return true;
    }
    const QString thumbFile = ThumbFile();
    if (QFile::exists(thumbFile) && !QFile::remove(thumbFile))
        waitAfterFileAccessError();
    if (m_state.StopLoading)
        return false;
    if (!decoded.image.save(thumbFile, "BMP"))
        waitAfterFileAccessError();
    m_made = std::move(decoded);
    return true;
}

std::optional<Picture> Thumbnailer::made(const QString& path, bool grey)
{
    // The picture just made, not a read of the scratch file back: a file
    // that could not be replaced would hold another image's thumbnail.
    const PictureSource source{path, m_state.ThumbMaxWidth, m_state.ThumbMaxHeight};
    const Picture picture = Picture::fromSmall(m_made.small, m_made.size, grey, source);
    m_made = {};
    return picture.isNull() ? std::nullopt : std::optional<Picture>(picture);
}

std::optional<Picture> Thumbnailer::CellPicture(const QString& path, bool grey)
{
    if (!MakeThumbnail(path))
        return std::nullopt;
    return made(path, grey);
}

std::optional<Picture> Thumbnailer::FreshCellPicture(const QString& path, bool grey)
{
    if (!place(DecodeThumbnail(path, m_state.ThumbMaxWidth, m_state.ThumbMaxHeight, m_cache)))
        return std::nullopt;
    return made(path, grey);
}

DecodeStop Thumbnailer::stopCheck() const
{
    return LoadStopCheck(m_state);
}

QImage Thumbnailer::Version(const PictureSource& source, int side, bool grey) const
{
    return ThumbnailVersion(source.path, source.maxWidth, source.maxHeight, side, grey, m_cache);
}
