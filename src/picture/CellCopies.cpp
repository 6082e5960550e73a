#include "picture/CellCopies.h"

#include "picture/PictureScaling.h"

namespace {

constexpr int CopyOverhead = 256;  // image header and cache node

QImage scaled(const QImage& source, QSize size)
{
    if (std::max(size.width(), size.height()) < CellCopies::SampledBelowPixels)
        return SampledCopy(source, size);
    if (size.width() <= source.width() && size.height() <= source.height())
        return AveragedCopy(source, size);
    return source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
}

} // namespace

CellCopies::CellCopies(int budget)
{
    m_copies.setMaxCost(budget);
}

QImage CellCopies::copy(const QImage& source, QSize size)
{
    const Key key{source.cacheKey(), size.width(), size.height()};
    if (const QImage* kept = m_copies.object(key))
        return *kept;
    QImage made = scaled(source, size);
    const int cost = int(made.sizeInBytes()) + CopyOverhead;
    m_made += cost;
    // The cache may refuse the copy; it is returned all the same.
    m_copies.insert(key, new QImage(made), cost);
    return made;
}
