// A data folder the programs cannot write (its mode, the database file in it
// still writable) is found when the data is opened, before any work: named,
// with nothing taken from the mailbox, never told as a missing field.

#include "tests/exchange/tool_exchange_fixture.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using testing_support::ProgramRun;

class UnwritableData : public exchange_tests::ToolExchangeTest
{
protected:
    // pelmar-tool bound by the folder's mode. Root keeps its user but runs
    // it without the capabilities that pass over file modes.
    ProgramRun boundTool(const QStringList& args)
    {
        QStringList command{PELMAR_TOOL, "--home", home()};
        command += args;
        if (geteuid() == 0)
            command = QStringList{"setpriv", "--bounding-set=-dac_override,-dac_read_search",
                                  "--"} +
                      command;
        QProcess p;
        p.setProcessEnvironment(testing_support::ProgramEnvironment());
        p.start(command.first(), command.mid(1));
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    QMap<QString, QByteArray> inbox() const
    {
        QMap<QString, QByteArray> files;
        for (const QString& name : filesIn("Mailbox/Inbox"))
            files.insert(name, readFile("Mailbox/Inbox/" + name));
        return files;
    }
};

TEST_F(UnwritableData, IsNamedBeforeAnyWork)
{
    addBatch(1, "A123456789", "2024-03-20");
    addLine(1, "101", "1203", "11", "352-1234-5678-93", 30000);
    ProgramRun r = tool({"--yes", "send"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(testing_support::RunProgram(CLEARING_SIM, home(), {}).exitCode, 0);
    const QMap<QString, QByteArray> answers = inbox();
    ASSERT_FALSE(answers.isEmpty());

    const QString data = path("Data");
    ASSERT_TRUE(QFile::setPermissions(data, QFile::ReadOwner | QFile::ExeOwner));
    const auto writable = qScopeGuard([&] {
        QFile::setPermissions(data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    if (QFile::exists(path("Data/Pelmar.db-journal")))
        GTEST_SKIP() << "a journal left in Data/";
    QProcess probe;
    probe.start(geteuid() == 0 ? "setpriv" : "touch",
                geteuid() == 0 ? QStringList{"--bounding-set=-dac_override,-dac_read_search",
                                             "--", "touch", data + "/probe"}
                               : QStringList{data + "/probe"});
    ASSERT_TRUE(probe.waitForFinished(10000));
    if (probe.exitCode() == 0)
        GTEST_SKIP() << "the folder's mode does not bind this user";

    const QString named = QStringLiteral("자료 폴더에 쓸 수 없습니다: ") + QDir::toNativeSeparators(data);
    const QStringList commands[] = {
        {"receive"},
        {"calendar", "add", "2024-03-22", QStringLiteral("창립기념일")},
        {"--yes", "send"},
    };
    for (const QStringList& args : commands) {
        r = boundTool(args);
        const std::string said = (r.out + r.err).toStdString();
        EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString() << ": " << said;
        EXPECT_TRUE((r.out + r.err).contains(named)) << said;
        EXPECT_FALSE((r.out + r.err).contains(QStringLiteral("필수항목"))) << said;
        EXPECT_EQ(inbox(), answers) << args.join(' ').toStdString();
    }
    EXPECT_TRUE(filesIn("Recv").isEmpty());

    // Once the folder is writable again the answers are there to apply.
    QFile::setPermissions(data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    r = toolAt("11:00:00", {"receive"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString() << r.out.toStdString();
    EXPECT_EQ(dump("SELECT State FROM Apt1"), "3");
}

} // namespace
