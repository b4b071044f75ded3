#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A program run to its end, as from a terminal.
struct ProgramRun {
    int exitCode = -1;  // -1: crashed, or still running after a minute (then killed)
    QByteArray out;
    QString err;
};

// Runs `program` with no display at all (whatever needs a window fails loudly), with
// `environment` added, in `folder`, and its standard output sent to `outFile` (appended
// to) instead of captured when one is given.
inline ProgramRun runProgram(const QString& program, const QStringList& arguments,
                             const QStringList& environment = {}, const QString& folder = {},
                             const QString& outFile = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
    for (const QString& assignment : environment)
        env.insert(assignment.section(QLatin1Char('='), 0, 0), assignment.section(QLatin1Char('='), 1));
    QProcess process;
    process.setProcessEnvironment(env);
    if (!folder.isEmpty()) process.setWorkingDirectory(folder);
    if (!outFile.isEmpty()) process.setStandardOutputFile(outFile, QIODevice::Append);
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}
