#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// The cell that receives the next image of a load; recursive scans continue
// where their parent left off.
struct NextCellPosition {
    int32_t Col = 0;
    int32_t Row = 0;
    int32_t FirstRow = 0;  // where every new column starts
};

// The main window's settings and flags, shared by every command. Defaults
// are those of a fresh start; nothing here is persisted.
struct MainState {
    // Public settings (Options edits them).
    int32_t GridCols = 100;
    int32_t GridRows = 100;
    int32_t ThumbMaxHeight = 200;  // pixels; 0 = no limit
    int32_t ThumbMaxWidth = 200;
    int32_t CellCount = 10000;     // GridCols x GridRows
    bool IsLoading = false;
    bool HidePreview = false;
    bool MonoImages = true;
    bool HideGridLines = false;
    bool LowMemory = false;

    // Private state of the main window.
    bool StopLoading = false;
    bool IsClosing = false;
    int16_t ZoomLevel = 0;
    int32_t ImageCount = 0;
    bool StopSlideshow = false;
    bool ResetArmed = false;

    // Menu states that outlast a command. "Stop Loading" is shown while a
    // load runs and takes clicks once the load has started its work; the
    // slideshow is offered from the end of the first load on.
    bool StopEnabled = false;
    bool SlideshowReady = false;
    // The slideshow item reads "Slideshow Off": a run started and no click
    // has asked it to stop since (it may have ended by itself).
    bool SlideshowCaptionOff = false;

    // The wall file of the last Open Wall when it ended before the end of
    // the file (canonical path; "" otherwise) and the records it holds.
    QString PartialWallPath;
    qint64 PartialWallRecords = 0;
    // A digest of the wall as it was last opened, saved or loaded: a wall
    // that differs has changes the user has not saved.
    QByteArray SavedWall;

    // Thumbnail hand-off: the caller loads the image itself rather than the
    // scaled copy. Meaningful right after a successful MakeThumbnail.
    bool UseFullImage = false;
    NextCellPosition NextCell;
};
