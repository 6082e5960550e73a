#pragma once

#include <QObject>

struct CommandContext;

// Takes the wheel away from the grid: over its viewport and its scroll bars
// the wheel zooms and never scrolls. Each notch's worth of vertical turn
// (120, added up over a touchpad's many small events) is one step; wheel
// events without a vertical part are eaten. All other events pass untouched.
class WheelZoom : public QObject {
    Q_OBJECT
public:
    // Installs itself on the grid, its viewport and its scroll bars.
    explicit WheelZoom(CommandContext& ctx);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CommandContext& m_ctx;
    int m_turned = 0;          // vertical turn not yet a step, under a notch either way
    quint64 m_lastTurnAt = 0;  // the wheel event's own timestamp, in ms
};
