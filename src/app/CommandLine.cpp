#include "app/CommandLine.h"

#include "shell/FileNames.h"
#include "shell/MainModule.h"
#include "shell/Utilities.h"
#include "ui/frmMain.h"

#include <QDir>

QString CommandLineTail(const QList<QByteArray>& arguments)
{
    return FileNameFromBytes(arguments.mid(1).join(' '));
}

std::optional<QString> CommandLineAnswer(const QString& tail, const QString& startFolder)
{
    if (FileExists(QDir(startFolder).absoluteFilePath(tail)))
        return std::nullopt;
    if (tail == QLatin1String("--version"))
        return BuildAppTitle() + QLatin1Char('\n');
    if (tail == QLatin1String("--help"))
        return QStringLiteral("Usage: pavisto [WALL FILE]\n"
                              "Lays folders of photographs out as one wall of thumbnails; opens the\n"
                              "wall file when one is named. Everything after the program's name is\n"
                              "the file's path, blanks included.\n\n"
                              "  --help     print this text and exit\n"
                              "  --version  print the version and exit\n");
    return std::nullopt;
}

void OpenCommandLineFile(frmMain& window, const QString& tail, const QString& startFolder)
{
    if (tail.isEmpty())
        return;
    const QString path = QDir(startFolder).absoluteFilePath(tail);
    if (FileExists(path))
        window.OpenFile(path);
}
