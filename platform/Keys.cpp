// Translation between Qt key events and virtual keys, shift states, shortcut words and their texts.
#include "platform/Keys.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <unordered_map>

#include "platform/core/SysUtils.h"
#include "platform/Win1252Qt.h"

namespace {

using KeyRow = TKeyRow;

// Qt keys of the named keys whose Qt key is not the character they type.
struct QtNamedKey {
    int vk;
    int qtKey;
};

const QtNamedKey kQtNamedKeys[] = {
    {VK_BACK, Qt::Key_Backspace},   {VK_TAB, Qt::Key_Tab},         {VK_CLEAR, Qt::Key_Clear},
    {VK_RETURN, Qt::Key_Return},    {VK_SHIFT, Qt::Key_Shift},     {VK_CONTROL, Qt::Key_Control},
    {VK_MENU, Qt::Key_Alt},         {VK_PAUSE, Qt::Key_Pause},     {VK_CAPITAL, Qt::Key_CapsLock},
    {VK_ESCAPE, Qt::Key_Escape},    {VK_PRIOR, Qt::Key_PageUp},    {VK_NEXT, Qt::Key_PageDown},
    {VK_END, Qt::Key_End},          {VK_HOME, Qt::Key_Home},       {VK_LEFT, Qt::Key_Left},
    {VK_UP, Qt::Key_Up},            {VK_RIGHT, Qt::Key_Right},     {VK_DOWN, Qt::Key_Down},
    {VK_SNAPSHOT, Qt::Key_Print},   {VK_INSERT, Qt::Key_Insert},   {VK_DELETE, Qt::Key_Delete},
    {VK_APPS, Qt::Key_Menu},        {VK_NUMLOCK, Qt::Key_NumLock}, {VK_SCROLL, Qt::Key_ScrollLock},
};

// Qt keys that only map onto a virtual key, never stand for it.
struct QtAlias {
    int vk;
    int qtKey;
    bool keypad;
};

const QtAlias kQtAliases[] = {
    {VK_RETURN, Qt::Key_Enter, false},
    {VK_MENU, Qt::Key_AltGr, false},
    // Locales whose decimal sign is a comma report the keypad's decimal key as a comma.
    {VK_DECIMAL, Qt::Key_Comma, true},
};

// The Qt key a row stands for: named keys from their table, function keys in sequence, and every
// other key by the character it types (Qt's key codes for ASCII are the upper-case characters).
int qtKeyOf(const KeyRow& row)
{
    if (row.vk == VK_TAB && (row.flags & KeyRow::kShifted))
        return Qt::Key_Backtab;
    if (!(row.flags & KeyRow::kShifted))
        for (const QtNamedKey& k : kQtNamedKeys)
            if (k.vk == row.vk)
                return k.qtKey;
    if (row.vk >= VK_F1 && row.vk <= VK_F24)
        return Qt::Key_F1 + (row.vk - VK_F1);
    if (row.typed >= 0x20 && row.typed < 0x7F)
        return AsciiUpper(row.typed);
    return 0;
}

// Qt keys onto the virtual-key rows; the first row to claim a Qt key keeps it.
class QtKeyIndex {
public:
    QtKeyIndex()
    {
        for (const KeyRow& row : KeyRows())
            if (const int qtKey = qtKeyOf(row))
                index_.emplace(indexKey(qtKey, row.flags & KeyRow::kKeypad), &row);
        for (const QtAlias& alias : kQtAliases)
            if (const KeyRow* row = NamedKeyRow(alias.vk))
                index_.emplace(indexKey(alias.qtKey, alias.keypad), row);
    }

    const KeyRow* byQtKey(int qtKey, bool keypad) const
    {
        if (keypad) {
            auto it = index_.find(indexKey(qtKey, true));
            if (it != index_.end())
                return it->second;
        }
        auto it = index_.find(indexKey(qtKey, false));
        return it != index_.end() ? it->second : nullptr;
    }

private:
    static int64_t indexKey(int qtKey, bool keypad) { return (int64_t(qtKey) << 1) | (keypad ? 1 : 0); }

    std::unordered_map<int64_t, const KeyRow*> index_;
};

const QtKeyIndex& qtIndex()
{
    static const QtKeyIndex instance;
    return instance;
}

TShiftState shiftFromModifiers(Qt::KeyboardModifiers modifiers)
{
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    if (modifiers & Qt::AltModifier)
        shift |= ssAlt;
    return shift;
}

Qt::KeyboardModifiers modifiersFromShift(TShiftState shift)
{
    Qt::KeyboardModifiers modifiers;
    if (shift & ssShift)
        modifiers |= Qt::ShiftModifier;
    if (shift & ssCtrl)
        modifiers |= Qt::ControlModifier;
    if (shift & ssAlt)
        modifiers |= Qt::AltModifier;
    return modifiers;
}

#if defined(Q_OS_LINUX)
bool isCharacterKey(int vk)
{
    return (vk >= '0' && vk <= '9') || (vk >= VK_OEM_1 && vk <= VK_OEM_7);
}
#endif

// The row of the key the event comes from. The Qt key follows the user's layout, which is right for
// letters and named keys; for the digit row and punctuation the physical place of the key is what
// stays the same across layouts (a French keyboard types '&' on the key of '1'), so the platform's
// own key identity wins there when the event carries it.
const KeyRow* rowOfEvent(const QKeyEvent* event)
{
    const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    const KeyRow* row = qtIndex().byQtKey(event->key(), keypad);
#if defined(Q_OS_WIN)
    // The native virtual key is exactly the code the rest of the editor speaks.
    if (const quint32 native = event->nativeVirtualKey(); native > 0 && native < 256)
        if (const KeyRow* nativeRow = NamedKeyRow(int(native)))
            row = nativeRow;
#elif defined(Q_OS_LINUX)
    // X11 and Wayland report the X11 key code as the scan code.
    if (!keypad) {
        const KeyRow* placed = PlacedKeyRow(event->nativeScanCode());
        // A punctuation Qt key never turns into a letter: layouts such as Dvorak put punctuation
        // where a US keyboard has letters. Keys Qt cannot name (Cyrillic letters, accented
        // letters) take whatever key sits at their place.
        if (placed && (!row || (isCharacterKey(row->vk) && isCharacterKey(placed->vk))))
            row = placed;
    }
#endif
    return row;
}

} // namespace

bool KeyEventToVirtualKey(const QKeyEvent* event, int& vk, TShiftState& shift)
{
    shift = shiftFromModifiers(event->modifiers());
    const KeyRow* row = rowOfEvent(event);
    if (!row) {
        vk = 0;
        return false;
    }
    vk = row->vk;
    // Platforms disagree on whether a modifier key's own event carries its modifier; settle on
    // held while going down, released while coming up.
    if (IsModifierKey(vk) && event->type() == QEvent::KeyRelease)
        shift &= ~row->implied;
    else
        shift |= row->implied;
    return true;
}

bool VirtualKeyToQtKey(int vk, TShiftState shift, int& qtKey, int& qtModifiers)
{
    const KeyRow* row = NamedKeyRow(vk);
    if (!row)
        return false;
    const KeyRow* shifted = (shift & ssShift) ? ShiftedKeyRow(vk) : nullptr;
    qtKey = qtKeyOf(shifted ? *shifted : *row);
    Qt::KeyboardModifiers modifiers = modifiersFromShift(shift);
    if (row->flags & KeyRow::kKeypad)
        modifiers |= Qt::KeypadModifier;
    qtModifiers = modifiers.toInt();
    return true;
}

std::unique_ptr<QKeyEvent> MakeKeyEvent(int vk, TShiftState shift, bool press)
{
    int qtKey = 0;
    int qtModifiers = 0;
    if (!VirtualKeyToQtKey(vk, shift, qtKey, qtModifiers))
        return nullptr;
    QString text;
    if (!(shift & (ssCtrl | ssAlt))) {
        const KeyRow* shifted = (shift & ssShift) ? ShiftedKeyRow(vk) : nullptr;
        char typed = shifted ? shifted->typed : NamedKeyRow(vk)->typed;
        if ((shift & ssShift) && typed >= 'a' && typed <= 'z')
            typed = AsciiUpper(typed);
        if (typed)
            text = QString(QChar(typed));
    }
    return std::make_unique<QKeyEvent>(press ? QEvent::KeyPress : QEvent::KeyRelease, qtKey,
                                       Qt::KeyboardModifiers::fromInt(qtModifiers), text);
}

TShiftState ShiftStateOf(const QInputEvent* event)
{
    TShiftState shift = shiftFromModifiers(event->modifiers());
    if (event->isSinglePointEvent()) {
        Qt::MouseButtons buttons = static_cast<const QSinglePointEvent*>(event)->buttons();
        if (buttons & Qt::LeftButton)
            shift |= ssLeft;
        if (buttons & Qt::RightButton)
            shift |= ssRight;
        if (buttons & Qt::MiddleButton)
            shift |= ssMiddle;
    }
    return shift;
}

bool IsAltCommand(TShiftState shift)
{
    return (shift & ssAlt) && !(shift & ssCtrl);
}

QString KeyEventText(const QKeyEvent* event)
{
    // Some platforms give the Delete key the text DEL; it edits, it does not type.
    return event->key() == Qt::Key_Delete ? QString() : event->text();
}

std::vector<std::string> KeyEventChars(const QKeyEvent* event)
{
    std::vector<std::string> characters;
    for (char32_t ch : KeyEventText(event).toUcs4())
        characters.push_back(ToEditorText(QString::fromUcs4(&ch, 1)));
    return characters;
}
