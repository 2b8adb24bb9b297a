// Synthetic mouse and key events, pop-up handling and screenshots for the component tests.
#pragma once

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <functional>

#include "support/MouseEvents.h"

inline void SendKey(QWidget& target, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &release);
}

// Runs `whileOpen` on the pop-up menu that `open` shows and runs modally; `whileOpen` must close it.
// Returns whether a menu was seen at all. A menu left open is closed after a while, so that a
// failing test does not hang.
inline bool WithPopupMenu(const std::function<void()>& open, const std::function<void(QMenu&)>& whileOpen)
{
    bool seen = false;
    QTimer look;
    look.setSingleShot(true);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            seen = true;
            whileOpen(*menu);
        }
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    });
    look.start(0);
    watchdog.start(5000);
    open();
    QApplication::processEvents();
    return seen;
}

// Saves a grabbed picture where the test run keeps its pictures (KESTRIMA_SHOT_DIR, else the
// temporary folder), so that it can be looked at.
inline QImage Shot(QWidget& widget, const char* fileName)
{
    QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const char* dir = std::getenv("KESTRIMA_SHOT_DIR");
    image.save(QDir(dir ? dir : QDir::tempPath()).filePath(fileName), "PNG");
    return image;
}
