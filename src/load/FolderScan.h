#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <set>
#include <utility>

struct CommandContext;
class DecodingAhead;

// One folder's entries as full paths, each list in case-insensitive name
// order. Links are followed; an entry that cannot be examined (a dangling
// link, a link to itself) is left out. Throws when the folder cannot be
// listed.
struct FolderListing {
    QStringList files;
    QStringList folders;
};
FolderListing ListFolder(const QString& path);

// What a listed entry is: the type the listing gives, or what stat finds
// at its path for a link and where the file system gives none (DT_UNKNOWN,
// as NFS and FUSE may); Other for an entry that cannot be examined.
enum class EntryKind { File, Folder, Other };
EntryKind KindOfEntry(const QByteArray& path, unsigned char listedType);

// Whether a folder can be listed and entered by this user.
bool FolderIsReadable(const QString& path);

// "jpg" or "jpeg" after the last dot, in any case.
bool IsJpegName(const QString& fileName);

// The recursive scan of a folder load: places every JPEG of a folder tree
// into the next cell, column by column, with progress in the title and a
// yield to the event loop after each placed image.
class FolderScan {
public:
    // Workers decode the files of each listed folder ahead of placing when
    // `ahead` is given.
    explicit FolderScan(CommandContext& ctx, DecodingAhead* ahead = nullptr);

    void FindFile(const QString& path, bool reset, bool fromHere, int startRow, int startCol);

private:
    // The cell that receives the next image; a subfolder's scan continues
    // where its parent's left off.
    struct NextCellPosition {
        int32_t Col = 0;
        int32_t Row = 0;
        int32_t FirstRow = 0;  // where every new column starts
    };

    void scanFolder(const QString& path);
    bool placeImage(const QString& filePath, const QString& folder);
    bool gridFull() const;
    bool enterOnce(const QString& path);

    CommandContext& m_ctx;
    DecodingAhead* m_ahead;
    NextCellPosition m_next;
    // Images this load placed: a load from the middle of the wall counts
    // from 0 for its progress and for the full grid, while ImageCount keeps
    // counting every image the wall holds.
    int m_found = 0;
    // Folders this load has entered, by device and inode: a link that leads
    // back into the tree is not followed again.
    std::set<std::pair<unsigned long long, unsigned long long>> m_entered;
};
