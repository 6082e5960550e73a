#include "view/WheelZoom.h"

#include "grid/GridWidget.h"
#include "shell/CommandContext.h"
#include "shell/Utilities.h"
#include "view/Zoom.h"

#include <QWheelEvent>

WheelZoom::WheelZoom(CommandContext& ctx) : QObject(ctx.grid.viewport()), m_ctx(ctx)
{
    ctx.grid.viewport()->installEventFilter(this);
}

bool WheelZoom::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    const int rotation = static_cast<QWheelEvent*>(event)->angleDelta().y();
    if (rotation == 0)
        return false;
    // Turned towards the user zooms out; away zooms in.
    SkipErrors([&] {
        if (rotation < 0)
            ZoomOut(m_ctx);
        else
            ZoomIn(m_ctx, false);
    });
    return true;
}
