#include "tests/support/workspace_fixture.h"

#include "shell/clock.h"
#include "shell/log.h"
#include "shell/workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace testing_support {

void WorkspaceTest::SetUp()
{
    ASSERT_TRUE(m_home.isValid());
    ASSERT_TRUE(m_registry.isValid());
    qputenv("PELMAR_REGISTRY_DIR", m_registry.path().toLocal8Bit());
    qunsetenv("PELMAR_HOME");
    // A program run without --home works here, not in the real user's data.
    qputenv("XDG_DATA_HOME", (m_registry.path() + "/data").toLocal8Bit());
    shell::FreezeNow(QDateTime(QDate(2024, 3, 15), QTime(10, 30, 0)));
    m_ws = std::make_shared<shell::Workspace>(shell::LoadWorkspacePaths(m_home.path()));
    shell::SetLogWorkspace(*m_ws);
}

void WorkspaceTest::TearDown()
{
    shell::ResetClock();
}

void WorkspaceTest::writeFile(const QString& relative, const QByteArray& bytes) const
{
    const QString p = path(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray WorkspaceTest::readFile(const QString& relative) const
{
    QFile f(path(relative));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace testing_support
