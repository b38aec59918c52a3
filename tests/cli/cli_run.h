#pragma once
// Runs the built korvalset24-cli as a script does, in a folder of its own.

#include "support/program_start.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtTest>

struct CliRun {
    int exit = -1;
    QByteArray out;
    QByteArray err;
};

inline CliRun runCli(const QStringList& arguments, const QString& folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    // No display of any kind: the companion must not need one.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(environment);
    startProgram(process, QStringLiteral(KORVAL_CLI), arguments);
    CliRun run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) return run;
    run.exit = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}
