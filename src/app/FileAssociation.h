#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Where the .wall association is written and how the desktop's database
// tools are run over it.
struct AssociationTarget {
    QString dataHome;    // $XDG_DATA_HOME: MIME package, desktop entry, icon
    QString configHome;  // $XDG_CONFIG_HOME: mimeapps.list
    QString program;     // the running program's absolute path
    QString icon;        // the program's icon file; "" for none
    // Runs a database tool where it is installed.
    std::function<void(const QString& tool, const QStringList& arguments)> runTool;
};

inline const QString WallMimeType = QStringLiteral("application/x-pavisto-wall");
inline const QString DesktopEntryName = QStringLiteral("pavisto.desktop");

// The folders of this user and this program, from the environment.
AssociationTarget ThisProgramsTarget();

// A program path for a desktop entry's Exec key, quoted when it must be.
QString DesktopExecQuoted(const QString& program);

// A mimeapps.list text with `desktopId` as the default application for
// `type`; every other line is kept as it was.
QString WithDefaultApplication(const QString& list, const QString& type, const QString& desktopId);

// Whether some MIME type on this system already claims "*.wall".
bool WallFilesClaimed();

// Writes the .wall MIME package and the desktop entry that starts `program`
// under `dataHome` (mime/packages, applications); false when either failed.
bool WriteDesktopFiles(const QString& dataHome, const QString& program);

// Writes the MIME package, the icon, the desktop entry and the default
// application, then runs the database tools. Every failure is silent: the
// association stays missing and the next start tries again.
void CreateFileAssociation(const AssociationTarget& target);

// At start: the association is written once, when nothing claims .wall files.
void RegisterWallFileType();
