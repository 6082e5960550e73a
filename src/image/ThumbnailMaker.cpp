#include "image/ThumbnailMaker.h"

#include "shell/MainState.h"
#include "shell/Utilities.h"

bool Thumbnailer::MakeThumbnail(const QString& path)
{
    const int maxWidth = m_settings.ThumbMaxWidth;
    const int maxHeight = m_settings.ThumbMaxHeight;
    std::optional<DecodedThumbnail> ready;
    if (m_ready)
        ready = m_ready->take(path, maxWidth, maxHeight);
    if (!ready && m_cache)
        ready = CachedThumbnail(path, maxWidth, maxHeight, *m_cache);
    return place(ready ? std::move(*ready) : DecodeThumbnail(path, maxWidth, maxHeight, m_cache, stopCheck()));
}

bool Thumbnailer::place(DecodedThumbnail decoded)
{
    m_made = {};
    // A stop asked for while the file was scaled keeps it out of the wall.
    if (!decoded.decoded || (!decoded.fits && m_load.StopLoading))
        return false;
    m_made = std::move(decoded);
    return true;
}

std::optional<Picture> Thumbnailer::made(const QString& path, bool grey)
{
    const PictureSource source{path, m_settings.ThumbMaxWidth, m_settings.ThumbMaxHeight};
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
    if (!place(DecodeThumbnail(path, m_settings.ThumbMaxWidth, m_settings.ThumbMaxHeight, m_cache)))
        return std::nullopt;
    return made(path, grey);
}

DecodeStop Thumbnailer::stopCheck() const
{
    return LoadStopCheck(m_load);
}

QImage Thumbnailer::Version(const PictureSource& source, int side, bool grey) const
{
    return ThumbnailVersion(source.path, source.maxWidth, source.maxHeight, side, grey, m_cache);
}
