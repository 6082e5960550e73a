#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class frmMain;

// The command-line tail: the arguments after the program's own name, joined
// with single blanks, so an unquoted path with blanks still names its file.
// Taken from the bytes, so a name that is not UTF-8 still names its file.
QString CommandLineTail(const QList<QByteArray>& arguments);

// Opens the wall file the tail names; a relative path is taken from
// `startFolder`. A tail that names no existing file is ignored silently.
void OpenCommandLineFile(frmMain& window, const QString& tail, const QString& startFolder);
