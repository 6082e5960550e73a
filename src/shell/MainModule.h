#pragma once

#include "shell/AppError.h"

#include <QString>

class QWidget;

// Process-wide values, set once at start-up before any window exists.
extern QString AppTitle;   // "Pavisto major.minor.revision"
extern QString TempPath;   // private scratch folder, ends in "/"
extern QWidget* MainFormRef;

QString BuildAppTitle();
QString CriticalErrorText(const AppError& error);
// The page that explains folder permissions, shipped beside the program.
QString HelpPagePath();
