// Test entry point: an offscreen QApplication, a private settings folder and runtime folder for every test program.
#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Tests never touch the user's settings: the registry store lives in a folder of this run.
    QTemporaryDir settingsDir;
    setenv("KESTRIMA_CONFIG_DIR", settingsDir.path().toLocal8Bit().constData(), 1);
    // Nor its running copy: sockets and other files the program names itself go to a runtime folder of
    // this run (made closed to others, as the user's own is).
    QTemporaryDir runtimeDir;
    setenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit().constData(), 1);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
