#include "shell/MainModule.h"

#include "Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString AppTitle = QStringLiteral("Pavisto");

namespace {
const QString SupportAddress = QStringLiteral("support@pavisto.org");
}

QString BuildAppTitle()
{
    return QStringLiteral("Pavisto %1.%2.%3").arg(Version::Major).arg(Version::Minor).arg(Version::Revision);
}

QString CriticalErrorText(const AppError& error)
{
    return QStringLiteral("Critical Error: ") + QString::number(error.number()) + QLatin1Char(' ')
           + error.description() + QStringLiteral("\n\nPlease report this error to ") + SupportAddress;
}

QString ShippedFilePath(const QString& name, const QString& programFolder)
{
    const QString folder = programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
    QString beside = folder + QLatin1Char('/') + name;
    const QString installed = folder + QStringLiteral("/../share/pavisto/") + name;
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed))
        return QDir::cleanPath(installed);
    return beside;
}

QString HelpPagePath()
{
    return ShippedFilePath(QStringLiteral("folder-access.html"));
}
