// Test helper that waits for a copy of the program started as another process to take requests.
#pragma once

#include <QProcess>

#include <gtest/gtest.h>

#include "platform/SingleInstance.h"
#include "platform/core/Dde.h"
#include "support/PumpUntil.h"

// Waits until `program` listens as the running copy, checks that it answers a macro, and ends it.
inline void expectRunningCopyAnswers(QProcess& program)
{
    // Asked until it answers: whatever listens there before it (another user's socket) does not count.
    TSingleInstance probe("Kestrima");
    bool answered = false;
    EXPECT_TRUE(pumpUntil([&] {
        return answered || (answered = probe.Execute({TDdeKind::Execute, "system", "[Nada()]"}, 5000) == 1);
    }, 30000));
    EXPECT_EQ(program.state(), QProcess::Running);
    program.kill();
    program.waitForFinished(5000);
}
