// Test entry point: an offscreen QApplication, and a private settings folder, temporary folder,
// runtime folder and desktop config and data folders for every test program.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

int main(int argc, char** argv)
{
    // Tests never touch the user's settings: the registry store lives in a folder of this run.
    QTemporaryDir settingsDir;
    setenv("KESTRIMA_CONFIG_DIR", settingsDir.path().toLocal8Bit().constData(), 1);
    // Nor what the shared temporary folder holds, or another run's runtime files: each test program
    // has its own of both. The runtime folder is closed to others, as it must be; the temporary one
    // can be passed through, so that a check run as another user reaches the folders a test opens
    // to it.
    QTemporaryDir scratchDir;
    const QByteArray scratch = scratchDir.path().toLocal8Bit();
    const QByteArray temporary = QDir(scratchDir.path()).filePath(QStringLiteral("tmp")).toLocal8Bit();
    const QByteArray runtime = QDir(scratchDir.path()).filePath(QStringLiteral("run")).toLocal8Bit();
    chmod(scratch.constData(), 0711);
    mkdir(temporary.constData(), 0711);
    chmod(temporary.constData(), 0711);
    mkdir(runtime.constData(), 0700);
    setenv("TMPDIR", temporary.constData(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.constData(), 1);
    // The desktop's config and data folders too: what Qt's dialogs remember and what a test registers
    // on the desktop stay in this run, whatever the user's own folders hold.
    setenv("XDG_CONFIG_HOME", QDir(scratchDir.path()).filePath(QStringLiteral("config")).toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", QDir(scratchDir.path()).filePath(QStringLiteral("data")).toLocal8Bit().constData(), 1);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
