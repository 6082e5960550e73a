#include "wall/FileOperations.h"

#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "grid/WallImages.h"
#include "shell/CommandContext.h"
#include "shell/FileNames.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <utility>
#include <vector>

namespace {

// The trash works on the bytes of names, which need not be UTF-8.
QByteArray parentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash > 0 ? path.left(slash) : QByteArray("/");
}

std::optional<dev_t> deviceOf(const QByteArray& path)
{
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 ? std::optional<dev_t>(st.st_dev) : std::nullopt;
}

// A trash folder and the file's path as its info entries record it.
struct TrashPlace {
    QByteArray folder;
    QByteArray recorded;
};

TrashPlace trashFor(const QByteArray& file, dev_t device)
{
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QDir().mkpath(dataHome);
    if (deviceOf(FileNameBytes(dataHome)) == device)
        return {FileNameBytes(dataHome) + "/Trash", file};
    // The top folder of the file's own file system keeps its trash, and
    // records paths from there, so the medium can be mounted elsewhere.
    QByteArray top = parentOf(file);
    while (top != "/" && deviceOf(parentOf(top)) == device)
        top = parentOf(top);
    const QByteArray base = top == "/" ? QByteArray() : top;
    const QByteArray uid = QByteArray::number(::getuid());
    const QByteArray recorded = file.mid(base.size() + 1);
    // A shared .Trash the administrator made (sticky, not a link) holds one
    // folder per user.
    struct stat shared {};
    if (::lstat((base + "/.Trash").constData(), &shared) == 0 && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX) != 0)
        return {base + "/.Trash/" + uid, recorded};
    return {base + "/.Trash-" + uid, recorded};
}

// The file goes to files/ under a name that is free there, with its entry
// in info/ written first, so the trash never holds a file it cannot restore.
bool trash(const QByteArray& file, const TrashPlace& place)
{
    for (const char* folder : {"", "/files", "/info"})
        ::mkdir((place.folder + folder).constData(), 0700);
    // Someone else's folder, or a link to one, is no trash of ours.
    struct stat own {};
    if (::lstat(place.folder.constData(), &own) != 0 || !S_ISDIR(own.st_mode) || own.st_uid != ::getuid())
        return false;
    const QByteArray info = "[Trash Info]\nPath=" + FileUri(FileNameFromBytes(place.recorded)).mid(7)
                            + "\nDeletionDate="
                            + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1()
                            + "\n";
    const QByteArray name = file.mid(file.lastIndexOf('/') + 1);
    for (int n = 1; n < 10'000; ++n) {
        const QByteArray entry = n == 1 ? name : name + '.' + QByteArray::number(n);
        const QByteArray infoFile = place.folder + "/info/" + entry + ".trashinfo";
        const int fd = ::open(infoFile.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return false;
        const bool written = ::write(fd, info.constData(), std::size_t(info.size())) == info.size();
        ::close(fd);
        const QByteArray target = place.folder + "/files/" + entry;
        if (written
            && RenameNoReplace(FileNameFromBytes(file), FileNameFromBytes(target)))
            return true;
        const int error = errno;
        ::unlink(infoFile.constData());
        if (!written || error != EEXIST)
            return false;
    }
    return false;
}

// The one delete of every Delete command: each file goes to the trash;
// the files that cannot go are deleted for good only when the user agrees,
// and else stay with their images. Files already gone just leave the wall.
void deleteCells(CommandContext& ctx, const std::vector<std::pair<int, int>>& cells)
{
    std::vector<std::pair<int, int>> untrashed;
    for (const auto& [r, c] : cells) {
        const QString path = ctx.cells.CellData(r, c);
        if (FileExists(path) && !MoveToTrash(path))
            untrashed.emplace_back(r, c);
        else
            TakeImageOut(ctx.cells, ctx.state, r, c);
    }
    if (untrashed.empty())
        return;
    const QString first = ctx.cells.CellData(untrashed[0].first, untrashed[0].second);
    const QString question =
        untrashed.size() == 1
            ? first + QStringLiteral(" cannot be moved to the trash. Delete it for good?")
            : QString::number(untrashed.size())
                  + QStringLiteral(" files, %1 among them, cannot be moved to the trash. Delete them for good?").arg(first);
    if (MsgBox(question, MsgIcon::Question, MsgButtons::YesNo, QStringLiteral("Warning")) != MsgAnswer::Yes)
        return;
    for (const auto& [r, c] : untrashed) {
        if (!RemovePath(ctx.cells.CellData(r, c)))
            throw AppError(ErrorNumber::PathFileAccess, ErrorText(errno));
        TakeImageOut(ctx.cells, ctx.state, r, c);
    }
}

// Each Delete ends naming the current cell in the caption and the preview.
void deleteAndShow(CommandContext& ctx, const std::vector<std::pair<int, int>>& cells)
{
    deleteCells(ctx, cells);
    ctx.window.UpdateCaption();
    ctx.window.PreviewCurrentCell();
}

} // namespace

bool MoveToTrash(const QString& path)
{
    QByteArray file = FileNameBytes(path);
    if (!file.startsWith('/'))
        file = FileNameBytes(QDir::currentPath()) + '/' + file;
    struct stat st {};
    if (::lstat(file.constData(), &st) != 0)
        return false;
    return trash(file, trashFor(file, st.st_dev));
}

void mnuRightDelete_Click(CommandContext& ctx)
{
    RunReported(QStringLiteral("frmMain"), QStringLiteral("mnuRightDelete_Click"), [&] {
        ctx.state.StopSlideshow = true;
        if (MsgBox(QStringLiteral("Delete all selected files?"), MsgIcon::Question, MsgButtons::YesNo,
                   QStringLiteral("Warning"))
            != MsgAnswer::Yes)
            return;
        ShowBusyPointer();
        std::vector<std::pair<int, int>> selected;
        ctx.cells.forEachOccupied(ctx.grid.GetSelection(),
                                  [&](int r, int c, const Cell&) { selected.emplace_back(r, c); });
        deleteAndShow(ctx, selected);
        ShowDefaultPointer();
    });
}

void DeleteFileNow(CommandContext& ctx, int r, int c)
{
    RunReported(QStringLiteral("frmMain"), QStringLiteral("DeleteFile"), [&] {
        ctx.state.StopSlideshow = true;
        deleteAndShow(ctx, {{r, c}});
    });
}

void DeleteShownFile(CommandContext& ctx, const QString& shownPath, int r, int c)
{
    QString inCell;
    SkipErrors([&] { inCell = ctx.cells.CellData(r, c); });
    if (!shownPath.isEmpty() && inCell == shownPath)
        DeleteFileNow(ctx, r, c);
    else
        ctx.window.PreviewCurrentCell();
}
