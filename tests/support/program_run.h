#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace testing_support {

struct ProgramRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

// The environment of a built executable run by a test: the fixtures'
// frozen moment (or `now`), and the installation given only by --home.
inline QProcessEnvironment ProgramEnvironment(const QString& now = "2024-03-15 10:30:00")
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PELMAR_NOW", now);
    env.remove("PELMAR_HOME");
    return env;
}

// Runs one of the built executables on the installation `home` at the
// fixtures' frozen moment (or `now`) and waits for it.
inline ProgramRun RunProgram(const char* program, const QString& home, const QStringList& args,
                             const QString& now = "2024-03-15 10:30:00")
{
    QProcess p;
    p.setProcessEnvironment(ProgramEnvironment(now));
    p.start(program, QStringList{"--home", home} + args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace testing_support
