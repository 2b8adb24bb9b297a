// Test entry point: an offscreen QApplication and a private settings folder for every test program.
#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Tests never touch the user's settings: the registry store lives in a folder of this run.
    QTemporaryDir settingsDir;
    setenv("KESTRIMA_CONFIG_DIR", settingsDir.path().toLocal8Bit().constData(), 1);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
