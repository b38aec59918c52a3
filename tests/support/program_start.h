#pragma once
// Starts one of the project's own programs. On a cross-build no binfmt handler
// runs them, so they go through the emulator the build names in
// KORVAL_EMULATOR (qemu-aarch64); on a native build it is empty.

#include <QProcess>
#include <QString>
#include <QStringList>

#ifndef KORVAL_EMULATOR
#define KORVAL_EMULATOR ""
#endif

inline bool programsEmulated()
{
    return !QString(KORVAL_EMULATOR).isEmpty();
}

inline void startProgram(QProcess& process, const QString& program, const QStringList& arguments)
{
    QStringList command = QString(KORVAL_EMULATOR).split(' ', Qt::SkipEmptyParts);
    command << program << arguments;
    process.start(command.takeFirst(), command);
}

// QProcess::execute for one of the project's programs: its exit code, or -1
// when it crashed or could not start.
inline int executeProgram(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    startProgram(process, program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit) return -1;
    return process.exitCode();
}
