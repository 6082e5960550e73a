#include "shell/MainModule.h"

#include "Version.h"
#include "shell/Utilities.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QTemporaryDir>

#include <memory>

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

int Main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::unique_ptr<QTemporaryDir> scratch;
    std::unique_ptr<frmMain> mainWindow;
    try {
        ShowBusyPointer();
        AppTitle = BuildAppTitle();
        // A folder of this run's own, so no other user or running copy can
        // read or replace the thumbnail scratch file.
        scratch = std::make_unique<QTemporaryDir>(GetTempFolder() + QStringLiteral("pavisto-XXXXXX"));
        if (!scratch->isValid())
            throw AppError(ErrorNumber::PathFileAccess, scratch->errorString());
        TempPath = scratch->path();
        if (!TempPath.endsWith(QLatin1Char('/')))
            TempPath.append(QLatin1Char('/'));
        mainWindow = std::make_unique<frmMain>();
        mainWindow->show();
        ShowDefaultPointer();
    } catch (...) {
        ShowDefaultPointer();
        MsgBox(CriticalErrorText(AppError::current()), MsgIcon::Critical);
        return 1;
    }
    return app.exec();
}
