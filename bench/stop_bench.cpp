// Stop benchmark, run by hand (never by ctest):
//
//   cmake --build build --target stop_bench
//   QT_QPA_PLATFORM=offscreen build/bench/stop_bench [folder]
//
// Makes once the largest picture the program accepts (15800 x 15800, noise,
// so it decodes slowly) and measures how long a stop takes to end a decode
// of it already under way: the bare decode for a thumbnail and at full size,
// and a whole folder load stopped from its event loop as "Stop Loading" is.

#include "BenchCorpus.h"
#include "image/Decode.h"
#include "load/Loading.h"
#include "shell/CommandContext.h"
#include "shell/MainState.h"
#include "support/TestImages.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <thread>

namespace {

constexpr int Side = 15800;  // 249.6 megapixels, just within what is decoded
constexpr int StopAfterMs = 400;

QString hugePicture(const QString& folder)
{
    const QString path = folder + QStringLiteral("/huge/huge.jpg");
    if (QFile::exists(path))
        return path;
    std::fprintf(stderr, "making %s ...\n", qPrintable(path));
    QImage noise(Side, Side, QImage::Format_RGB32);
    quint32 state = 1;
    for (int y = 0; y < Side; ++y) {
        auto* line = reinterpret_cast<quint32*>(noise.scanLine(y));
        for (int x = 0; x < Side; ++x)
            line[x] = (state = state * 1664525U + 1013904223U) >> 8;
    }
    TestImages::write(path, TestImages::encode(noise));
    return path;
}

// Milliseconds from raising the stop to the decode's return, the stop
// raised StopAfterMs into the decode.
double bareStop(const QString& path, int limit)
{
    std::atomic<bool> stop = false;
    QElapsedTimer raised;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(StopAfterMs));
        raised.start();
        stop = true;
    });
    const DecodedThumbnail result = DecodeThumbnail(path, limit, limit, nullptr, [&] { return stop.load(); });
    const double ms = raised.isValid() ? raised.nsecsElapsed() / 1e6 : -1;
    stopper.join();
    if (!result.stopped)
        std::fprintf(stderr, "the decode ended before the stop\n");
    return ms;
}

// Milliseconds from the click on "Stop Loading" (a timer in the load's event
// loop, StopAfterMs into the load) to the end of the load, workers joined.
double loadStop(frmMain& w, const QString& folder)
{
    QElapsedTimer clicked;
    QTimer::singleShot(StopAfterMs, [&] {
        clicked.start();
        mnuStop_Click(w.state());
    });
    QElapsedTimer load;
    load.start();
    BenchCorpus::LoadFolder(w.commands(), folder);
    const double ms = clicked.isValid() ? clicked.nsecsElapsed() / 1e6 : -1;
    std::printf("  (the click came %.0f ms into the load, asked for at %d ms)\n",
                load.nsecsElapsed() / 1e6 - ms, StopAfterMs);
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchCorpus::Program program;
    const QString folder = BenchCorpus::folder(argc, argv, 1);
    const QString huge = hugePicture(folder);
    BenchCorpus::readIntoCache({huge});
    std::printf("%d x %d JPEG, stop raised %d ms into the decode\n", Side, Side, StopAfterMs);
    std::printf("bare decode to 200 x 200: stopped %.0f ms after the stop\n", bareStop(huge, 200));
    std::printf("bare decode at full size: stopped %.0f ms after the stop\n", bareStop(huge, 0));
    frmMain w;
    w.show();
    program.forgetThumbnails();
    std::printf("folder load: ended %.0f ms after the click on Stop\n", loadStop(w, folder + QStringLiteral("/huge")));
    return 0;
}
