// The real maintenance program after an upgrade: it runs its step on its
// own, offscreen, and is ended from outside at the closing message.

#include "maintenance/vandry_setup.h"
#include "platform/process_list.h"
#include "platform/registry.h"
#include "shell/workspace.h"
#include "tests/maintenance/maintenance_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <signal.h>

using testing_support::MaintenanceTest;

class VandryBinary : public MaintenanceTest
{
};

TEST_F(VandryBinary, UpgradeStartBacksUpReorganisesAndEnds)
{
    makeDatabase(3);
    const QStringList rows = dump({}, "Apt1");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("PELMAR_HOME", QDir::toNativeSeparators(home()));
    env.insert("PELMAR_NOW", "2024-03-15 10:30:00");

    QProcess vandry;
    vandry.setProcessEnvironment(env);
    vandry.start(QFileInfo(platform::OwnExecutable()).absolutePath() + "/Vandry", {"upgrade"});
    ASSERT_TRUE(vandry.waitForStarted());

    // The step ends with its message; by then the reorganisation folder is gone.
    const auto done = [&] {
        return QFileInfo::exists(path("FA240315.zip")) && !QFileInfo::exists(path("Data/Temp")) &&
               !QFileInfo::exists(path("Data/New"));
    };
    for (int i = 0; i < 200 && !done() && vandry.state() == QProcess::Running; ++i)
        QThread::msleep(100);
    EXPECT_TRUE(done());
    QThread::msleep(300);
    ::kill(pid_t(vandry.processId()), SIGTERM);
    EXPECT_TRUE(vandry.waitForFinished(15000));
    EXPECT_EQ(vandry.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vandry.exitCode(), 0);

    EXPECT_EQ(dump({}, "Apt1"), rows);
    platform::Registry machine(platform::Registry::LocalMachine);
    EXPECT_TRUE(machine.ValueExists(maintenance::kUninstallKey, "UninstallString"));
}
