#include "shell/Platform.h"

#include "shell/MainModule.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>

namespace {

constexpr qint64 MemoryCap = 2147483647;
constexpr qint64 ProgressDelayMs = 1000;

class QtPrompts final : public Prompts {
public:
    MsgAnswer message(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons) override
    {
        QMessageBox box(Platform::dialogOwner());
        box.setWindowTitle(title);
        box.setText(text);
        box.setIcon(toQt(icon));
        switch (buttons) {
        case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case MsgButtons::YesNoDefaultNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::No);
            break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Ok: return MsgAnswer::Ok;
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        default: return MsgAnswer::Cancel;
        }
    }

    std::optional<QString> input(const QString& prompt, const QString& title, const QString& value) override
    {
        bool ok = false;
        const QString text =
            QInputDialog::getText(Platform::dialogOwner(), title, prompt, QLineEdit::Normal, value, &ok);
        if (!ok)
            return std::nullopt;
        return text;
    }

    QString folder(const QString& prompt) override
    {
        return QFileDialog::getExistingDirectory(Platform::dialogOwner(), prompt);
    }

    QString file(const FileRequest& request) override
    {
        QFileDialog dialog(Platform::dialogOwner(), request.title);
        dialog.setNameFilter(request.filter);
        dialog.setDefaultSuffix(request.defaultExt);
        dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (!request.startName.isEmpty())
            dialog.selectFile(request.startName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }

private:
    static QMessageBox::Icon toQt(MsgIcon icon)
    {
        switch (icon) {
        case MsgIcon::Information: return QMessageBox::Information;
        case MsgIcon::Exclamation: return QMessageBox::Warning;
        case MsgIcon::Critical: return QMessageBox::Critical;
        case MsgIcon::Question: return QMessageBox::Question;
        case MsgIcon::None: break;
        }
        return QMessageBox::NoIcon;
    }
};

class DesktopLauncher final : public Launcher {
public:
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

class ProcMemory final : public MemoryStatus {
public:
    qint64 availablePhysical() override
    {
        QFile file(QStringLiteral("/proc/meminfo"));
        if (!file.open(QIODevice::ReadOnly))
            return MemoryCap;
        return Platform::parseMemAvailable(file.read(4096)).value_or(MemoryCap);
    }
};

// The dialog is made only when the operation has lasted its delay. It is
// modal to its window, so the wall does not change under a long copy.
class DialogProgress final : public Progress {
public:
    void begin(const QString& label, int total) override
    {
        end();
        m_owner = Platform::dialogOwner();
        m_label = label;
        m_total = total;
        m_clock.start();
    }

    bool advance(int done) override
    {
        if (!m_dialog && m_clock.elapsed() >= ProgressDelayMs) {
            m_dialog = new QProgressDialog(m_label, QStringLiteral("Cancel"), 0, m_total, m_owner);
            m_dialog->setWindowTitle(AppTitle);
            m_dialog->setWindowModality(Qt::WindowModal);
            m_dialog->setMinimumDuration(0);
            m_dialog->setAutoClose(false);
            m_dialog->setAutoReset(false);
        }
        if (!m_dialog)
            return false;
        m_dialog->setValue(done);
        return m_dialog->wasCanceled();
    }

    void end() override
    {
        delete m_dialog;
    }

private:
    QPointer<QWidget> m_owner;
    QPointer<QProgressDialog> m_dialog;
    QString m_label;
    int m_total = 0;
    QElapsedTimer m_clock;
};

QtPrompts realPrompts;
DesktopLauncher realLauncher;
ProcMemory realMemory;
DialogProgress realProgress;
Prompts* currentPrompts = &realPrompts;
QPointer<QWidget> owner;
Launcher* currentLauncher = &realLauncher;
MemoryStatus* currentMemory = &realMemory;
Progress* currentProgress = &realProgress;

} // namespace

namespace Platform {

void setDialogOwner(QWidget* window) { owner = window; }
QWidget* dialogOwner() { return owner; }

Prompts& prompts() { return *currentPrompts; }
Launcher& launcher() { return *currentLauncher; }
MemoryStatus& memory() { return *currentMemory; }
Progress& progress() { return *currentProgress; }

void setPrompts(Prompts* p) { currentPrompts = p ? p : &realPrompts; }
void setLauncher(Launcher* l) { currentLauncher = l ? l : &realLauncher; }
void setMemory(MemoryStatus* m) { currentMemory = m ? m : &realMemory; }
void setProgress(Progress* p) { currentProgress = p ? p : &realProgress; }

std::optional<qint64> parseMemAvailable(const QByteArray& meminfo)
{
    for (const QByteArray& line : meminfo.split('\n')) {
        if (!line.startsWith("MemAvailable:"))
            continue;
        const QList<QByteArray> parts = line.mid(13).simplified().split(' ');
        bool ok = false;
        const qint64 kib = parts.value(0).toLongLong(&ok);
        if (!ok)
            return std::nullopt;
        return std::min(kib * 1024, MemoryCap);
    }
    return std::nullopt;
}

} // namespace Platform
