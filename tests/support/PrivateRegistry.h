// Test helpers of the application: a registry store of a test's own, and a catcher of the message boxes that open.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <cstdlib>
#include <string>

#include "platform/core/Registry.h"
#include "support/TempDir.h"

// The registry store of one test: a folder of its own, read as a new process would read it.
struct TPrivateRegistry {
    TempDir folder{"registry"};
    std::string saved = std::getenv("KESTRIMA_CONFIG_DIR");
    TPrivateRegistry() { use(folder.path.string()); }
    ~TPrivateRegistry() { use(saved); }
    // Points the store at another folder, as a new process started with it would see it.
    static void use(const std::string& configDir)
    {
        RegistryStore::Reload();
        setenv("KESTRIMA_CONFIG_DIR", configDir.c_str(), 1);
        RegistryStore::Reload();
    }
};

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
