#include "app/CommandLine.h"

#include "shell/FileNames.h"
#include "shell/Utilities.h"
#include "ui/frmMain.h"

#include <QDir>

QString CommandLineTail(const QList<QByteArray>& arguments)
{
    return FileNameFromBytes(arguments.mid(1).join(' '));
}

void OpenCommandLineFile(frmMain& window, const QString& tail, const QString& startFolder)
{
    if (tail.isEmpty())
        return;
    const QString path = QDir(startFolder).absoluteFilePath(tail);
    if (FileExists(path))
        window.OpenFile(path);
}
