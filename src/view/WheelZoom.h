#pragma once

#include <QObject>

struct CommandContext;

// Takes the wheel away from the grid: every vertical wheel event over its
// viewport is one zoom step, however far the wheel turned, and never a
// scroll. Horizontal-only wheel events and all other events pass untouched.
class WheelZoom : public QObject {
    Q_OBJECT
public:
    // Installs itself on the grid's viewport.
    explicit WheelZoom(CommandContext& ctx);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CommandContext& m_ctx;
};
