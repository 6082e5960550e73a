#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Photo-like JPEGs for the benchmarks, made once into a folder and reused.
namespace BenchCorpus {

// count files of 2 to 24 megapixels (a third progressive, a quarter turned
// by an EXIF orientation), half of them one folder down; made only when
// missing.
QStringList make(const QString& folder, int count);
// Reads every file once so that disk reads do not count.
void readIntoCache(const QStringList& files);
// Wall-clock seconds of one call.
double seconds(const std::function<void()>& work);
// A line of /proc/self/status in kilobytes: "VmRSS", "VmHWM".
qint64 statusKB(const char* field);

}
