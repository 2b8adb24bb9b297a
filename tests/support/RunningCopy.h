// Test helper that waits for a copy of the program started as another process to take requests.
#pragma once

#include <QLocalSocket>
#include <QProcess>

#include <gtest/gtest.h>

#include "platform/SingleInstance.h"
#include "platform/core/Dde.h"
#include "support/PumpUntil.h"

// Waits until `program` listens as the running copy, checks that it answers a macro, and ends it.
inline void expectRunningCopyAnswers(QProcess& program)
{
    TSingleInstance probe("Kestrima");
    ASSERT_TRUE(pumpUntil([&] {
        QLocalSocket socket;
        socket.connectToServer(probe.ServerName());
        return socket.waitForConnected(100);
    }, 30000));
    EXPECT_EQ(program.state(), QProcess::Running);
    EXPECT_EQ(probe.Execute({TDdeKind::Execute, "system", "[Nada()]"}, 20000), 1);
    program.kill();
    program.waitForFinished(5000);
}
