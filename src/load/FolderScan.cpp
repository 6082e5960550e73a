#include "load/FolderScan.h"

#include "grid/CellStore.h"
#include "grid/WallImages.h"
#include "image/ThumbnailMaker.h"
#include "shell/Caption.h"
#include "shell/CommandContext.h"
#include "shell/FileNames.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"

#include <QCoreApplication>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace {

void sortByName(QStringList& paths)
{
    std::sort(paths.begin(), paths.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
}

} // namespace

EntryKind KindOfEntry(const QByteArray& path, unsigned char listedType)
{
    if (listedType == DT_UNKNOWN || listedType == DT_LNK) {
        struct stat st {};
        if (::stat(path.constData(), &st) != 0)
            return EntryKind::Other;  // a dangling link or an entry that vanished
        listedType = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
    }
    return listedType == DT_REG ? EntryKind::File : listedType == DT_DIR ? EntryKind::Folder : EntryKind::Other;
}

FolderListing ListFolder(const QString& path)
{
    const QByteArray encoded = FileNameBytes(path);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(encoded.constData()), ::closedir);
    if (!dir)
        throw AppError(ErrorNumber::PathFileAccess, ErrorText(errno));
    const QString prefix = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    FolderListing listing;
    for (;;) {
        // Only readdir's own failure ends the listing; a failed stat of an
        // entry below leaves errno set too.
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry) {
            if (errno != 0)
                throw AppError(ErrorNumber::PathFileAccess, ErrorText(errno));
            break;
        }
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        const EntryKind kind = KindOfEntry(encoded + '/' + name, entry->d_type);
        if (kind == EntryKind::File)
            listing.files.append(prefix + FileNameFromBytes(name));
        else if (kind == EntryKind::Folder)
            listing.folders.append(prefix + FileNameFromBytes(name));
    }
    sortByName(listing.files);
    sortByName(listing.folders);
    return listing;
}

bool FolderIsReadable(const QString& path)
{
    DIR* dir = ::opendir(FileNameBytes(path).constData());
    if (!dir)
        return false;
    ::closedir(dir);
    return AccessPath(path, R_OK | X_OK);
}

bool IsJpegName(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString extension = fileName.mid(dot + 1).toLower();
    return extension == QLatin1String("jpg") || extension == QLatin1String("jpeg");
}

FolderScan::FolderScan(CommandContext& ctx, DecodingAhead* ahead) : m_ctx(ctx), m_ahead(ahead) {}

bool FolderScan::gridFull() const
{
    // The right edge ends a load that started in the middle of the grid.
    return qint64(m_found) >= qint64(m_ctx.state.GridCols) * m_ctx.state.GridRows
           || m_next.Col >= m_ctx.cells.Cols();
}

bool FolderScan::enterOnce(const QString& path)
{
    struct stat st {};
    if (!StatPath(path, st))
        return true;  // listing it will report what is wrong
    return m_entered.emplace(st.st_dev, st.st_ino).second;
}

void FolderScan::FindFile(const QString& path, bool reset, bool fromHere, int startRow, int startCol)
{
    MainState& s = m_ctx.state;
    if (fromHere) {
        // The wall keeps its other images, and ImageCount with them.
        m_next = {startCol, startRow, startRow};
        m_found = 0;
        m_entered.clear();
    } else if (reset) {
        m_next = {0, 0, 0};
        s.ImageCount = 0;
        m_found = 0;
        m_entered.clear();
    }
    if (!enterOnce(path))
        return;
    try {
        scanFolder(path);
    } catch (...) {
        const AppError error = AppError::current();
        if (error.number() == ErrorNumber::OutOfMemory)
            MsgBox(OutOfMemoryText, MsgIcon::Exclamation);
        else
            ReportError(QStringLiteral("frmMain"), QStringLiteral("FindFile\n\n") + path, error);
        s.StopLoading = true;
    }
}

void FolderScan::scanFolder(const QString& path)
{
    const FolderListing listing = ListFolder(path);
    QStringList images;
    for (const QString& file : listing.files)
        if (IsJpegName(FileNameFromPath(file)))
            images.append(file);
    const MainState& s = m_ctx.state;
    if (m_ahead && !gridFull())
        m_ahead->enqueue(images, s.ThumbMaxWidth, s.ThumbMaxHeight);

    for (const QString& file : images) {
        if (placeImage(file, path))
            return;
        if (s.StopLoading)
            return;
    }
    if (s.StopLoading || gridFull())
        return;
    for (const QString& folder : listing.folders) {
        QCoreApplication::processEvents();
        if (FolderExists(folder))
            FindFile(folder, false, false, 0, 0);
        if (s.StopLoading || gridFull())
            break;
    }
}

// Places one file if it makes a picture; true when the scan of this folder
// must end (grid full or out of memory).
bool FolderScan::placeImage(const QString& filePath, const QString& folder)
{
    const std::optional<Picture> picture = m_ctx.thumbnails.CellPicture(filePath, m_ctx.cells.isMonochrome());
    if (!picture)
        return false;
    MainState& s = m_ctx.state;
    PlaceImage(m_ctx.cells, s, m_next.Row, m_next.Col, *picture, filePath);
    ++m_found;
    if (++m_next.Row >= s.GridRows) {
        m_next.Row = m_next.FirstRow;
        ++m_next.Col;
    }
    if (gridFull())
        return true;

    m_ctx.window.setTitle(QStringLiteral("Searching for files. ") + FormatCount(m_found)
                          + QStringLiteral(" Images found. Please wait...   ") + AvailableMemoryText(FreeMemory(s))
                          + QStringLiteral("   ") + folder);
    QCoreApplication::processEvents();
    return StopOnLowMemory(s);
}
