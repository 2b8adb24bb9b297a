// Window-message types and numbers (window, edit-control and notification messages) and virtual-key codes.
#pragma once

#include <cstdint>

#include "platform/core/Geometry.h"

// Message parameters and results are pointer-wide so that a parameter can carry a buffer address.
using UINT = uint32_t;
using WPARAM = intptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

// A message as a control's window procedure receives it.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

enum : UINT {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_ENABLE = 0x000A,
    WM_SETREDRAW = 0x000B,
    WM_SETTEXT = 0x000C,
    WM_GETTEXT = 0x000D,
    WM_GETTEXTLENGTH = 0x000E,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ERASEBKGND = 0x0014,
    WM_SHOWWINDOW = 0x0018,
    WM_SETCURSOR = 0x0020,
    WM_GETMINMAXINFO = 0x0024,
    WM_DRAWITEM = 0x002B,
    WM_SETFONT = 0x0030,
    WM_GETFONT = 0x0031,
    WM_NOTIFY = 0x004E,
    WM_NCHITTEST = 0x0084,
    WM_GETDLGCODE = 0x0087,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_SYSCHAR = 0x0106,
    WM_COMMAND = 0x0111,
    WM_SYSCOMMAND = 0x0112,
    WM_TIMER = 0x0113,
    WM_HSCROLL = 0x0114,
    WM_VSCROLL = 0x0115,
    WM_INITMENUPOPUP = 0x0117,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_MOUSEWHEEL = 0x020A,
    WM_DROPFILES = 0x0233,
    WM_MOUSELEAVE = 0x02A3,
    WM_CUT = 0x0300,
    WM_COPY = 0x0301,
    WM_PASTE = 0x0302,
    WM_CLEAR = 0x0303,
    WM_UNDO = 0x0304,
    WM_USER = 0x0400,
};

// Mouse buttons and keys held, in wParam of the mouse messages.
enum : int {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
};

// WM_SIZE requests (wParam).
enum : int {
    SIZE_RESTORED = 0,
    SIZE_MINIMIZED = 1,
    SIZE_MAXIMIZED = 2,
};

// WM_NCHITTEST answers: where on the window a point lies.
enum : int {
    HTERROR = -2,
    HTTRANSPARENT = -1,
    HTNOWHERE = 0,
    HTCLIENT = 1,
    HTCAPTION = 2,
    HTLEFT = 10,
    HTRIGHT = 11,
    HTTOP = 12,
    HTTOPLEFT = 13,
    HTTOPRIGHT = 14,
    HTBOTTOM = 15,
    HTBOTTOMLEFT = 16,
    HTBOTTOMRIGHT = 17,
    HTCLOSE = 20,
};

// The size limits that WM_GETMINMAXINFO asks for (lParam points to one), in pixels.
struct MINMAXINFO {
    TPoint ptReserved;
    TPoint ptMaxSize;
    TPoint ptMaxPosition;
    TPoint ptMinTrackSize;
    TPoint ptMaxTrackSize;
};

// The header of every WM_NOTIFY: the control that sends it, its identifier and the notification code.
struct NMHDR {
    void* hwndFrom = nullptr;
    uintptr_t idFrom = 0;
    int code = 0;
};

// Edit-control messages.
enum : UINT {
    EM_GETSEL = 0x00B0,
    EM_SETSEL = 0x00B1,
    EM_GETRECT = 0x00B2,
    EM_SETRECT = 0x00B3,
    EM_SETRECTNP = 0x00B4,
    EM_SCROLL = 0x00B5,
    EM_LINESCROLL = 0x00B6,
    EM_SCROLLCARET = 0x00B7,
    EM_GETMODIFY = 0x00B8,
    EM_SETMODIFY = 0x00B9,
    EM_GETLINECOUNT = 0x00BA,
    EM_LINEINDEX = 0x00BB,
    EM_SETHANDLE = 0x00BC,
    EM_GETHANDLE = 0x00BD,
    EM_GETTHUMB = 0x00BE,
    EM_LINELENGTH = 0x00C1,
    EM_REPLACESEL = 0x00C2,
    EM_GETLINE = 0x00C4,
    EM_LIMITTEXT = 0x00C5,
    EM_CANUNDO = 0x00C6,
    EM_UNDO = 0x00C7,
    EM_FMTLINES = 0x00C8,
    EM_LINEFROMCHAR = 0x00C9,
    EM_SETTABSTOPS = 0x00CB,
    EM_SETPASSWORDCHAR = 0x00CC,
    EM_EMPTYUNDOBUFFER = 0x00CD,
    EM_GETFIRSTVISIBLELINE = 0x00CE,
    EM_SETREADONLY = 0x00CF,
    EM_SETWORDBREAKPROC = 0x00D0,
    EM_GETWORDBREAKPROC = 0x00D1,
    EM_GETPASSWORDCHAR = 0x00D2,
    EM_SETMARGINS = 0x00D3,
    EM_GETMARGINS = 0x00D4,
    EM_GETLIMITTEXT = 0x00D5,
    EM_POSFROMCHAR = 0x00D6,
    EM_CHARFROMPOS = 0x00D7,
};

// Tab-control messages (the 8-bit forms of the item messages), notifications and styles.
enum : UINT {
    TCM_FIRST = 0x1300,
    TCM_GETIMAGELIST = 0x1302,
    TCM_SETIMAGELIST = 0x1303,
    TCM_GETITEMCOUNT = 0x1304,
    TCM_GETITEM = 0x1305,
    TCM_SETITEM = 0x1306,
    TCM_INSERTITEM = 0x1307,
    TCM_DELETEITEM = 0x1308,
    TCM_DELETEALLITEMS = 0x1309,
    TCM_GETITEMRECT = 0x130A,
    TCM_GETCURSEL = 0x130B,
    TCM_SETCURSEL = 0x130C,
    TCM_HITTEST = 0x130D,
    TCM_ADJUSTRECT = 0x1328,
    TCM_SETITEMSIZE = 0x1329,
    TCM_SETPADDING = 0x132B,
    TCM_GETROWCOUNT = 0x132C,
    TCM_SETMINTABWIDTH = 0x1331,
    TCM_DESELECTALL = 0x1332,
    TCM_HIGHLIGHTITEM = 0x1333,
    TCM_SETEXTENDEDSTYLE = 0x1334,
    TCM_GETEXTENDEDSTYLE = 0x1335,
};

enum : int {
    TCN_SELCHANGE = -551,
    TCN_SELCHANGING = -552,
};

enum : uint32_t {
    TCS_SCROLLOPPOSITE = 0x0001,
    TCS_BOTTOM = 0x0002,
    TCS_RIGHT = 0x0002,
    TCS_MULTISELECT = 0x0004,
    TCS_FLATBUTTONS = 0x0008,
    TCS_VERTICAL = 0x0080,
    TCS_TABS = 0x0000,
    TCS_BUTTONS = 0x0100,
    TCS_SINGLELINE = 0x0000,
    TCS_MULTILINE = 0x0200,
    TCS_FIXEDWIDTH = 0x0400,
    TCS_RAGGEDRIGHT = 0x0800,
    TCS_FOCUSONBUTTONDOWN = 0x1000,
    TCS_OWNERDRAWFIXED = 0x2000,
    TCS_FOCUSNEVER = 0x8000,
    TCS_EX_FLATSEPARATORS = 0x0001,
};

// Scroll-bar requests (low word of wParam of WM_HSCROLL/WM_VSCROLL) and bar identifiers.
enum : int {
    SB_LINEUP = 0, SB_LINELEFT = 0,
    SB_LINEDOWN = 1, SB_LINERIGHT = 1,
    SB_PAGEUP = 2, SB_PAGELEFT = 2,
    SB_PAGEDOWN = 3, SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6, SB_LEFT = 6,
    SB_BOTTOM = 7, SB_RIGHT = 7,
    SB_ENDSCROLL = 8,
    SB_HORZ = 0, SB_VERT = 1,
};

// WM_GETDLGCODE answers.
enum : int {
    DLGC_WANTARROWS = 0x0001,
    DLGC_WANTTAB = 0x0002,
    DLGC_WANTALLKEYS = 0x0004,
    DLGC_WANTCHARS = 0x0080,
};

// Virtual-key codes.
enum : int {
    VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04,
    VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D,
    VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23,
    VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
    VK_SELECT = 0x29, VK_PRINT = 0x2A, VK_EXECUTE = 0x2B, VK_SNAPSHOT = 0x2C,
    VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F,
    // '0'..'9' are 0x30..0x39 and 'A'..'Z' are 0x41..0x5A.
    VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60, VK_NUMPAD1, VK_NUMPAD2, VK_NUMPAD3, VK_NUMPAD4, VK_NUMPAD5,
    VK_NUMPAD6, VK_NUMPAD7, VK_NUMPAD8, VK_NUMPAD9,
    VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F,
    VK_F1 = 0x70, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9, VK_F10,
    VK_F11, VK_F12, VK_F13, VK_F14, VK_F15, VK_F16, VK_F17, VK_F18, VK_F19, VK_F20,
    VK_F21, VK_F22, VK_F23, VK_F24,
    VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
    VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB,
    VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE, VK_OEM_102 = 0xE2,
};

// Shift state of key and mouse events.
enum TShiftStateFlag : unsigned {
    ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64,
};
using TShiftState = unsigned;

// Shortcut word: virtual key in the low byte plus modifier bits.
using TShortCut = uint16_t;
enum : TShortCut { scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0 };

inline int LoWord(intptr_t v) { return static_cast<int>(v & 0xFFFF); }
inline int HiWord(intptr_t v) { return static_cast<int>((v >> 16) & 0xFFFF); }
inline intptr_t MakeLong(int lo, int hi) { return static_cast<intptr_t>(static_cast<uint32_t>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16))); }
