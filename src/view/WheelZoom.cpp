#include "view/WheelZoom.h"

#include "grid/GridWidget.h"
#include "shell/CommandContext.h"
#include "shell/Utilities.h"
#include "view/Zoom.h"

#include <QScrollBar>
#include <QWheelEvent>

namespace {

constexpr int Notch = 120;  // one wheel notch in angle units
// A longer gap between wheel events begins a new turn.
constexpr quint64 PauseMs = 300;

} // namespace

WheelZoom::WheelZoom(CommandContext& ctx) : QObject(ctx.grid.viewport()), m_ctx(ctx)
{
    GridWidget& grid = ctx.grid;
    // The scroll bars would scroll on the wheel themselves; the grid's own
    // rest (its frame, the corner) is the wall too.
    for (QObject* part : std::initializer_list<QObject*>{&grid, grid.viewport(), grid.verticalScrollBar(),
                                                         grid.horizontalScrollBar()})
        part->installEventFilter(this);
}

bool WheelZoom::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    const auto* wheel = static_cast<QWheelEvent*>(event);
    const int rotation = wheel->angleDelta().y();
    if (rotation == 0)
        return true;
    // What is left of a turn the other way or of one before a pause is
    // dropped, so that a single notch always makes exactly one step.
    if ((rotation < 0) != (m_turned < 0) || wheel->timestamp() - m_lastTurnAt > PauseMs)
        m_turned = 0;
    m_lastTurnAt = wheel->timestamp();
    m_turned += rotation;
    const int steps = m_turned / Notch;
    m_turned -= steps * Notch;
    // Turned towards the user zooms out; away zooms in.
    SkipErrors([&] {
        for (int step = steps; step > 0; --step)
            ZoomIn(m_ctx, false);
        for (int step = steps; step < 0; ++step)
            ZoomOut(m_ctx);
    });
    return true;
}
