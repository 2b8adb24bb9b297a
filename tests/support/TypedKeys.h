// Test helper: text typed key by key as a US keyboard sends it, each key going down and up to the widget that has the keys at that moment.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <functional>
#include <string>

#include "platform/Keys.h"
#include "platform/core/KeyNames.h"

// One key, down and up, to `target`.
inline void PressKey(QWidget& target, int vk, TShiftState shift = 0)
{
    for (bool down : {true, false}) {
        auto event = MakeKeyEvent(vk, shift, down);
        ASSERT_TRUE(event) << vk;
        QCoreApplication::sendEvent(&target, event.get());
    }
}

// Each character of `text` by the key (and Shift) that types it, sent to whatever `keys` names at
// that moment: a grid hands the keys to the cell editor its first key opens.
inline void TypeKeys(const std::function<QWidget*()>& keys, const std::string& text)
{
    for (char c : text) {
        const int code = VkKeyScan(c);
        ASSERT_GT(code & 0xFF, 0) << "no key types " << c;
        QWidget* target = keys();
        ASSERT_NE(target, nullptr);
        PressKey(*target, code & 0xFF, (code & 0x100) ? ssShift : TShiftState(0));
    }
}

inline void TypeKeys(QWidget& target, const std::string& text)
{
    TypeKeys([&target] { return &target; }, text);
}

// The key of a layout that types `character` (a Greek one for "β", a Chinese input method for "中"),
// down with the character's text and up again: the key code Qt gives such a key, the character's
// capital, carries no US key.
inline void TypeCharacter(QWidget& target, char32_t character)
{
    const QString text = QString::fromUcs4(&character, 1);
    const int code = text.size() == 1 ? static_cast<int>(text.toUpper().front().unicode()) : int{Qt::Key_unknown};
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, code, Qt::NoModifier, text);
        QCoreApplication::sendEvent(&target, &event);
    }
}

// The widget of `window` that has the keys, as the user's typing finds it.
inline QWidget* KeysOf(QWidget& window)
{
    QWidget* focus = window.window()->focusWidget();
    return focus ? focus : window.window();
}
