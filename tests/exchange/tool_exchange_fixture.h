#pragma once

#include "tests/exchange/exchange_fixture.h"
#include "tests/support/program_run.h"

#include <QProcess>

namespace exchange_tests {

// The exchange workspace driven through the real pelmar-tool (PELMAR_TOOL)
// on the frozen day 2024-03-15, with the link's sender ID set.
class ToolExchangeTest : public ExchangeTest
{
protected:
    void SetUp() override
    {
        ExchangeTest::SetUp();
        ASSERT_EQ(tool({"link", "setup", "LoginID=BR0001"}).exitCode, 0);
    }

    // pelmar-tool at `now` on the frozen day.
    testing_support::ProgramRun toolAt(const QString& now, const QStringList& args)
    {
        QProcessEnvironment env = testing_support::ProgramEnvironment();
        env.insert("PELMAR_NOW", "2024-03-15 " + now);
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(PELMAR_TOOL, QStringList{"--home", home()} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    testing_support::ProgramRun tool(const QStringList& args) { return toolAt("10:30:00", args); }
};

} // namespace exchange_tests
