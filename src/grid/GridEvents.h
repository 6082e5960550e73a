#pragma once

#include <QtGlobal>
#include <qnamespace.h>

class QWheelEvent;

// What the user did on the grid, in the grid's own terms: Qt's keys,
// buttons, modifiers and wheel are translated here, once, and the window's
// input table turns each event into its command.
struct GridEvent {
    enum Kind { KeyDown, KeyUp, ButtonUp, DoubleClick, Wheel };
    // Mouse buttons and shift states as the grid's events report them.
    enum Button { LeftButton = 1, RightButton = 2, MiddleButton = 4 };
    enum Shift { ShiftMask = 1, CtrlMask = 2, AltMask = 4 };
    // Key codes: Windows virtual-key codes; letters and digits share
    // theirs, keys without one are 0.
    enum Key {
        EscapeKey = 27,
        PageUpKey = 33,
        PageDownKey = 34,
        EndKey = 35,
        HomeKey = 36,
        LeftKey = 37,
        UpKey = 38,
        RightKey = 39,
        DownKey = 40,
        DeleteKey = 46,
    };
    // A wheel turn: away from the user, towards the user.
    enum Turn { Away = 1, Towards = -1 };

    Kind kind;
    int code = 0;   // the key, the button or the turn
    int shift = 0;  // Shift, Ctrl and Alt held
};

int GridButtonOf(Qt::MouseButton button);
int GridShiftOf(Qt::KeyboardModifiers modifiers);
int GridKeyOf(int qtKey);

// Adds up a wheel's turns, a touchpad's many small ones too, into notches:
// one step for each 120 units of vertical turn. What is left of a turn the
// other way or before a pause is dropped, so a single notch always makes
// one step. Turns without a vertical part make none.
class WheelNotches {
public:
    // The notches of this event: positive away from the user.
    int add(const QWheelEvent& event);

private:
    int m_turned = 0;
    quint64 m_lastTurnAt = 0;
};
