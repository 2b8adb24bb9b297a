// Synthetic mouse events for widget tests: presses, releases, clicks, bare moves and the centre of a tab.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include "platform/core/Geometry.h"
#include "platform/core/Messages.h"

// One event of `button` at `at` (the target's coordinates); the button counts as held except after its release.
inline void SendMouse(QWidget& target, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                      Qt::KeyboardModifiers modifiers = {})
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), QPointF(target.mapToGlobal(at)), button, held, modifiers);
    QCoreApplication::sendEvent(&target, &event);
}

// A move that no button caused, with `held` down during it.
inline void MoveMouse(QWidget& target, QPoint at, Qt::MouseButtons held = Qt::NoButton)
{
    QMouseEvent event(QEvent::MouseMove, QPointF(at), QPointF(target.mapToGlobal(at)), Qt::NoButton, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &event);
}

inline void Click(QWidget& target, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = {})
{
    SendMouse(target, QEvent::MouseButtonPress, at, button, modifiers);
    SendMouse(target, QEvent::MouseButtonRelease, at, button, modifiers);
}

inline void Click(QWidget& target)
{
    Click(target, target.rect().center());
}

// The centre of tab `index` of a tab strip or page set, asked of the control as its owner would.
template <class Tabs>
QPoint TabCentre(Tabs& tabs, int index)
{
    TRect r;
    EXPECT_NE(tabs.Perform(TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)), 0) << "tab " << index;
    return QPoint(r.Left + r.Width() / 2, r.Top + r.Height() / 2);
}
