#pragma once

#include <QString>
#include <QtGlobal>

struct LoadFlags;
struct MainState;

extern const QString OutOfMemoryText;

// Whole numbers with the locale's digit grouping, at least one digit.
QString FormatCount(qint64 value);
// Bytes as "1.00 GB", "1024.00 MB", "1.00 KB" or "1023 Bytes".
QString FormatByteSize(qint64 count);
// The free physical memory in bytes; raises LowMemory when it runs short.
qint64 FreeMemory(LoadFlags& load);
// "Available memory: …" for that many bytes.
QString AvailableMemoryText(qint64 available);
// The main window's status caption for the current cell.
QString CaptionText(MainState& state, int row, int col, const QString& cellPath);

// After a progress update: when memory ran short, tells the user, asks the
// running load to stop and answers true. LowMemory is consumed.
bool StopOnLowMemory(LoadFlags& load);

constexpr qint64 LowMemoryThreshold = 262144000;  // 250 MiB
