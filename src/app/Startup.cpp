#include "app/Startup.h"

#include "app/CommandLine.h"
#include "app/FileAssociation.h"
#include "shell/MainModule.h"
#include "shell/ScratchFolder.h"
#include "shell/Utilities.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <memory>

int Main(int argc, char** argv)
{
    // Answered before any display is needed: they work over ssh too.
    if (const std::optional<QString> answer =
            CommandLineAnswer(CommandLineTail(QList<QByteArray>(argv, argv + argc)), QDir::currentPath())) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    // Title bars and task switchers show it; a missing file leaves them bare.
    QApplication::setWindowIcon(QIcon(ShippedFilePath(QStringLiteral("pavisto.png"))));
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
        RegisterWallFileType();
        mainWindow = std::make_unique<frmMain>();
        mainWindow->show();
        // From the event loop, so that closing the window during the open
        // ends the program like any other load.
        // What Qt left of the arguments once it took its own.
        const QList<QByteArray> arguments(argv, argv + argc);
        QTimer::singleShot(0, mainWindow.get(), [&mainWindow, tail = CommandLineTail(arguments),
                                                 start = QDir::currentPath()] {
            OpenCommandLineFile(*mainWindow, tail, start);
        });
        ShowDefaultPointer();
    } catch (...) {
        ShowDefaultPointer();
        MsgBox(CriticalErrorText(AppError::current()), MsgIcon::Critical);
        return 1;
    }
    return app.exec();
}
