#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <set>
#include <utility>

struct MainState;
class CellStore;
class Thumbnailer;
class ThumbnailPrefetcher;

// One folder's entries as full paths, each list in case-insensitive name
// order. Links are followed. Throws when the folder cannot be listed.
struct FolderListing {
    QStringList files;
    QStringList folders;
};
FolderListing ListFolder(const QString& path);

// "jpg" or "jpeg" after the last dot, in any case.
bool IsJpegName(const QString& fileName);

// The recursive scan of a folder load: places every JPEG of a folder tree
// into the next cell, column by column, with progress in the title and a
// yield to the event loop after each placed image.
class FolderScan {
public:
    using TitleSink = std::function<void(const QString&)>;

    FolderScan(MainState& state, CellStore& cells, Thumbnailer& thumbnails, TitleSink setTitle);

    // Workers decode the files of each listed folder ahead of placing.
    void setPrefetcher(ThumbnailPrefetcher* prefetcher) { m_prefetcher = prefetcher; }

    void FindFile(const QString& path, bool reset, bool fromHere, int startRow, int startCol);

private:
    void scanFolder(const QString& path);
    bool placeImage(const QString& filePath, const QString& folder);
    bool gridFull() const;
    bool enterOnce(const QString& path);

    MainState& m_state;
    CellStore& m_cells;
    Thumbnailer& m_thumbnails;
    TitleSink m_setTitle;
    ThumbnailPrefetcher* m_prefetcher = nullptr;
    // Folders this load has entered, by device and inode: a link that leads
    // back into the tree is not followed again.
    std::set<std::pair<unsigned long long, unsigned long long>> m_entered;
};
