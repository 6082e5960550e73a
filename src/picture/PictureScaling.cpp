#include "picture/PictureScaling.h"

#include <algorithm>
#include <vector>

namespace {

bool isXrgb(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
           || format == QImage::Format_ARGB32_Premultiplied;
}

// Grey bytes or 0xAARRGGBB words, the two layouts the averaging reads.
QImage readable(const QImage& picture)
{
    if (picture.format() == QImage::Format_Grayscale8 || isXrgb(picture.format()))
        return picture;
    return picture.convertToFormat(QImage::Format_RGB32);
}

// The source indices under each destination index: begin and end, never
// empty (a larger copy repeats source pixels).
struct Span {
    int begin;
    int end;
};

std::vector<Span> spans(int from, int to)
{
    std::vector<Span> under(static_cast<std::size_t>(to));
    for (int i = 0; i < to; ++i) {
        const int begin = int(qint64(i) * from / to);
        under[std::size_t(i)] = {begin, std::max(int(qint64(i + 1) * from / to), begin + 1)};
    }
    return under;
}

} // namespace

QImage SampledCopy(const QImage& picture, QSize size)
{
    const QImage source = readable(picture);
    const bool grey = source.format() == QImage::Format_Grayscale8;
    QImage copy(size, QImage::Format_RGB32);
    std::vector<int> xs(std::size_t(size.width()));
    for (int x = 0; x < size.width(); ++x)
        xs[std::size_t(x)] = SampleIndex(x, source.width(), size.width());
    for (int y = 0; y < size.height(); ++y) {
        const uchar* from = source.constScanLine(SampleIndex(y, source.height(), size.height()));
        auto* to = reinterpret_cast<QRgb*>(copy.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int sx = xs[std::size_t(x)];
            to[x] = grey ? qRgb(from[sx], from[sx], from[sx]) : reinterpret_cast<const QRgb*>(from)[sx] | 0xff000000;
        }
    }
    return copy;
}

QImage AveragedCopy(const QImage& picture, QSize size, QImage::Format format)
{
    const QImage source = readable(picture);
    const bool grey = source.format() == QImage::Format_Grayscale8;
    const int width = size.width();
    const std::vector<Span> xs = spans(source.width(), width);
    const std::vector<Span> ys = spans(source.height(), size.height());
    const int channels = grey ? 1 : 3;
    QImage copy(size, grey && format == QImage::Format_Grayscale8 ? format : QImage::Format_RGB32);
    std::vector<quint32> sums(std::size_t(width * channels));
    for (int y = 0; y < size.height(); ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        const Span rows = ys[std::size_t(y)];
        for (int sy = rows.begin; sy < rows.end; ++sy) {
            const uchar* line = source.constScanLine(sy);
            for (int x = 0; x < width; ++x) {
                const Span cols = xs[std::size_t(x)];
                quint32* sum = &sums[std::size_t(x) * std::size_t(channels)];
                if (grey) {
                    for (int sx = cols.begin; sx < cols.end; ++sx)
                        sum[0] += line[sx];
                    continue;
                }
                const auto* pixels = reinterpret_cast<const QRgb*>(line);
                for (int sx = cols.begin; sx < cols.end; ++sx) {
                    sum[0] += qRed(pixels[sx]);
                    sum[1] += qGreen(pixels[sx]);
                    sum[2] += qBlue(pixels[sx]);
                }
            }
        }
        uchar* out = copy.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const Span cols = xs[std::size_t(x)];
            const quint32 count = quint32((cols.end - cols.begin) * (rows.end - rows.begin));
            const quint32* sum = &sums[std::size_t(x) * std::size_t(channels)];
            const auto mean = [&](int channel) { return int((sum[channel] + count / 2) / count); };
            if (copy.format() == QImage::Format_Grayscale8)
                out[x] = uchar(mean(0));
            else if (grey)
                reinterpret_cast<QRgb*>(out)[x] = qRgb(mean(0), mean(0), mean(0));
            else
                reinterpret_cast<QRgb*>(out)[x] = qRgb(mean(0), mean(1), mean(2));
        }
    }
    return copy;
}
