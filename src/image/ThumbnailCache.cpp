#include "image/ThumbnailCache.h"

#include "Version.h"
#include "image/Decode.h"
#include "image/PngDecode.h"
#include "image/PngEncode.h"
#include "shell/FileNames.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace {

constexpr int EntrySizes[] = {128, 256, 512, 1024};
constexpr int NormalSize = EntrySizes[0];

QString folderName(int entrySize)
{
    switch (entrySize) {
    case 128: return QStringLiteral("normal");
    case 256: return QStringLiteral("large");
    case 512: return QStringLiteral("x-large");
    default: return QStringLiteral("xx-large");
    }
}

QString failFolder()
{
    return QStringLiteral("fail/pavisto-%1.%2.%3").arg(Version::Major).arg(Version::Minor).arg(Version::Revision);
}

QByteArray software()
{
    return QStringLiteral("Pavisto %1.%2.%3").arg(Version::Major).arg(Version::Minor).arg(Version::Revision).toLatin1();
}

// Folders of the cache are private to their user, like the entries in them.
bool makePrivateFolders(const QString& path)
{
    const QString parent = QFileInfo(path).path();
    if (parent != path && !QFileInfo::exists(parent) && !makePrivateFolders(parent))
        return false;
    return ::mkdir(QFile::encodeName(path).constData(), 0700) == 0 || errno == EEXIST;
}

bool describes(const QImage& entry, const ThumbnailCache::Original& file)
{
    bool ok = false;
    const qint64 mtime = entry.text(QStringLiteral("Thumb::MTime")).toLongLong(&ok);
    return !entry.isNull() && ok && mtime == file.mtime
           && entry.text(QStringLiteral("Thumb::URI")).toUtf8() == file.uri;
}

// An entry of the largest size folder, uncompressed, with room for its keys.
constexpr qint64 MaxEntryBytes = qint64{EntrySizes[3]} * EntrySizes[3] * 8 + 65536;

// Whether every chunk of a PNG file fits in the file: the decoder allocates
// what a chunk's length claims before it reads, so a few crafted bytes in
// the shared cache would otherwise cost gigabytes and seconds a lookup.
bool chunksFit(const QByteArray& png)
{
    constexpr qsizetype SignatureBytes = 8, FrameBytes = 12;  // length, type, CRC
    qsizetype at = SignatureBytes;
    while (at + FrameBytes <= png.size()) {
        const auto* p = reinterpret_cast<const uchar*>(png.constData() + at);
        const quint32 length = quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
        if (length > quint32(png.size() - at - FrameBytes))
            return false;
        at += FrameBytes + qsizetype(length);
    }
    return true;
}

QImage readEntry(const QString& path, const ThumbnailCache::Original& file)
{
    // Opened here: a reader given a name that is not there tries a dozen
    // other names with image suffixes first.
    QFile opened;
    if (!OpenForReading(opened, path) || opened.size() > MaxEntryBytes)
        return {};
    // As much as the entry holds: read(MaxEntryBytes) would set the whole
    // limit aside for every entry, and the mapping and freeing of it cost
    // more than the decode.
    QByteArray bytes = opened.read(opened.size());
    std::optional<QImage> entry = DecodePlainPng(bytes, EntrySizes[3]);
    if (!entry) {
        if (!chunksFit(bytes))
            return {};
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "png");
        const QSize size = reader.size();
        if (std::max(size.width(), size.height()) > EntrySizes[3])
            return {};
        entry = reader.read();
    }
    return describes(*entry, file) ? *entry : QImage();
}

// `keys` follow the keys that name the file.
void writeEntry(const QString& folder, const QString& name, const QImage& picture, const ThumbnailCache::Original& file,
                const PngKeys& keys = {})
{
    static std::atomic<unsigned> serial{0};
    if (!makePrivateFolders(folder))
        return;
    const QByteArray bytes = EncodePng(picture, PngKeys{{"Thumb::URI", file.uri},
                                                        {"Thumb::MTime", QByteArray::number(file.mtime)},
                                                        {"Software", software()}}
                                                    + keys);
    if (bytes.isEmpty())
        return;
    // Written whole under a name of its own, then renamed into place, so a
    // reader never sees half an entry.
    const QByteArray target = QFile::encodeName(folder + QLatin1Char('/') + name);
    const QByteArray temporary = target + '.' + QByteArray::number(::getpid()) + '.'
                                 + QByteArray::number(serial.fetch_add(1)) + ".tmp";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    if (::close(fd) != 0 || !written || ::rename(temporary.constData(), target.constData()) != 0)
        ::unlink(temporary.constData());
}

} // namespace

QString ThumbnailCache::DefaultRoot()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    return QDir::cleanPath(base + QStringLiteral("/thumbnails"));
}

ThumbnailCache::ThumbnailCache(const QString& root) : m_root(QDir::cleanPath(root)) {}

int ThumbnailCache::EntrySize(int maxWidth, int maxHeight)
{
    const int side = std::max(maxWidth, maxHeight);
    if (side <= 0)
        return 0;
    for (const int size : EntrySizes)
        if (side <= size)
            return size;
    return 0;
}

QByteArray ThumbnailCache::FileUri(const QString& path)
{
    return ::FileUri(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

QString ThumbnailCache::EntryName(const QString& path)
{
    return QString::fromLatin1(QCryptographicHash::hash(FileUri(path), QCryptographicHash::Md5).toHex())
           + QStringLiteral(".png");
}

std::optional<ThumbnailCache::Original> ThumbnailCache::original(const QString& path) const
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (absolute.startsWith(m_root + QLatin1Char('/')))
        return std::nullopt;
    struct stat st {};
    if (!StatPath(absolute, st) || !S_ISREG(st.st_mode) || !AccessPath(absolute, R_OK))
        return std::nullopt;
    return Original{absolute, FileUri(absolute), qint64(st.st_mtime), qint64(st.st_size)};
}

QImage ThumbnailCache::find(const Original& file, int entrySize) const
{
    return readEntry(m_root + QLatin1Char('/') + folderName(entrySize) + QLatin1Char('/') + EntryName(file.path), file);
}

bool ThumbnailCache::failedBefore(const Original& file) const
{
    return !readEntry(m_root + QLatin1Char('/') + failFolder() + QLatin1Char('/') + EntryName(file.path), file)
                .isNull();
}

void ThumbnailCache::store(const Original& file, int entrySize, const QImage& picture, QSize imageSize) const
{
    const PngKeys keys{{"Thumb::Size", QByteArray::number(file.bytes)},
                       {"Thumb::Image::Width", QByteArray::number(imageSize.width())},
                       {"Thumb::Image::Height", QByteArray::number(imageSize.height())}};
    const QString name = EntryName(file.path);
    writeEntry(m_root + QLatin1Char('/') + folderName(entrySize), name, picture, file, keys);
    // A file that decodes now is no longer remembered as broken.
    ::unlink(FileNameBytes(m_root + QLatin1Char('/') + failFolder() + QLatin1Char('/') + name).constData());
    // Other programs write the normal entry beside every larger one, and
    // readers that need no more than its size decode it in a quarter of the
    // time. It is written afresh with the larger one: a file rewritten within
    // the same second keeps its time, and an entry kept by that time alone
    // would show the old picture.
    if (entrySize <= NormalSize)
        return;
    // Sized from the image itself, not from the larger picture's rounding.
    const QSize normal = ThumbnailSize(imageSize, NormalSize, NormalSize).value_or(imageSize);
    writeEntry(m_root + QLatin1Char('/') + folderName(NormalSize), name,
               normal == picture.size() ? picture : picture.scaled(normal, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
               file, keys);
}

void ThumbnailCache::storeFailure(const Original& file) const
{
    QImage mark(1, 1, QImage::Format_ARGB32);
    mark.fill(Qt::transparent);
    writeEntry(m_root + QLatin1Char('/') + failFolder(), EntryName(file.path), mark, file);
}
