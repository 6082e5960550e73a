#include "picture/Picture.h"

#include "picture/PictureScaling.h"

#include <atomic>
#include <optional>

struct Picture::Data {
    QImage small;
    QImage whole;  // null when the source makes it again
    QSize size;
    bool grey = false;
    std::optional<PictureSource> source;
    quint64 key = 0;
};

namespace {

constexpr int FirstVersionSide = 128;

quint64 nextKey()
{
    static std::atomic<quint64> last{0};
    return ++last;
}

QImage inType(const QImage& image, bool grey)
{
    if (!grey || image.format() == QImage::Format_Grayscale8)
        return image;
    return image.convertToFormat(QImage::Format_Grayscale8);
}

} // namespace

QImage Picture::SmallVersion(const QImage& version, QSize size)
{
    // Square like the cells that show it: a copy shrinks in both directions.
    const QSize small = size.boundedTo({SmallSide, SmallSide});
    if (version.size() == small || version.isNull())
        return version;
    return AveragedCopy(version, small, version.format() == QImage::Format_Grayscale8 ? QImage::Format_Grayscale8
                                                                                        : QImage::Format_RGB32);
}

Picture::Picture(const QImage& image, bool grey)
{
    if (image.isNull())
        return;
    auto data = std::make_shared<Data>();
    data->whole = inType(image, grey);
    data->size = image.size();
    data->grey = grey;
    data->small = SmallVersion(data->whole, data->size);
    data->key = nextKey();
    m_data = std::move(data);
}

Picture Picture::fromSource(const QImage& image, bool grey, PictureSource source)
{
    return fromSmall(SmallVersion(inType(image, grey), image.size()), image.size(), grey, std::move(source));
}

Picture Picture::fromSmall(const QImage& small, QSize size, bool grey, PictureSource source)
{
    if (small.isNull() || size.isEmpty())
        return {};
    auto data = std::make_shared<Data>();
    data->size = size;
    data->grey = grey;
    data->small = inType(small, grey);
    // A picture no larger than its small version is kept whole.
    if (size == small.size())
        data->whole = data->small;
    else
        data->source = std::move(source);
    data->key = nextKey();
    return Picture(std::shared_ptr<const Data>(std::move(data)));
}

QSize Picture::size() const
{
    return m_data ? m_data->size : QSize();
}

bool Picture::isGrey() const
{
    return m_data && m_data->grey;
}

const QImage& Picture::small() const
{
    static const QImage none;
    return m_data ? m_data->small : none;
}

const QImage& Picture::whole() const
{
    static const QImage none;
    return m_data ? m_data->whole : none;
}

const PictureSource* Picture::source() const
{
    return m_data && m_data->source ? &*m_data->source : nullptr;
}

Picture Picture::withPath(const QString& path) const
{
    if (!source())
        return *this;
    auto data = std::make_shared<Data>(*m_data);
    data->source->path = path;
    return Picture(std::shared_ptr<const Data>(std::move(data)));
}

quint64 Picture::key() const
{
    return m_data ? m_data->key : 0;
}

int Picture::versionSide(int side) const
{
    if (!m_data || side <= SmallSide || m_data->small.size() == m_data->size)
        return 0;
    const int needed = std::max(m_data->size.width(), m_data->size.height());
    int version = FirstVersionSide;
    while (version < side && version < needed)
        version *= 2;
    return version;
}

QImage Picture::wholeVersion(int side) const
{
    return fitted(whole(), side, isGrey());
}

QImage Picture::fitted(const QImage& image, int side, bool grey)
{
    if (image.width() <= side && image.height() <= side)
        return inType(image, grey);
    return inType(image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation), grey);
}
