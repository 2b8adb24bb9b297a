// Mouse pointer shapes as the class library numbers them, and the Qt shapes that show them.
#pragma once

#include <QCursor>
#include <QPointer>
#include <QWidget>
#include <Qt>
#include <vector>

// Negative numbers are the system's shapes; positive ones are shapes a program registers itself.
using TCursor = int;

enum : TCursor {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHSplit = -14,
    crVSplit = -15,
    crMultiDrag = -16,
    crSQLWait = -17,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22,
};

// The Qt shape of a pointer number. Shapes a program registers have no standard look and show
// as the arrow, like crDefault.
Qt::CursorShape CursorShapeOf(TCursor cursor);

// Draws a shape a program registers; called once, on first use, when the application exists.
using TCursorDrawer = QCursor (*)();
// Puts a shape of the program's own under a (positive) number, replacing any shape it had. Registering
// only keeps the drawer, so a unit may register its shapes before the application is created.
void RegisterCursor(TCursor cursor, TCursorDrawer draw);
// The Qt cursor of a pointer number: the registered shape, else the system shape of CursorShapeOf.
QCursor CursorOf(TCursor cursor);

// Shows the hourglass over the whole application while it lives; nested ones stack.
class TBusyCursor {
public:
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// Lets a busy operation's state go while the user is asked something in its middle: while it lives
// the pointer is the normal one (every hourglass and other shape the application put over its
// windows is taken off) and the windows whose painting is held paint; its end puts both back as
// they were. Message boxes hold one while they are shown.
class TBusySuspended {
public:
    TBusySuspended();
    ~TBusySuspended();
    TBusySuspended(const TBusySuspended&) = delete;
    TBusySuspended& operator=(const TBusySuspended&) = delete;

private:
    std::vector<QCursor> FCursors;
    std::vector<QPointer<QWidget>> FHeld;
};
