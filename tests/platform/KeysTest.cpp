// Key events to virtual keys and back, shortcut words and their texts.
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include "platform/Keys.h"
#include "platform/Win1252Qt.h"

namespace {

struct Stroke {
    int vk = -1;
    TShiftState shift = 0xFF;
    bool mapped = false;
};

Stroke strokeOf(const QKeyEvent& event)
{
    Stroke s;
    s.mapped = KeyEventToVirtualKey(&event, s.vk, s.shift);
    return s;
}

Stroke press(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
{
    return strokeOf(QKeyEvent(QEvent::KeyPress, qtKey, modifiers, text));
}

#define EXPECT_STROKE(stroke, key, state)                                                         \
    do {                                                                                           \
        const Stroke s_ = (stroke);                                                                \
        EXPECT_TRUE(s_.mapped);                                                                    \
        EXPECT_EQ(s_.vk, (key));                                                                   \
        EXPECT_EQ(s_.shift, TShiftState(state));                                                   \
    } while (0)

const TShiftState kShiftStates[] = {0, ssShift, ssCtrl, ssAlt, ssShift | ssCtrl, ssShift | ssAlt,
                                    ssCtrl | ssAlt, ssShift | ssCtrl | ssAlt};

} // namespace

TEST(KeyEventMapping, LettersMapToCapitalsWhateverTheCase)
{
    EXPECT_STROKE(press(Qt::Key_A, Qt::NoModifier, "a"), 'A', 0);
    EXPECT_STROKE(press(Qt::Key_Z, Qt::ShiftModifier, "Z"), 'Z', ssShift);
    EXPECT_STROKE(press(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier), 'K', ssShift | ssCtrl);
    EXPECT_STROKE(press(Qt::Key_Q, Qt::AltModifier | Qt::MetaModifier), 'Q', ssAlt);
}

TEST(KeyEventMapping, DigitsAndWhatShiftTypesOnThemGiveTheDigitKey)
{
    EXPECT_STROKE(press(Qt::Key_0), '0', 0);
    EXPECT_STROKE(press(Qt::Key_5, Qt::ControlModifier), '5', ssCtrl);
    EXPECT_STROKE(press(Qt::Key_Exclam, Qt::ShiftModifier, "!"), '1', ssShift);
    EXPECT_STROKE(press(Qt::Key_At, Qt::ShiftModifier | Qt::ControlModifier), '2', ssShift | ssCtrl);
    EXPECT_STROKE(press(Qt::Key_AsciiCircum, Qt::ShiftModifier), '6', ssShift);
    EXPECT_STROKE(press(Qt::Key_ParenLeft, Qt::ShiftModifier), '9', ssShift);
    EXPECT_STROKE(press(Qt::Key_ParenRight, Qt::ShiftModifier), '0', ssShift);
}

#if defined(Q_OS_LINUX)
TEST(KeyEventMapping, KeyPlaceDecidesDigitsAndPunctuationOnOtherLayouts)
{
    auto placed = [](int qtKey, quint32 scanCode, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        return strokeOf(QKeyEvent(QEvent::KeyPress, qtKey, modifiers, scanCode, 0, 0));
    };
    // French layout: the digit row types '&', 'é', ... unshifted.
    EXPECT_STROKE(placed(Qt::Key_Ampersand, 10), '1', 0);
    EXPECT_STROKE(placed(Qt::Key_Eacute, 11), '2', 0);
    EXPECT_STROKE(placed(Qt::Key_3, 12, Qt::ShiftModifier), '3', ssShift);
    EXPECT_STROKE(placed(Qt::Key_ParenRight, 20), VK_OEM_MINUS, 0);
    // A Cyrillic letter takes the letter of its place; a letter Qt names keeps its own.
    EXPECT_STROKE(placed(0x0424, 38), 'A', 0);
    EXPECT_STROKE(placed(Qt::Key_Q, 38), 'Q', 0);
    // Dvorak puts an apostrophe where 'Q' sits; it stays punctuation.
    EXPECT_STROKE(placed(Qt::Key_Apostrophe, 24), VK_OEM_7, 0);
    // Keypad digits never go by place.
    EXPECT_STROKE(placed(Qt::Key_1, 10, Qt::KeypadModifier), VK_NUMPAD1, 0);
}
#endif

TEST(KeyEventMapping, NamedKeys)
{
    EXPECT_STROKE(press(Qt::Key_F1), VK_F1, 0);
    EXPECT_STROKE(press(Qt::Key_F12, Qt::ShiftModifier), 0x7B, ssShift);
    EXPECT_STROKE(press(Qt::Key_F24), 0x87, 0);
    EXPECT_STROKE(press(Qt::Key_Left), 0x25, 0);
    EXPECT_STROKE(press(Qt::Key_Up), 0x26, 0);
    EXPECT_STROKE(press(Qt::Key_Right, Qt::ControlModifier), 0x27, ssCtrl);
    EXPECT_STROKE(press(Qt::Key_Down, Qt::AltModifier), 0x28, ssAlt);
    EXPECT_STROKE(press(Qt::Key_Home), 0x24, 0);
    EXPECT_STROKE(press(Qt::Key_End), 0x23, 0);
    EXPECT_STROKE(press(Qt::Key_PageUp), 0x21, 0);
    EXPECT_STROKE(press(Qt::Key_PageDown), 0x22, 0);
    EXPECT_STROKE(press(Qt::Key_Insert), 0x2D, 0);
    EXPECT_STROKE(press(Qt::Key_Delete), 0x2E, 0);
    EXPECT_STROKE(press(Qt::Key_Backspace, Qt::ControlModifier), 0x08, ssCtrl);
    EXPECT_STROKE(press(Qt::Key_Tab), 0x09, 0);
    EXPECT_STROKE(press(Qt::Key_Return), 0x0D, 0);
    EXPECT_STROKE(press(Qt::Key_Enter), 0x0D, 0);
    EXPECT_STROKE(press(Qt::Key_Escape), 0x1B, 0);
    EXPECT_STROKE(press(Qt::Key_Space), 0x20, 0);
    // Backtab is Shift+Tab, whether or not the event says Shift.
    EXPECT_STROKE(press(Qt::Key_Backtab, Qt::ShiftModifier), VK_TAB, ssShift);
    EXPECT_STROKE(press(Qt::Key_Backtab), VK_TAB, ssShift);
    EXPECT_STROKE(press(Qt::Key_Backtab, Qt::ControlModifier), VK_TAB, ssShift | ssCtrl);
    const Stroke unknown = press(Qt::Key_Meta);
    EXPECT_FALSE(unknown.mapped);
    EXPECT_EQ(unknown.vk, 0);
}

TEST(KeyEventMapping, NumpadAndPunctuation)
{
    EXPECT_STROKE(press(Qt::Key_0, Qt::KeypadModifier), VK_NUMPAD0, 0);
    EXPECT_STROKE(press(Qt::Key_7, Qt::KeypadModifier | Qt::ControlModifier), 0x67, ssCtrl);
    EXPECT_STROKE(press(Qt::Key_Asterisk, Qt::KeypadModifier), 0x6A, 0);
    EXPECT_STROKE(press(Qt::Key_Plus, Qt::KeypadModifier), 0x6B, 0);
    EXPECT_STROKE(press(Qt::Key_Minus, Qt::KeypadModifier), 0x6D, 0);
    EXPECT_STROKE(press(Qt::Key_Period, Qt::KeypadModifier), 0x6E, 0);
    EXPECT_STROKE(press(Qt::Key_Comma, Qt::KeypadModifier), 0x6E, 0);
    EXPECT_STROKE(press(Qt::Key_Slash, Qt::KeypadModifier), 0x6F, 0);
    // Num Lock off: the keypad's navigation keys and its Enter are the ordinary ones.
    EXPECT_STROKE(press(Qt::Key_Home, Qt::KeypadModifier), VK_HOME, 0);
    EXPECT_STROKE(press(Qt::Key_Enter, Qt::KeypadModifier), VK_RETURN, 0);
    // Off the keypad the same Qt keys are the main keyboard's.
    EXPECT_STROKE(press(Qt::Key_Asterisk, Qt::ShiftModifier), '8', ssShift);
    EXPECT_STROKE(press(Qt::Key_Plus, Qt::ShiftModifier), VK_OEM_PLUS, ssShift);
    EXPECT_STROKE(press(Qt::Key_Minus), VK_OEM_MINUS, 0);

    const char plain[] = ";=,-./`[\\]'";
    const char shifted[] = ":+<_>?~{|}\"";
    const int oem[] = {0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xDB, 0xDC, 0xDD, 0xDE};
    for (int i = 0; i < 11; ++i) {
        SCOPED_TRACE(plain[i]);
        EXPECT_STROKE(press(plain[i]), oem[i], 0);
        EXPECT_STROKE(press(shifted[i], Qt::ShiftModifier), oem[i], ssShift);
    }
}

TEST(KeyEventMapping, ModifierKeysAreHeldGoingDownAndReleasedComingUp)
{
    EXPECT_STROKE(press(Qt::Key_Shift), VK_SHIFT, ssShift);
    EXPECT_STROKE(press(Qt::Key_Control, Qt::ShiftModifier), VK_CONTROL, ssShift | ssCtrl);
    EXPECT_STROKE(press(Qt::Key_Alt), VK_MENU, ssAlt);
    EXPECT_STROKE(press(Qt::Key_AltGr), VK_MENU, ssAlt);
    EXPECT_STROKE(strokeOf(QKeyEvent(QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier)), VK_SHIFT, 0);
    EXPECT_STROKE(strokeOf(QKeyEvent(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier | Qt::AltModifier)),
                  VK_CONTROL, ssAlt);
}

TEST(KeyEventMapping, EveryKnownVirtualKeySurvivesASynthesisedEvent)
{
    int known = 0;
    for (int vk = 0; vk < 256; ++vk) {
        int qtKey = 0;
        int qtModifiers = 0;
        if (!VirtualKeyToQtKey(vk, 0, qtKey, qtModifiers)) {
            EXPECT_EQ(MakeKeyEvent(vk, 0), nullptr);
            continue;
        }
        ++known;
        const TShiftState own = vk == VK_SHIFT ? ssShift : vk == VK_CONTROL ? ssCtrl : vk == VK_MENU ? ssAlt : 0u;
        for (TShiftState shift : kShiftStates) {
            SCOPED_TRACE(testing::Message() << "vk " << vk << " shift " << shift);
            auto down = MakeKeyEvent(vk, shift);
            ASSERT_NE(down, nullptr);
            EXPECT_STROKE(strokeOf(*down), vk, shift | own);
            auto up = MakeKeyEvent(vk, shift, false);
            EXPECT_EQ(up->type(), QEvent::KeyRelease);
            EXPECT_STROKE(strokeOf(*up), vk, shift & ~own);
        }
    }
    // Letters, digits, keypad digits, F1..F24, punctuation and 30 named keys.
    EXPECT_EQ(known, 26 + 10 + 10 + 24 + 11 + 30);
}

TEST(KeyEventMapping, SynthesisedEventsCarryWhatAUSKeyboardReports)
{
    auto event = MakeKeyEvent('A', 0);
    EXPECT_EQ(event->key(), Qt::Key_A);
    EXPECT_EQ(event->text(), "a");
    EXPECT_EQ(MakeKeyEvent('A', ssShift)->text(), "A");
    EXPECT_EQ(MakeKeyEvent('A', ssCtrl)->text(), "");
    event = MakeKeyEvent('1', ssShift);
    EXPECT_EQ(event->key(), Qt::Key_Exclam);
    EXPECT_EQ(event->text(), "!");
    EXPECT_EQ(event->modifiers(), Qt::ShiftModifier);
    EXPECT_EQ(MakeKeyEvent(VK_OEM_7, ssShift)->text(), "\"");
    EXPECT_EQ(MakeKeyEvent(VK_TAB, ssShift)->key(), Qt::Key_Backtab);
    EXPECT_EQ(MakeKeyEvent(VK_RETURN, 0)->text(), "\r");
    EXPECT_EQ(MakeKeyEvent(VK_F5, 0)->text(), "");
    event = MakeKeyEvent(VK_NUMPAD5, ssCtrl);
    EXPECT_EQ(event->key(), Qt::Key_5);
    EXPECT_EQ(event->modifiers(), Qt::KeypadModifier | Qt::ControlModifier);

    int qtKey = 0;
    int qtModifiers = 0;
    ASSERT_TRUE(VirtualKeyToQtKey(VK_ADD, ssAlt, qtKey, qtModifiers));
    EXPECT_EQ(qtKey, Qt::Key_Plus);
    EXPECT_EQ(qtModifiers, (Qt::KeypadModifier | Qt::AltModifier).toInt());
}

TEST(KeyEventChars, TypesEveryCharacterAsTheEditorsText)
{
    using Strings = std::vector<std::string>;
    auto chars = [](const QString& text, int qtKey = Qt::Key_A) {
        const QKeyEvent event(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
        return KeyEventChars(&event);
    };
    EXPECT_EQ(chars(QString::fromUtf16(u"\u00F1")), Strings{"\xF1"});
    EXPECT_EQ(chars(QString::fromUtf16(u"\u20AC")), Strings{"\x80"});
    // A character Windows-1252 lacks is held, as the editor holds it, one character to an item.
    EXPECT_EQ(chars(QString::fromUtf16(u"\u4E2D")), Strings{HeldCharacter(U'\u4E2D')});
    EXPECT_EQ(chars(QString::fromUtf16(u"x\u4E2Dy")), (Strings{"x", HeldCharacter(U'\u4E2D'), "y"}));
    EXPECT_EQ(chars(QString::fromUtf16(u"\U0001F600")), Strings{HeldCharacter(U'\U0001F600')});
    // Every character reaches the platform again as itself.
    for (char32_t c : {U'a', U'\u00FF', U'\u0153', U'\u03B2', U'\u3042', U'\U0001F600'}) {
        const QString text = QString::fromUcs4(&c, 1);
        const Strings typed = chars(text);
        ASSERT_EQ(typed.size(), 1u);
        EXPECT_EQ(FromEditorText(typed[0]), text) << static_cast<unsigned long>(c);
    }
    EXPECT_EQ(chars("\r", Qt::Key_Return), Strings{"\r"});
    EXPECT_EQ(chars("", Qt::Key_Left), Strings{});
    EXPECT_EQ(chars("\x7F", Qt::Key_Delete), Strings{});
}

TEST(ShortCut, WordHoldsTheKeyAndTheModifierBits)
{
    EXPECT_EQ(ShortCut('J', ssCtrl), 0x404A);
    EXPECT_EQ(ShortCut(VK_F3, ssShift | ssCtrl), 0x6072);
    EXPECT_EQ(ShortCut(VK_INSERT, ssAlt), 0x802D);
    EXPECT_EQ(ShortCut('A', ssLeft | ssDouble), 0x0041);
    EXPECT_EQ(ShortCut(0x100, ssCtrl), 0);
    EXPECT_EQ(ShortCut(-1, 0), 0);

    int vk = 0;
    TShiftState shift = 0;
    ShortCutToKey(0xE041, vk, shift);
    EXPECT_EQ(vk, 'A');
    EXPECT_EQ(shift, TShiftState(ssShift | ssCtrl | ssAlt));
    ShortCutToKey(0x4028, vk, shift);
    EXPECT_EQ(vk, VK_DOWN);
    EXPECT_EQ(shift, TShiftState(ssCtrl));
}

TEST(ShortCut, TextNamesModifiersInOrderThenTheKey)
{
    EXPECT_EQ(ShortCutToText(0x404A), "Ctrl+J");
    EXPECT_EQ(ShortCutToText(0x6072), "Shift+Ctrl+F3");
    EXPECT_EQ(ShortCutToText(0x802D), "Alt+Ins");
    EXPECT_EQ(ShortCutToText(0xE02E), "Shift+Ctrl+Alt+Del");
    EXPECT_EQ(ShortCutToText(0x0030), "0");
    EXPECT_EQ(ShortCutToText(0x0008), "BkSp");
    EXPECT_EQ(ShortCutToText(0x200D), "Shift+Enter");
    EXPECT_EQ(ShortCutToText(0x001B), "Esc");
    EXPECT_EQ(ShortCutToText(0x0020), "Space");
    EXPECT_EQ(ShortCutToText(0x0021), "PgUp");
    EXPECT_EQ(ShortCutToText(0x0022), "PgDn");
    EXPECT_EQ(ShortCutToText(0x0060), "Num 0");
    EXPECT_EQ(ShortCutToText(0x006B), "Num +");
    EXPECT_EQ(ShortCutToText(0x0087), "F24");
    EXPECT_EQ(ShortCutToText(0x40DD), "Ctrl+]");
    EXPECT_EQ(ShortCutToText(0x4010), "Ctrl+Shift");
    EXPECT_EQ(ShortCutToText(0), "");
    EXPECT_EQ(ShortCutToText(0x4007), "");
}

TEST(ShortCut, TextIsReadWithoutCaseAndInAnyModifierOrder)
{
    EXPECT_EQ(TextToShortCut("Ctrl+J"), 0x404A);
    EXPECT_EQ(TextToShortCut("ctrl+j"), 0x404A);
    EXPECT_EQ(TextToShortCut("CTRL+SHIFT+f3"), 0x6072);
    EXPECT_EQ(TextToShortCut("alt+ctrl+shift+del"), 0xE02E);
    EXPECT_EQ(TextToShortCut("Alt+num +"), 0x806B);
    EXPECT_EQ(TextToShortCut("Ctrl+]"), 0x40DD);
    EXPECT_EQ(TextToShortCut("Shift"), 0x0010);
    EXPECT_EQ(TextToShortCut("pgdn"), 0x0022);

    EXPECT_EQ(TextToShortCut(""), 0);
    EXPECT_EQ(TextToShortCut("Ctrl+"), 0);
    EXPECT_EQ(TextToShortCut("Ctrl+Foo"), 0);
    EXPECT_EQ(TextToShortCut("F25"), 0);
    EXPECT_EQ(TextToShortCut("Hyper+A"), 0);
    EXPECT_EQ(TextToShortCut("Ctrl J"), 0);
    EXPECT_EQ(TextToShortCut(" Ctrl+J"), 0);

    int named = 0;
    for (int vk = 1; vk < 256; ++vk) {
        if (ShortCutToText(TShortCut(vk)).empty())
            continue;
        ++named;
        for (TShortCut flags : {0, 0x2000, 0x4000, 0x8000, 0x6000, 0xA000, 0xC000, 0xE000}) {
            const TShortCut shortCut = TShortCut(vk | flags);
            EXPECT_EQ(TextToShortCut(ShortCutToText(shortCut)), shortCut) << ShortCutToText(shortCut);
        }
    }
    EXPECT_EQ(named, 26 + 10 + 10 + 24 + 11 + 30);
}

TEST(Keys, ShiftStateOfKeyAndMouseEvents)
{
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier | Qt::AltModifier, "A");
    EXPECT_EQ(ShiftStateOf(&key), TShiftState(ssShift | ssAlt));
    QMouseEvent mouse(QEvent::MouseMove, QPointF(3, 4), QPointF(3, 4), Qt::NoButton,
                      Qt::LeftButton | Qt::MiddleButton, Qt::ControlModifier);
    EXPECT_EQ(ShiftStateOf(&mouse), TShiftState(ssCtrl | ssLeft | ssMiddle));
}

TEST(KeyScan, CharactersGiveTheKeyAndShiftThatTypeThem)
{
    EXPECT_EQ(VkKeyScan('a'), 'A');
    EXPECT_EQ(VkKeyScan('A'), 0x100 | 'A');
    EXPECT_EQ(VkKeyScan('7'), '7');
    EXPECT_EQ(VkKeyScan('('), 0x100 | '9');
    EXPECT_EQ(VkKeyScan('*'), 0x100 | '8'); // the main block, not the keypad
    EXPECT_EQ(VkKeyScan('+'), 0x100 | VK_OEM_PLUS);
    EXPECT_EQ(VkKeyScan(';'), VK_OEM_1);
    EXPECT_EQ(VkKeyScan(':'), 0x100 | VK_OEM_1);
    EXPECT_EQ(VkKeyScan(' '), VK_SPACE);
    EXPECT_EQ(VkKeyScan('\t'), VK_TAB);
    EXPECT_EQ(VkKeyScan('\r'), VK_RETURN);
    EXPECT_EQ(VkKeyScan('\xE9'), -1);
    EXPECT_EQ(VkKeyScan('\x01'), -1);
}
