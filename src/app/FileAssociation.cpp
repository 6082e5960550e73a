#include "app/FileAssociation.h"

#include "shell/MainModule.h"
#include "shell/Utilities.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString IconName = QStringLiteral("pavisto");

QString xdgFolder(const char* variable, const QString& fallback)
{
    const QString folder = qEnvironmentVariable(variable);
    // Relative XDG folders are to be ignored, as the base-directory rules say.
    return QDir::isAbsolutePath(folder) ? folder : QDir::homePath() + fallback;
}

bool writeFile(const QString& path, const QString& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.commit();
}

void runInstalledTool(const QString& tool, const QStringList& arguments)
{
    const QString executable = QStandardPaths::findExecutable(tool);
    if (executable.isEmpty())
        return;
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(executable, arguments);
    process.waitForFinished(10000);
}

QString mimePackage()
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                          "  <mime-type type=\"")
           + WallMimeType
           + QStringLiteral("\">\n"
                            "    <comment>Pavisto File</comment>\n"
                            "    <icon name=\"")
           + IconName
           + QStringLiteral("\"/>\n"
                            "    <glob pattern=\"*.wall\"/>\n"
                            "  </mime-type>\n"
                            "</mime-info>\n");
}

QString desktopEntry(const QString& program)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Pavisto\n"
                          "GenericName=Image Viewer\n"
                          "Comment=Lays folders of photographs out as one wall of thumbnails\n"
                          "Exec=")
           + DesktopExecQuoted(program) + QStringLiteral(" %f\nIcon=") + IconName + QStringLiteral("\nMimeType=")
           + WallMimeType
           + QStringLiteral(";\n"
                            "Terminal=false\n"
                            "Categories=Graphics;Viewer;\n");
}

void setDefaultApplication(const QString& listPath)
{
    QFile file(listPath);
    QString list;
    if (file.exists()) {
        // An unreadable list is left alone rather than replaced.
        if (!file.open(QIODevice::ReadOnly))
            return;
        list = QString::fromUtf8(file.readAll());
        file.close();
    }
    writeFile(listPath, WithDefaultApplication(list, WallMimeType, DesktopEntryName));
}

} // namespace

AssociationTarget ThisProgramsTarget()
{
    return {xdgFolder("XDG_DATA_HOME", QStringLiteral("/.local/share")),
            xdgFolder("XDG_CONFIG_HOME", QStringLiteral("/.config")), QCoreApplication::applicationFilePath(),
            ShippedFilePath(QStringLiteral("pavisto.svg")), runInstalledTool};
}

QString DesktopExecQuoted(const QString& program)
{
    // Quoted only where a reserved character requires it: xdg-open without a
    // desktop environment cannot start a program whose path is quoted.
    const QString reserved = QStringLiteral(" \t\n\r\"'\\><~|&;$*?#()`");
    if (std::none_of(program.begin(), program.end(), [&](QChar c) { return reserved.contains(c); }))
        return QString(program).replace(QLatin1Char('%'), QStringLiteral("%%"));
    // Quoting escapes " ` $ and \ with a backslash; the key's string escapes
    // then double every backslash; a literal % is written %%.
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$')
            quoted += QStringLiteral("\\\\") + c;
        else if (c == u'\\')
            quoted += QStringLiteral("\\\\\\\\");
        else if (c == u'%')
            quoted += QStringLiteral("%%");
        else if (c == u'\n')
            quoted += QStringLiteral("\\n");
        else if (c == u'\t')
            quoted += QStringLiteral("\\t");
        else if (c == u'\r')
            quoted += QStringLiteral("\\r");
        else
            quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString WithDefaultApplication(const QString& list, const QString& type, const QString& desktopId)
{
    const QString group = QStringLiteral("[Default Applications]");
    const QString entry = type + QLatin1Char('=') + desktopId + QLatin1Char(';');
    QStringList lines = list.split(QLatin1Char('\n'));
    if (lines.constLast().isEmpty())
        lines.removeLast();
    const qsizetype header = lines.indexOf(group);
    if (header < 0) {
        if (!lines.isEmpty() && !lines.constLast().trimmed().isEmpty())
            lines.append(QString());
        lines << group << entry;
        return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    }
    qsizetype end = header + 1;
    while (end < lines.size() && !lines.at(end).startsWith(QLatin1Char('[')))
        ++end;
    for (qsizetype i = header + 1; i < end; ++i) {
        if (lines.at(i).section(QLatin1Char('='), 0, 0).trimmed() == type) {
            lines[i] = entry;
            return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
        }
    }
    // After the group's last entry, before the blank lines that end it.
    while (end > header + 1 && lines.at(end - 1).trimmed().isEmpty())
        --end;
    lines.insert(end, entry);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool WallFilesClaimed()
{
    return !QMimeDatabase().mimeTypesForFileName(QStringLiteral("photos.wall")).isEmpty();
}

bool WriteDesktopFiles(const QString& dataHome, const QString& program)
{
    // Each file is tried even when the other fails.
    const bool package = writeFile(dataHome + QStringLiteral("/mime/packages/pavisto-wall.xml"), mimePackage());
    const bool entry = writeFile(dataHome + QStringLiteral("/applications/") + DesktopEntryName, desktopEntry(program));
    return package && entry;
}

void CreateFileAssociation(const AssociationTarget& target)
{
    SkipErrors([&] {
        const QString mime = target.dataHome + QStringLiteral("/mime");
        const QString applications = target.dataHome + QStringLiteral("/applications");
        WriteDesktopFiles(target.dataHome, target.program);
        if (!target.icon.isEmpty() && QFile::exists(target.icon)) {
            const QString icon = target.dataHome + QStringLiteral("/icons/hicolor/scalable/apps/") + IconName
                                 + QStringLiteral(".svg");
            QDir().mkpath(QFileInfo(icon).path());
            QFile::remove(icon);
            QFile::copy(target.icon, icon);
        }
        setDefaultApplication(target.configHome + QStringLiteral("/mimeapps.list"));
        target.runTool(QStringLiteral("update-mime-database"), {mime});
        target.runTool(QStringLiteral("update-desktop-database"), {applications});
    });
}

void RegisterWallFileType()
{
    SkipErrors([] {
        if (!WallFilesClaimed())
            CreateFileAssociation(ThisProgramsTarget());
    });
}
