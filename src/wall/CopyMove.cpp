#include "wall/CopyMove.h"

#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "shell/CommandContext.h"
#include "shell/MainModule.h"
#include "shell/MainState.h"
#include "shell/Utilities.h"
#include "wall/FileOperations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
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

[[noreturn]] void failed(const QFileDevice& file)
{
    throw AppError(ErrorNumber::PathFileAccess, file.errorString());
}

bool writableFolder(const QString& folder)
{
    return QFileInfo(folder).isDir() && ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

// The folder a file lies in, links resolved, compared with the target:
// the file's own entry may be a link that lives elsewhere.
bool liesIn(const QString& file, const QString& folder)
{
    const QString own = QFileInfo(QFileInfo(file).absolutePath()).canonicalFilePath();
    return !own.isEmpty() && own == QFileInfo(folder).canonicalFilePath();
}

// A rename moves at once and replaces nothing where source and target share
// a file system; anywhere else the file is copied, checked, then removed.
void moveFile(const QString& source, const QString& target)
{
    if (::renameat2(AT_FDCWD, QFile::encodeName(source).constData(), AT_FDCWD,
                    QFile::encodeName(target).constData(), RENAME_NOREPLACE)
        == 0)
        return;
    CopyFileVerified(source, target);
    QFile file(source);
    if (!file.remove())
        failed(file);
}

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
    ProgressRun(const QString& label, int total) { Platform::progress().begin(MainFormRef, label, total); }
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
        QString folder = BrowseForFolder(MainFormRef, transfer.folderPrompt);
        if (folder.isEmpty())
            return;  // the dialog was cancelled
        if (!FolderExists(folder) || !writableFolder(folder)) {
            ReportFolderNotAccessible(folder);
            return;
        }
        if (!folder.endsWith(QLatin1Char('/')))
            folder.append(QLatin1Char('/'));
        ShowBusyPointer();
        const QStringList paths = selectedPaths(ctx);
        int handled = 0;
        {
            ProgressRun progress(transfer.progressLabel + folder, int(paths.size()));
            for (qsizetype i = 0; i < paths.size(); ++i) {
                const QString& path = paths[i];
                if (FileExists(path)) {
                    if (!transfer.move || !liesIn(path, folder)) {
                        const QString target = FreeFileName(folder, FileNameFromPath(path));
                        transfer.move ? moveFile(path, target) : CopyFileVerified(path, target);
                    }
                    ++handled;
                    QCoreApplication::processEvents();
                }
                if (progress.cancelled(int(i + 1)))
                    break;
            }
        }
        ShowDefaultPointer();
        MsgBox(QString::number(handled) + transfer.countSuffix, MsgIcon::Information);
    });
}

} // namespace

QString FreeFileName(const QString& folder, const QString& fileName)
{
    const QDir dir(folder);
    const auto taken = [&](const QString& name) {
        const QFileInfo entry(dir.filePath(name));
        return entry.exists() || entry.isSymLink();  // a dangling link holds its name too
    };
    if (!taken(fileName))
        return dir.filePath(fileName);
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? fileName.left(dot) : fileName;
    const QString extension = dot > 0 ? fileName.mid(dot) : QString();
    for (int n = 2;; ++n) {
        const QString name = stem + QStringLiteral(" (") + QString::number(n) + QLatin1Char(')') + extension;
        if (!taken(name))
            return dir.filePath(name);
    }
}

void CopyFileVerified(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        failed(in);
    const qint64 size = in.size();
    // A hidden temporary name: an interrupted copy never stands under the
    // final name.
    QTemporaryFile out(QFileInfo(target).absolutePath() + QStringLiteral("/.pavisto-copy-XXXXXX"));
    if (!out.open())
        failed(out);
    QByteArray buffer(CopyChunkBytes, Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        const qint64 read = in.read(buffer.data(), buffer.size());
        if (read < 0)
            failed(in);
        if (read == 0)
            break;
        if (out.write(buffer.constData(), read) != read)
            failed(out);
        copied += read;
    }
    if (!out.flush() || ::fsync(out.handle()) != 0)
        failed(out);
    if (copied != size || out.size() != size)
        throw AppError(ErrorNumber::PathFileAccess,
                       QStringLiteral("The copy of ") + source + QStringLiteral(" is incomplete."));
    out.setFileTime(in.fileTime(QFileDevice::FileModificationTime), QFileDevice::FileModificationTime);
    // Renaming never replaces an existing file.
    if (!out.rename(target))
        failed(out);
    out.setAutoRemove(false);
    // The source's mode bits as they are (Qt's permissions mix in what this
    // user may do), and only now: the temporary file may have had no name.
    struct stat mode {};
    if (::fstat(in.handle(), &mode) == 0)
        ::chmod(QFile::encodeName(target).constData(), mode.st_mode & 07777);
}

void mnuRightSaveAs_Click(CommandContext& ctx)
{
    transferSelection(ctx, CopyTransfer);
}

void mnuRightMove_Click(CommandContext& ctx)
{
    transferSelection(ctx, MoveTransfer);
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
        for (const auto& [r, c] : selected)
            DeleteCellFile(ctx, r, c);
        ctx.window.UpdateCaption();
        ctx.window.PreviewCurrentCell();
        ShowDefaultPointer();
    });
}
