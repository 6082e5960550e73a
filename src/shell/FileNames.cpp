#include "shell/FileNames.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace {

constexpr char16_t StrayByteBase = 0xDC00;  // U+DC80 to U+DCFF: bytes 0x80 to 0xFF

bool isContinuation(uchar byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at `at` and its code point;
// 0 when the byte there starts none (overlong forms and encoded surrogates
// are not well formed).
int sequenceAt(QByteArrayView bytes, qsizetype at, char32_t& code)
{
    const auto byte = [&](qsizetype i) { return uchar(bytes[at + i]); };
    const uchar first = byte(0);
    int length = 0;
    char32_t least = 0;
    if (first >= 0xC2 && first <= 0xDF)
        length = 2, least = 0x80, code = first & 0x1F;
    else if (first >= 0xE0 && first <= 0xEF)
        length = 3, least = 0x800, code = first & 0x0F;
    else if (first >= 0xF0 && first <= 0xF4)
        length = 4, least = 0x10000, code = first & 0x07;
    else
        return 0;
    if (bytes.size() - at < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(byte(i)))
            return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

bool isStrayByte(char16_t unit)
{
    return unit >= StrayByteBase + 0x80 && unit <= StrayByteBase + 0xFF;
}

const char* bytesOf(const QByteArray& bytes)
{
    return bytes.constData();
}

// The entry of `folder` whose name Qt reads as `shown`, when only one does.
std::optional<QString> onlyEntryReadAs(const QString& folder, const QString& shown)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(bytesOf(FileNameBytes(folder))), ::closedir);
    std::optional<QString> found;
    while (const dirent* entry = dir ? ::readdir(dir.get()) : nullptr) {
        if (QFile::decodeName(entry->d_name) != shown)
            continue;
        if (found)
            return std::nullopt;
        found = FileNameFromBytes(entry->d_name);
    }
    return found;
}

} // namespace

QString FileNameFromBytes(QByteArrayView bytes)
{
    QString name;
    name.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        const uchar first = uchar(bytes[at]);
        if (first < 0x80) {
            name.append(QChar(first));
            ++at;
            continue;
        }
        char32_t code = 0;
        if (const int length = sequenceAt(bytes, at, code)) {
            name.append(QString::fromUcs4(&code, 1));
            at += length;
        } else {
            name.append(QChar(char16_t(StrayByteBase + first)));
            ++at;
        }
    }
    return name;
}

QByteArray FileNameBytes(const QString& path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    const qsizetype size = path.size();
    // A low surrogate after a high one is half of a pair, never a byte.
    const auto strayAt = [&](qsizetype i) {
        return isStrayByte(path.at(i).unicode()) && (i == 0 || !path.at(i - 1).isHighSurrogate());
    };
    for (qsizetype i = 0; i < size;) {
        qsizetype run = i;
        while (run < size && !strayAt(run))
            ++run;
        if (run > i)
            bytes.append(QStringView(path).sliced(i, run - i).toUtf8());
        if (run < size)
            bytes.append(char(path.at(run++).unicode() - StrayByteBase));
        i = run;
    }
    return bytes;
}

QString NameFromDialog(const QString& path)
{
    if (!path.contains(QChar::ReplacementCharacter))
        return path;
    const QStringList parts = path.split(QLatin1Char('/'));
    QString resolved = parts.constFirst();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        QString part = parts[i];
        if (part.contains(QChar::ReplacementCharacter))
            part = onlyEntryReadAs(resolved.isEmpty() ? QStringLiteral("/") : resolved, part).value_or(part);
        resolved += QLatin1Char('/') + part;
    }
    return resolved;
}

QByteArray FileUri(const QString& path)
{
    static const char hex[] = "0123456789ABCDEF";
    static const QByteArray marks("-_.!~*'():@&=+$,/");
    QByteArray uri("file://");
    for (const char c : FileNameBytes(path)) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || marks.contains(c)) {
            uri.append(c);
        } else {
            uri.append('%');
            uri.append(hex[uchar(c) >> 4]);
            uri.append(hex[uchar(c) & 15]);
        }
    }
    return uri;
}

bool StatPath(const QString& path, struct stat& st)
{
    return !path.isEmpty() && ::stat(bytesOf(FileNameBytes(path)), &st) == 0;
}

bool LstatPath(const QString& path, struct stat& st)
{
    return !path.isEmpty() && ::lstat(bytesOf(FileNameBytes(path)), &st) == 0;
}

int OpenPath(const QString& path, int flags, mode_t mode)
{
    return ::open(bytesOf(FileNameBytes(path)), flags | O_CLOEXEC, mode);
}

bool AccessPath(const QString& path, int mode)
{
    return ::access(bytesOf(FileNameBytes(path)), mode) == 0;
}

bool RemovePath(const QString& path)
{
    return ::unlink(bytesOf(FileNameBytes(path))) == 0;
}

bool RenameNoReplace(const QString& from, const QString& to)
{
    return ::renameat2(AT_FDCWD, bytesOf(FileNameBytes(from)), AT_FDCWD, bytesOf(FileNameBytes(to)),
                       RENAME_NOREPLACE)
           == 0;
}

QString CanonicalPath(const QString& path)
{
    const std::unique_ptr<char, void (*)(void*)> resolved(::realpath(bytesOf(FileNameBytes(path)), nullptr),
                                                           std::free);
    return resolved ? FileNameFromBytes(resolved.get()) : QString();
}

bool OpenForReading(QFile& file, const QString& path)
{
    const int fd = OpenPath(path, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
}

QString ErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
