#pragma once

#include <QString>

#include <functional>

// Asks the user for a wall file with the window's file dialog: its title
// and whether it saves. "" when cancelled.
using AskWallFile = std::function<QString(const QString& title, bool save)>;

// Whether a chosen path ends in ".wall"; when it does not, the user is told
// so and the command ends.
bool WallExtensionAccepted(const QString& path);
