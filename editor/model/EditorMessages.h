// The editor control's private messages (the 0x0C00 block) and the bits they share.
#pragma once

#include "platform/core/Classes.h"
#include "platform/core/Geometry.h"
#include "platform/core/Messages.h"

enum : UINT {
    SMM_SELECTION = 0x0C00,
    SMM_OPTIONS = 0x0C01,
    SMM_INSERTTEXT = 0x0C02,
    SMM_SUSPENDPAINT = 0x0C05,
    SMM_LOADSTREAM = 0x0C06,
    SMM_SAVESTREAM = 0x0C07,
    SMM_MODIFIED = 0x0C08,
    SMM_TOPLINE = 0x0C09,
    SMM_LEFTCOLUMN = 0x0C0A,
    SMM_FIND = 0x0C0B,
    SMM_REPLACE = 0x0C0C,
    SMM_GETSELTEXT = 0x0C0D,
    SMM_CANREDO = 0x0C0E,
    SMM_REDO = 0x0C0F,
    SMM_INDENT = 0x0C10,
    SMM_UNINDENT = 0x0C11,
    SMM_SETTINGSCHANGED = 0x0C12,
    SMM_SETSTYLES = 0x0C13,
    SMM_GETSTYLES = 0x0C14,
    SMM_UNDOSTACK = 0x0C15,
    SMM_HIGHLIGHTSTART = 0x0C21,
    SMM_GETVERSION = 0x0C40,
    // Can-paste query.
    SMM_CANPASTE = WM_USER + 0x32,
};

// wParam bits of the private messages that both read and write a value.
enum : WPARAM {
    SMM_SET = 1,      // set (else get)
    SMM_NOREDRAW = 2, // set without redrawing, notifying or scrolling
};

// Save and put-out formats of SMM_SAVESTREAM and SMM_GETSELTEXT.
enum : WPARAM {
    SMM_FORMAT_TEXT = 1, // plain, CR LF line breaks
    SMM_FORMAT_RTF = 2,
    SMM_FORMAT_HTML = 4,
    SMM_FORMAT_UNIX = 8, // plain, LF line breaks
};

// Change bits turned into OnChange by Change.
enum : unsigned {
    CHANGE_SELECTION = 0x01,
    CHANGE_TEXT = 0x02,
    CHANGE_VIEW = 0x04,
    CHANGE_SETTINGS = 0x08,
    CHANGE_INSERTMODE = 0x20,
    CHANGE_OPTIONS = 0x40,
    CHANGE_CLIPBOARD = 0x80,
};

// The pair exchanged by SMM_SELECTION (anchor and caret, not ordered) and by SMM_SETSTYLES/SMM_GETSTYLES.
struct TSelectionRange {
    int32_t Start;
    int32_t End;
};

// Notifications the control sends itself when a property of the window changes; they sit above the
// window-message range so that no window message can collide with them.
enum : UINT {
    CM_ENABLEDCHANGED = 0xB002,
    CM_FONTCHANGED = 0xB009,
    CM_TEXTCHANGED = 0xB012,
    CM_SHOWINGCHANGED = 0xB015,
};

// Messages carry pointers in their integer parameters and results; these two are the only places
// that convert between them.
template <typename T>
intptr_t PointerParam(T* pointer)
{
    return reinterpret_cast<intptr_t>(pointer);
}
template <typename T>
T* ParamPointer(intptr_t value)
{
    return reinterpret_cast<T*>(value);
}

// Files dropped on the control, as WM_DROPFILES hands them over (lParam points at it). The point is
// in client coordinates, (-1, -1) when the drop happened outside the client area.
struct TDroppedFiles {
    TStringList Files;
    TPoint Point;
};
