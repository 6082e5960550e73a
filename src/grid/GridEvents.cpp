#include "grid/GridEvents.h"

#include <QHash>
#include <QWheelEvent>

namespace {

constexpr int Notch = 120;  // one wheel notch in angle units
// A longer gap between wheel events begins a new turn.
constexpr quint64 PauseMs = 300;

} // namespace

int GridButtonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return GridEvent::LeftButton;
    case Qt::RightButton: return GridEvent::RightButton;
    case Qt::MiddleButton: return GridEvent::MiddleButton;
    default: return 0;
    }
}

int GridShiftOf(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= GridEvent::ShiftMask;
    if (modifiers & Qt::ControlModifier)
        shift |= GridEvent::CtrlMask;
    if (modifiers & Qt::AltModifier)
        shift |= GridEvent::AltMask;
    return shift;
}

int GridKeyOf(int qtKey)
{
    static const QHash<int, int> codes{
        {Qt::Key_Backspace, 8},
        {Qt::Key_Tab, 9},
        {Qt::Key_Return, 13},
        {Qt::Key_Enter, 13},
        {Qt::Key_Escape, GridEvent::EscapeKey},
        {Qt::Key_Space, 32},
        {Qt::Key_PageUp, GridEvent::PageUpKey},
        {Qt::Key_PageDown, GridEvent::PageDownKey},
        {Qt::Key_End, GridEvent::EndKey},
        {Qt::Key_Home, GridEvent::HomeKey},
        {Qt::Key_Left, GridEvent::LeftKey},
        {Qt::Key_Up, GridEvent::UpKey},
        {Qt::Key_Right, GridEvent::RightKey},
        {Qt::Key_Down, GridEvent::DownKey},
        {Qt::Key_Insert, 45},
        {Qt::Key_Delete, GridEvent::DeleteKey},
    };
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    return codes.value(qtKey, 0);
}

int WheelNotches::add(const QWheelEvent& event)
{
    const int rotation = event.angleDelta().y();
    if (rotation == 0)
        return 0;
    if ((rotation < 0) != (m_turned < 0) || event.timestamp() - m_lastTurnAt > PauseMs)
        m_turned = 0;
    m_lastTurnAt = event.timestamp();
    m_turned += rotation;
    const int notches = m_turned / Notch;
    m_turned -= notches * Notch;
    return notches;
}
