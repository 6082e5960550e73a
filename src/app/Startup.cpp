#include "app/Startup.h"

#include "shell/MainModule.h"
#include "shell/ScratchFolder.h"
#include "shell/Utilities.h"
#include "ui/frmMain.h"

#include <QApplication>

#include <memory>

int Main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::unique_ptr<ScratchFolder> scratch;
    std::unique_ptr<frmMain> mainWindow;
    try {
        ShowBusyPointer();
        AppTitle = BuildAppTitle();
        // Runs that were killed could not remove their folders themselves.
        RemoveStaleScratchFolders(GetTempFolder());
        // A folder of this run's own, so no other user or running copy can
        // read or replace the thumbnail scratch file.
        scratch = std::make_unique<ScratchFolder>(GetTempFolder());
        if (!scratch->isValid())
            throw AppError(ErrorNumber::PathFileAccess, scratch->errorString());
        TempPath = scratch->path();
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
