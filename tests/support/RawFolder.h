#pragma once

#include <QFile>
#include <QTemporaryDir>

#include <filesystem>

// A temporary folder removed by its bytes: Qt's own removal cannot name the
// entries whose names are not UTF-8, and would leave them behind.
struct RawFolder : QTemporaryDir {
    ~RawFolder() { std::filesystem::remove_all(QFile::encodeName(path()).toStdString()); }
};
