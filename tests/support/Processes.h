#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

// How a program that a test ran ended: its exit code (-1 when it did not start, crashed or did
// not end within a minute) and what it wrote, its errors among it.
struct ProcessResult {
  int exitCode = -1;
  QString output;
};

// Runs a program to its end in that environment, from that folder (the test program's own when
// none is given).
ProcessResult RunProcess(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment, const QString& folder = {});

// For a test whose checks leave the process changed for good: whether the test now running runs
// in a process of its own, which PassesInAChildProcess started for it.
bool InChildProcess();
// Runs the test now running again, alone, in a child process of the test program; it succeeds
// when that test ran there and passed, and the child ended with status 0.
::testing::AssertionResult PassesInAChildProcess();
