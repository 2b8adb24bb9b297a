// Test helper of the application's windows: accepts the message boxes that open and keeps their texts.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Accepts every message box that opens while it lives and keeps their texts.
struct TMessageCatcher {
    QTimer timer;
    QStringList texts;
    TMessageCatcher()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        timer.start(10);
    }
};
