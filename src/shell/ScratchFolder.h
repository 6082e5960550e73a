#pragma once

#include <QString>
#include <QTemporaryDir>

// This run's private scratch folder inside `parent` (mode 0700, removed at
// exit). It holds a lock for as long as the run lives, so a later start can
// tell the folder of a killed run from that of one still running.
class ScratchFolder {
public:
    explicit ScratchFolder(const QString& parent);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool isValid() const { return m_lock >= 0; }
    QString errorString() const { return m_error; }
    // Ends in "/".
    QString path() const { return m_dir.path() + QLatin1Char('/'); }

private:
    QTemporaryDir m_dir;
    int m_lock = -1;
    QString m_error;
};

// Removes the scratch folders in `parent` that belong to this user and to
// runs that have ended without cleaning up. Folders of running programs,
// of other users, links and anything without a lock are left alone.
void RemoveStaleScratchFolders(const QString& parent);
