#include "shell/MainModule.h"

#include "Version.h"

#include <QCoreApplication>

QString AppTitle = QStringLiteral("Pavisto");
QString TempPath;
QWidget* MainFormRef = nullptr;

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

QString HelpPagePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/folder-access.html");
}
