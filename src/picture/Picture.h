#pragma once

#include <QImage>
#include <QString>

#include <memory>

// Where a cell's thumbnail comes from, so that it can be made again: the
// image file and the thumbnail limits it was made under.
struct PictureSource {
    QString path;
    int maxWidth = 0;
    int maxHeight = 0;
};

// What a cell shows. A wall holds a hundred thousand of them, so a picture
// keeps in memory only its small version, all that cells up to that size
// show; the grid asks for a larger version of the pictures on screen when
// it zooms in, and the source makes it again. A picture without a source
// keeps its whole image. Pictures are shared and never change: copying one
// is cheap, and a cell that shows another picture is given a new one.
class Picture {
public:
    // The side of the small version: pictures are averaged down to fit it.
    static constexpr int SmallSide = 48;

    Picture() = default;
    // Kept whole in memory; grey when `grey` (8-bit, one byte a pixel).
    Picture(const QImage& image, bool grey);
    // Made from a file: the small version of `image` (the whole thumbnail)
    // is kept, the rest is made again from `source` when it is asked for.
    static Picture fromSource(const QImage& image, bool grey, PictureSource source);
    // The same from the small version alone (SmallVersion of any version
    // of the picture), for a whole thumbnail of `size`.
    static Picture fromSmall(const QImage& small, QSize size, bool grey, PictureSource source);
    // The small version of a picture of `size`, averaged from a version of
    // it at least that large, in its colours: it may be made on any thread.
    static QImage SmallVersion(const QImage& version, QSize size);

    bool isNull() const { return !m_data; }
    // The whole thumbnail's size in pixels.
    QSize size() const;
    bool isGrey() const;
    const QImage& small() const;
    // The whole thumbnail when it is kept in memory; a null image otherwise.
    const QImage& whole() const;
    // Null for a picture kept whole.
    const PictureSource* source() const;
    // The same picture, made from `path` from now on: its file was moved.
    Picture withPath(const QString& path) const;
    // Tells pictures apart for as long as they live.
    quint64 key() const;

    // The side of the box a version must fit to show in a cell of `side`
    // pixels: 128, 256, 512, … (the shared cache's sizes), never more than
    // the whole picture needs; 0 when the small version shows it.
    int versionSide(int side) const;
    // The version of a picture kept whole that fits such a box.
    QImage wholeVersion(int side) const;

    // The picture fitted into a box of `side` pixels, never enlarged, and
    // in grey when `grey`: what a version of that side holds.
    static QImage fitted(const QImage& image, int side, bool grey);

private:
    struct Data;
    explicit Picture(std::shared_ptr<const Data> data) : m_data(std::move(data)) {}
    std::shared_ptr<const Data> m_data;
};
