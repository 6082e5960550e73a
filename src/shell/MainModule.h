#pragma once

#include "shell/AppError.h"

#include <QString>

// Process-wide values, set once at start-up before any window exists.
extern QString AppTitle;   // "Pavisto major.minor.revision"

QString BuildAppTitle();
QString CriticalErrorText(const AppError& error);
// A file that ships with the program: beside it in a build folder, or in
// <prefix>/share/pavisto when it runs installed as <prefix>/bin/pavisto.
// The place beside it when neither holds the file. `programFolder` defaults
// to the running program's folder.
QString ShippedFilePath(const QString& name, const QString& programFolder = {});
// The page that explains folder permissions.
QString HelpPagePath();
