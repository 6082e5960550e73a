#pragma once

#include <QImage>

// Small copies of cell pictures, made for painting. Both take a picture in
// any format and give an RGB32 copy unless told otherwise.

// The source pixel that pixel `index` of a copy `length` pixels long samples:
// the one under the middle of its area in a source `source` pixels long.
inline int SampleIndex(int index, int source, int length)
{
    return int((2 * qint64(index) + 1) * source / (2 * qint64(length)));
}

// Each pixel of the copy sampled from the middle of its area in the
// picture: the cheapest copy, and all a cell of a few pixels can show.
QImage SampledCopy(const QImage& picture, QSize size);

// Each pixel of the copy the average of the picture's pixels under it (a
// box filter): as good as a smooth scale for shrinking, and several times
// cheaper; where the copy is larger, pixels repeat. A grey picture may keep
// its grey format, at a quarter of the memory.
QImage AveragedCopy(const QImage& picture, QSize size, QImage::Format format = QImage::Format_RGB32);
