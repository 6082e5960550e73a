#include "grid/FolderScan.h"

#include "grid/CellStore.h"
#include "grid/Thumbnail.h"
#include "grid/ThumbnailPrefetcher.h"
#include "shell/Caption.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"

#include <QCoreApplication>
#include <QFile>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace {

const QString OutOfMemoryText = QStringLiteral(
    "Out of memory. Please adjust the thumb quality settings from the options menu then try again.");

void sortByName(QStringList& paths)
{
    std::sort(paths.begin(), paths.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
}

} // namespace

FolderListing ListFolder(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(encoded.constData()), ::closedir);
    if (!dir)
        throw AppError(ErrorNumber::PathFileAccess, QString::fromLocal8Bit(std::strerror(errno)));
    const QString prefix = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    FolderListing listing;
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN || type == DT_LNK) {
            struct stat st {};
            if (::stat((encoded + '/' + name).constData(), &st) != 0)
                continue;  // a dangling link or an entry that vanished
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_REG)
            listing.files.append(prefix + QFile::decodeName(name));
        else if (type == DT_DIR)
            listing.folders.append(prefix + QFile::decodeName(name));
    }
    if (errno != 0)
        throw AppError(ErrorNumber::PathFileAccess, QString::fromLocal8Bit(std::strerror(errno)));
    sortByName(listing.files);
    sortByName(listing.folders);
    return listing;
}

bool IsJpegName(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString extension = fileName.mid(dot + 1).toLower();
    return extension == QLatin1String("jpg") || extension == QLatin1String("jpeg");
}

FolderScan::FolderScan(MainState& state, CellStore& cells, Thumbnailer& thumbnails, TitleSink setTitle)
    : m_state(state), m_cells(cells), m_thumbnails(thumbnails), m_setTitle(std::move(setTitle))
{
}

bool FolderScan::gridFull() const
{
    // The right edge ends a load that started in the middle of the grid.
    return qint64(m_state.ImageCount) >= qint64(m_state.GridCols) * m_state.GridRows
           || m_state.NextCell.Col >= m_cells.Cols();
}

bool FolderScan::enterOnce(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return true;  // listing it will report what is wrong
    return m_entered.emplace(st.st_dev, st.st_ino).second;
}

void FolderScan::FindFile(const QString& path, bool reset, bool fromHere, int startRow, int startCol)
{
    if (fromHere) {
        m_state.NextCell = {startCol, startRow, startRow};
        m_state.ImageCount = 0;
        m_entered.clear();
    } else if (reset) {
        m_state.NextCell = {0, 0, 0};
        m_state.ImageCount = 0;
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
        m_state.StopLoading = true;
    }
}

void FolderScan::scanFolder(const QString& path)
{
    const FolderListing listing = ListFolder(path);
    QStringList images;
    for (const QString& file : listing.files)
        if (IsJpegName(FileNameFromPath(file)))
            images.append(file);
    if (m_prefetcher && !gridFull())
        m_prefetcher->enqueue(images, m_state.ThumbMaxWidth, m_state.ThumbMaxHeight);

    for (const QString& file : images) {
        if (placeImage(file, path))
            return;
        if (m_state.StopLoading)
            return;
    }
    if (m_state.StopLoading || gridFull())
        return;
    for (const QString& folder : listing.folders) {
        QCoreApplication::processEvents();
        if (FolderExists(folder))
            FindFile(folder, false, false, 0, 0);
        if (m_state.StopLoading || gridFull())
            break;
    }
}

// Places one file if it makes a picture; true when the scan of this folder
// must end (grid full or out of memory).
bool FolderScan::placeImage(const QString& filePath, const QString& folder)
{
    const std::optional<QImage> picture = m_thumbnails.CellPicture(filePath);
    if (!picture)
        return false;
    NextCellPosition& next = m_state.NextCell;
    m_cells.setCellPicture(next.Row, next.Col, *picture);
    m_cells.setCellData(next.Row, next.Col, filePath);
    ++m_state.ImageCount;
    if (++next.Row >= m_state.GridRows) {
        next.Row = next.FirstRow;
        ++next.Col;
    }
    if (gridFull())
        return true;

    m_setTitle(QStringLiteral("Searching for files. ") + FormatCount(m_state.ImageCount)
               + QStringLiteral(" Images found. Please wait...   ") + AvailableMemoryText(m_state)
               + QStringLiteral("   ") + folder);
    QCoreApplication::processEvents();
    if (m_state.LowMemory) {
        m_state.LowMemory = false;
        MsgBox(OutOfMemoryText, MsgIcon::Exclamation);
        m_state.StopLoading = true;
        return true;
    }
    return false;
}
