#pragma once

struct CommandContext;

// The window's state while a command loads images, entered and left in one
// place by the folder load, Open Wall and the single-cell commands: the busy
// pointer, IsLoading with the menus a load refuses, "Stop Loading", and at
// the end (however the command ends) all of it undone and, when the window
// was closed meanwhile, the program ended.
class LoadingRun {
public:
    // A load sets IsLoading and refuses what a load refuses; a single image
    // only shows the busy pointer.
    enum Kind { Load, SingleImage };

    explicit LoadingRun(CommandContext& ctx, Kind kind = Load);
    ~LoadingRun();
    LoadingRun(const LoadingRun&) = delete;
    LoadingRun& operator=(const LoadingRun&) = delete;

    void showBusy();
    // "Stop Loading" takes clicks from now on.
    void offerStop();
    // The end, at once; the destructor does nothing more after it.
    void end();

private:
    CommandContext& m_ctx;
    const Kind m_kind;
    bool m_ended = false;
};
