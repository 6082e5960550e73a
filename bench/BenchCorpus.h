#pragma once

#include "shell/Platform.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class GridWidget;
struct CommandContext;

// Photo-like JPEGs for the benchmarks, made once into a folder and reused.
namespace BenchCorpus {

// The program's title and a scratch folder, as start-up makes them, and a
// shared thumbnail cache of the benchmark's own, for as long as this lives.
class Program {
public:
    Program();
    // Empties the thumbnail cache, so that the next load decodes every file.
    void forgetThumbnails() const;

private:
    QTemporaryDir m_scratch;
};
// While it lives, every message box is answered `answer` at once and every
// other question is cancelled: a benchmark never waits on a dialog.
class Answering : public Prompts {
public:
    explicit Answering(MsgAnswer answer) : m_answer(answer) { Platform::setPrompts(this); }
    ~Answering() override { Platform::setPrompts(nullptr); }
    Answering(const Answering&) = delete;
    Answering& operator=(const Answering&) = delete;

    MsgAnswer message(const QString&, const QString&, MsgIcon, MsgButtons) override { return m_answer; }
    std::optional<QString> input(const QString&, const QString&, const QString&) override { return {}; }
    QString folder(const QString&, const QString&) override { return {}; }
    QString file(const FileRequest&) override { return {}; }

private:
    MsgAnswer m_answer;
};
// The corpus folder named by argument `index`, or the default one.
QString folder(int argc, char** argv, int index);

// The corpus of the command line "[corpus-folder] [image-count]" (96 images
// by default), made when missing and read into memory.
struct Corpus {
    QString folder;
    QStringList files;
};
Corpus prepare(int argc, char** argv);

// count files of 2 to 24 megapixels (a third progressive, a quarter turned
// by an EXIF orientation, two in five with an embedded thumbnail), half of
// them one folder down; made only when missing.
QStringList make(const QString& folder, int count);
// Reads every file once so that disk reads do not count.
void readIntoCache(const QStringList& files);
// A fresh folder load, as Add Images runs it once the folder is chosen.
void LoadFolder(CommandContext& ctx, const QString& folder);
// Wall-clock seconds of one call.
double seconds(const std::function<void()>& work);
// A line of /proc/self/status in kilobytes: "VmRSS", "VmHWM".
qint64 statusKB(const char* field);
// Waits until every cell on screen shows its whole version, as the idle
// program would let them come in: milliseconds, or -1 after `timeoutMs`.
double SharpMs(GridWidget& grid, int timeoutMs);

}
