#include "wall/CopyMove.h"

#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "shell/CommandContext.h"
#include "shell/FileNames.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QSet>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr qint64 CopyChunkBytes = 1 << 20;

struct Transfer {
    bool move;
    QString folderPrompt;
    QString countSuffix;
    QString procName;
    QString progressLabel;
};

const Transfer CopyTransfer{false, QStringLiteral("Select Folder to copy selected file(s) to."),
                            QStringLiteral(" files copied."), QStringLiteral("mnuRightSaveAs_Click"),
                            QStringLiteral("Copying files to ")};
const Transfer MoveTransfer{true, QStringLiteral("Select Folder to move selected file(s) to."),
                            QStringLiteral(" files moved."), QStringLiteral("mnuRightMove_Click"),
                            QStringLiteral("Moving files to ")};

[[noreturn]] void failed()
{
    throw AppError(ErrorNumber::PathFileAccess, ErrorText(errno));
}

bool writableFolder(const QString& folder)
{
    struct stat st {};
    return StatPath(folder, st) && S_ISDIR(st.st_mode) && AccessPath(folder, W_OK | X_OK);
}

QString folderOf(const QString& file)
{
    return file.left(std::max<qsizetype>(file.lastIndexOf(QLatin1Char('/')), 1));
}

// The folder a file lies in, links resolved, compared with the target:
// the file's own entry may be a link that lives elsewhere.
bool liesIn(const QString& file, const QString& folder)
{
    const QString own = CanonicalPath(folderOf(file));
    return !own.isEmpty() && own == CanonicalPath(folder);
}

// A rename moves at once and replaces nothing where source and target share
// a file system; onto another the file is copied, checked, then removed.
// Any other refusal of the rename would refuse the removal as well, so it
// ends the move before a copy is made. However it fails, one file is left.
void moveFile(const QString& source, const QString& target)
{
    if (RenameNoReplace(source, target))
        return;
    if (errno != EXDEV)
        failed();
    CopyFileVerified(source, target);
    if (RemovePath(source))
        return;
    const int reason = errno;
    if (RemovePath(target))
        throw AppError(ErrorNumber::PathFileAccess, ErrorText(reason));
    throw AppError(ErrorNumber::PathFileAccess,
                   ErrorText(reason) + QStringLiteral(". A copy was left at ") + target + QLatin1Char('.'));
}

// A file descriptor closed however the copy ends.
struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// The image paths of the selected cells in row-major order, each once:
// hidden images name no file.
QStringList selectedPaths(const CommandContext& ctx)
{
    QStringList paths;
    QSet<QString> seen;
    ctx.cells.forEachOccupied(ctx.grid.GetSelection(), [&](int, int, const Cell& cell) {
        const QString path = cell.path();
        if (!path.isEmpty() && !seen.contains(path)) {
            seen.insert(path);
            paths.append(path);
        }
    });
    return paths;
}

// Begins a progress run and ends it however the command ends.
class ProgressRun {
public:
    ProgressRun(const QString& label, int total) { Platform::progress().begin(label, total); }
    ~ProgressRun() { Platform::progress().end(); }
    ProgressRun(const ProgressRun&) = delete;
    ProgressRun& operator=(const ProgressRun&) = delete;
    bool cancelled(int done) { return Platform::progress().advance(done); }
};

void transferSelection(CommandContext& ctx, const Transfer& transfer)
{
    RunReported(QStringLiteral("frmMain"), transfer.procName, [&] {
        if (transfer.move)
            ctx.state.StopSlideshow = true;
        QString folder = BrowseForFolder(transfer.folderPrompt);
        if (folder.isEmpty())
            return;  // the dialog was cancelled
        if (!writableFolder(folder)) {  // a hidden name is no reason: the user chose it
            ReportFolderNotAccessible(folder);
            return;
        }
        if (!folder.endsWith(QLatin1Char('/')))
            folder.append(QLatin1Char('/'));
        ShowBusyPointer();
        const QStringList paths = selectedPaths(ctx);
        int handled = 0;
        int alreadyThere = 0;
        std::optional<AppError> failure;
        // The cells follow their moved files, also when a later file fails.
        QHash<QString, QString> moved;
        try {
            ProgressRun progress(transfer.progressLabel + folder, int(paths.size()));
            for (qsizetype i = 0; i < paths.size(); ++i) {
                const QString& path = paths[i];
                if (FileExists(path)) {
                    if (transfer.move && liesIn(path, folder)) {
                        ++alreadyThere;
                    } else {
                        const QString target = FreeFileName(folder, FileNameFromPath(path));
                        if (transfer.move) {
                            moveFile(path, target);
                            moved.insert(path, target);
                        } else {
                            CopyFileVerified(path, target);
                        }
                        ++handled;
                    }
                    QCoreApplication::processEvents();
                }
                if (progress.cancelled(int(i + 1)))
                    break;
            }
        } catch (...) {
            failure = AppError::current();
        }
        ctx.cells.replacePaths(moved);
        // After a failure too, the user learns what was done before it.
        if (failure)
            ReportError(QStringLiteral("frmMain"), transfer.procName, *failure);
        ShowDefaultPointer();
        QString done = QString::number(handled) + transfer.countSuffix;
        if (alreadyThere > 0)
            done += QStringLiteral("\n\n") + QString::number(alreadyThere)
                    + QStringLiteral(" already in that folder: left where they were.");
        MsgBox(done, MsgIcon::Information);
    });
}

} // namespace

QString FreeFileName(const QString& folder, const QString& fileName)
{
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    const auto taken = [&](const QString& name) {
        struct stat st {};
        return LstatPath(prefix + name, st);  // a dangling link holds its name too
    };
    if (!taken(fileName))
        return prefix + fileName;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? fileName.left(dot) : fileName;
    const QString extension = dot > 0 ? fileName.mid(dot) : QString();
    for (int n = 2;; ++n) {
        const QString name = stem + QStringLiteral(" (") + QString::number(n) + QLatin1Char(')') + extension;
        if (!taken(name))
            return prefix + name;
    }
}

void CopyFileVerified(const QString& source, const QString& target)
{
    const Descriptor in{OpenPath(source, O_RDONLY)};
    struct stat st {};
    if (in.fd < 0 || ::fstat(in.fd, &st) != 0)
        failed();
    // A hidden temporary name: an interrupted copy never stands under the
    // final name.
    QByteArray temporary = FileNameBytes(folderOf(target)) + "/.pavisto-copy-XXXXXX";
    const Descriptor out{::mkostemp(temporary.data(), O_CLOEXEC)};
    if (out.fd < 0)
        failed();
    bool named = false;
    const auto removeUnnamed = qScopeGuard([&] {
        if (!named)
            ::unlink(temporary.constData());
    });
    QByteArray buffer(CopyChunkBytes, Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        const ssize_t got = ::read(in.fd, buffer.data(), size_t(buffer.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failed();
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out.fd, buffer.constData() + done, size_t(got - done));
            if (put < 0 && errno != EINTR)
                failed();
            done += std::max<ssize_t>(put, 0);
        }
        copied += got;
    }
    if (::fsync(out.fd) != 0)
        failed();
    if (copied != st.st_size)
        throw AppError(ErrorNumber::PathFileAccess,
                       QStringLiteral("The copy of ") + source + QStringLiteral(" is incomplete."));
    // The source's modification time and mode bits as they are.
    const timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    ::futimens(out.fd, times);
    ::fchmod(out.fd, st.st_mode & 07777);
    // Renaming never replaces an existing file.
    if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, FileNameBytes(target).constData(), RENAME_NOREPLACE)
        != 0)
        failed();
    named = true;
}

void mnuRightSaveAs_Click(CommandContext& ctx)
{
    transferSelection(ctx, CopyTransfer);
}

void mnuRightMove_Click(CommandContext& ctx)
{
    transferSelection(ctx, MoveTransfer);
}
