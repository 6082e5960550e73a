#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>

// The main window's state, in the parts its readers take: a piece of code
// that is given only one of them depends on nothing else. Defaults are
// those of a fresh start; nothing here is persisted.

// How the wall is laid out and shown: what Options edits, and the zoom.
struct Settings {
    int32_t GridCols = 100;
    int32_t GridRows = 100;
    int32_t ThumbMaxHeight = 200;  // pixels; 0 = no limit
    int32_t ThumbMaxWidth = 200;
    int32_t CellCount = 10000;     // GridCols x GridRows
    bool HidePreview = false;
    bool MonoImages = true;
    bool HideGridLines = false;
    int16_t ZoomLevel = 0;  // zoom steps above the base size
};

// What a running load and the commands run in its yields tell each other.
struct LoadFlags {
    bool IsLoading = false;
    // Read by decodes on worker threads too.
    std::atomic<bool> StopLoading = false;
    bool IsClosing = false;
    // Raised by the memory readout; a load that sees it stops.
    bool LowMemory = false;
};

// Menu states that outlast a command. "Stop Loading" is shown while a
// load runs and takes clicks once the load has started its work; the
// slideshow is offered from the end of the first load on.
struct MenuState {
    bool StopEnabled = false;
    bool SlideshowReady = false;
    // The slideshow item reads "Slideshow Off": a run started and no click
    // has asked it to stop since (it may have ended by itself).
    bool SlideshowCaptionOff = false;
    // Asks a running slideshow to end.
    bool StopSlideshow = false;
};

// What is kept of the wall beside its cells.
struct WallState {
    // The cells that hold an image (shown, or hidden by a search).
    int32_t ImageCount = 0;
    // The wall file of the last Open Wall when it ended before the end of
    // the file (canonical path; "" otherwise) and the records it holds.
    QString PartialWallPath;
    qint64 PartialWallRecords = 0;
    // A digest of the wall as it was last opened, saved or loaded: a wall
    // that differs has changes the user has not saved.
    QByteArray SavedWall;
};

// All of it, shared by every command through its context.
struct MainState : Settings, LoadFlags, MenuState, WallState {};
