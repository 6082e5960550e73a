#include "image/Exif.h"

#include "shell/FileNames.h"

#include <QFile>
#include <QTimeZone>
#include <QtEndian>

namespace {

// A head that has not met its Exif segment within this many bytes has none:
// every APPn segment is under 64 KiB and cameras write the Exif one first.
constexpr qsizetype MaxHeadBytes = qsizetype(256) * 1024;

// Where a JPEG head's Exif segment lies, or how far the head has to reach
// before that can be told.
struct ExifSearch {
    bool found = false;
    QByteArrayView tiff{};  // the segment's TIFF body, when found
    qsizetype needed = 0;  // else the head size that would tell; 0 when there is none
};

ExifSearch FindExif(QByteArrayView head)
{
    const auto byte = [&](qsizetype at) { return uchar(head[at]); };
    if (head.size() < 2)
        return {.needed = 2};
    if (byte(0) != 0xFF || byte(1) != 0xD8)
        return {};
    qsizetype at = 2;
    while (at < MaxHeadBytes) {
        // A marker is 0xFF, possibly padded with more 0xFF, then its code.
        while (at + 1 < head.size() && byte(at) == 0xFF && byte(at + 1) == 0xFF)
            ++at;
        if (at + 4 > head.size())
            return {.needed = at + 4};
        const uchar code = byte(at + 1);
        if (byte(at) != 0xFF || code == 0xDA || code == 0xD9)
            return {};  // not a marker, or the picture data begins
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {
            at += 2;  // markers without a segment
            continue;
        }
        const qsizetype end = at + 2 + qFromBigEndian<quint16>(head.data() + at + 2);
        if (end < at + 4)
            return {};
        if (code == 0xE1 && end >= at + 10) {
            if (end > head.size())
                return {.needed = end};
            const QByteArrayView body = head.sliced(at + 4, end - at - 4);
            if (body.startsWith(QByteArrayView("Exif\0\0", 6)))
                return {.found = true, .tiff = body.sliced(6)};
        }
        at = end;
    }
    return {};
}

// The TIFF structure of an Exif segment, in either byte order. Every read
// is checked against the segment's end.
class Tiff {
public:
    explicit Tiff(QByteArrayView body) : m_body(body), m_bigEndian(body.startsWith("MM")) {}

    bool valid() const
    {
        return m_body.startsWith(QByteArrayView("II*\0", 4)) || m_body.startsWith(QByteArrayView("MM\0*", 4));
    }
    std::optional<quint32> u16(qint64 at) const
    {
        if (at < 0 || at + 2 > m_body.size())
            return std::nullopt;
        const char* p = m_body.data() + at;
        return m_bigEndian ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p);
    }
    std::optional<quint32> u32(qint64 at) const
    {
        if (at < 0 || at + 4 > m_body.size())
            return std::nullopt;
        const char* p = m_body.data() + at;
        return m_bigEndian ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
    }
    // The bytes at [at, at + size), empty when they are not all there.
    QByteArrayView bytes(qint64 at, qint64 size) const
    {
        if (at < 0 || size < 0 || at > m_body.size() || size > m_body.size() - at)
            return {};
        return m_body.sliced(at, size);
    }

    struct Entry {
        quint32 type = 0;
        quint32 count = 0;
        qint64 value = 0;  // where the value field is
    };
    std::optional<Entry> entry(qint64 ifd, quint32 tag) const
    {
        const auto count = u16(ifd);
        for (quint32 i = 0; count && i < *count; ++i) {
            const qint64 at = ifd + 2 + 12 * qint64(i);
            const auto found = u16(at);
            if (!found)
                return std::nullopt;
            if (*found == tag) {
                const auto type = u16(at + 2);
                const auto values = u32(at + 4);
                if (type && values)
                    return Entry{*type, *values, at + 8};
            }
        }
        return std::nullopt;
    }
    // A SHORT or LONG value.
    std::optional<quint32> number(qint64 ifd, quint32 tag) const
    {
        const auto found = entry(ifd, tag);
        if (!found || found->count < 1)
            return std::nullopt;
        if (found->type == 3)
            return u16(found->value);
        return found->type == 4 ? u32(found->value) : std::nullopt;
    }
    // An ASCII value up to its first NUL.
    QByteArrayView text(qint64 ifd, quint32 tag) const
    {
        const auto found = entry(ifd, tag);
        if (!found || found->type != 2)
            return {};
        // Up to four bytes sit in the value field itself, more at its offset.
        const auto offset = found->count <= 4 ? std::optional<quint32>(quint32(found->value)) : u32(found->value);
        const QByteArrayView all = offset ? bytes(*offset, found->count) : QByteArrayView();
        const qsizetype nul = all.indexOf('\0');
        return nul < 0 ? all : all.first(nul);
    }
    // Where the IFD after this one starts.
    std::optional<quint32> next(qint64 ifd) const
    {
        const auto count = u16(ifd);
        return count ? u32(ifd + 2 + 12 * qint64(*count)) : std::nullopt;
    }

private:
    QByteArrayView m_body;
    bool m_bigEndian;
};

enum Tag : quint32 {
    Orientation = 0x0112,
    ExifIfd = 0x8769,
    DateTimeOriginal = 0x9003,
    DateTimeDigitized = 0x9004,
    OffsetTimeOriginal = 0x9011,
    ThumbnailOffset = 0x0201,
    ThumbnailLength = 0x0202,
};

// The number in the digits at [at, at + count) of text; -1 when one is not
// a digit or is missing.
int digits(QByteArrayView text, qsizetype at, qsizetype count)
{
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "YYYY:MM:DD HH:MM:SS", in the zone of an offset "+HH:MM" where one is
// given, else in local time. Read by hand: the sort reads one a photograph.
std::optional<QDateTime> DateTime(QByteArrayView text, QByteArrayView offset)
{
    const QDate date(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
    const QTime time(digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const int hours = digits(offset, 1, 2);
    const int minutes = digits(offset, 4, 2);
    if (offset.size() != 6 || (offset[0] != '+' && offset[0] != '-') || hours < 0 || minutes < 0)
        return QDateTime(date, time);
    const int ahead = (hours * 60 + minutes) * 60;
    return QDateTime(date, time, QTimeZone(offset[0] == '-' ? -ahead : ahead));
}

ExifInfo ParseTiff(const Tiff& tiff)
{
    ExifInfo info;
    const auto ifd0 = tiff.valid() ? tiff.u32(4) : std::nullopt;
    if (!ifd0)
        return info;
    const auto orientation = tiff.number(*ifd0, Orientation);
    if (orientation && *orientation >= 1 && *orientation <= 8)
        info.orientation = int(*orientation);
    if (const auto exif = tiff.number(*ifd0, ExifIfd)) {
        info.taken = DateTime(tiff.text(*exif, DateTimeOriginal), tiff.text(*exif, OffsetTimeOriginal));
        if (!info.taken)
            info.taken = DateTime(tiff.text(*exif, DateTimeDigitized), {});
    }
    if (const auto ifd1 = tiff.next(*ifd0); ifd1 && *ifd1 != 0) {
        const auto offset = tiff.number(*ifd1, ThumbnailOffset);
        const auto length = tiff.number(*ifd1, ThumbnailLength);
        if (offset && length)
            info.thumbnail = tiff.bytes(*offset, *length).toByteArray();
    }
    return info;
}

} // namespace

ExifInfo ParseExif(const QByteArray& jpegHead)
{
    const ExifSearch search = FindExif(jpegHead);
    return search.found ? ParseTiff(Tiff(search.tiff)) : ExifInfo();
}

ExifInfo ReadExif(const QString& path)
{
    QFile file;
    if (!OpenForReading(file, path))
        return {};
    QByteArray head;
    for (;;) {
        const ExifSearch search = FindExif(head);
        if (search.found)
            return ParseTiff(Tiff(search.tiff));
        if (search.needed <= head.size())
            return {};
        const QByteArray more = file.read(search.needed - head.size());
        if (more.size() < search.needed - head.size())
            return {};
        head += more;
    }
}
