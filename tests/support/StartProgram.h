// Test helper that starts the program itself as another process, on the offscreen platform.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <memory>

// A program (the one built, unless another path is given), started with the environment as it is now
// (the test's own settings folder).
inline std::unique_ptr<QProcess> startProgram(const QStringList& arguments = {}, const QString& path = KESTRIMA_PROGRAM)
{
    auto program = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program->setProcessEnvironment(environment);
    program->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program->start(path, arguments);
    return program;
}
