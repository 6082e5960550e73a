#include "shell/ScratchFolder.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

const QString Prefix = QStringLiteral("pavisto-");
const QString LockName = QStringLiteral(".lock");

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace

ScratchFolder::ScratchFolder(const QString& parent) : m_dir(parent + Prefix + QStringLiteral("XXXXXX"))
{
    if (!m_dir.isValid()) {
        m_error = m_dir.errorString();
        return;
    }
    // The lock is taken before the file gets its final name, so a cleaner
    // that finds ".lock" never finds it unlocked while this run lives.
    const QString pending = m_dir.filePath(LockName + QStringLiteral(".new"));
    const int fd = ::open(encoded(pending).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0
        || ::rename(encoded(pending).constData(), encoded(m_dir.filePath(LockName)).constData()) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        return;
    }
    m_lock = fd;
}

ScratchFolder::~ScratchFolder()
{
    if (m_lock >= 0)
        ::close(m_lock);
}

void RemoveStaleScratchFolders(const QString& parent)
{
    const QDir folder(parent);
    const QStringList names =
        folder.entryList({Prefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::System);
    for (const QString& name : names) {
        const QString path = folder.filePath(name);
        struct stat st {};
        if (::lstat(encoded(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        const int fd = ::open(encoded(path + QLatin1Char('/') + LockName).constData(),
                              O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;  // not made with a lock, or not yet: not ours to judge
        // Only a run that has ended no longer holds its lock.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            QDir(path).removeRecursively();
        ::close(fd);
    }
}
