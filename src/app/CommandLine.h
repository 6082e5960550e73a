#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

class frmMain;

// The command-line tail: the arguments after the program's own name, joined
// with single blanks, so an unquoted path with blanks still names its file.
// Taken from the bytes, so a name that is not UTF-8 still names its file.
QString CommandLineTail(const QList<QByteArray>& arguments);

// What the program prints and exits with for "--version" or "--help";
// nullopt for any other tail, and also when a file of that name lies in
// `startFolder`, since the tail names a wall to open first of all.
std::optional<QString> CommandLineAnswer(const QString& tail, const QString& startFolder);

// Opens the wall file the tail names; a relative path is taken from
// `startFolder`. A tail that names no existing file is ignored silently.
void OpenCommandLineFile(frmMain& window, const QString& tail, const QString& startFolder);
