#include "shell/clock.h"
#include "shell/kept_files.h"
#include "shell/workspace.h"
#include "tests/support/workspace_fixture.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

class KeptFilesTest : public testing_support::WorkspaceTest
{
protected:
    void TearDown() override
    {
        shell::ResetClock();
        WorkspaceTest::TearDown();
    }
    QStringList kept(const QString& day) const
    {
        return QDir(path("Recv/Old/" + day)).entryList(QDir::Files, QDir::Name);
    }
};

TEST_F(KeptFilesTest, EveryFileIsKeptUnderItsOwnNameInTodaysFolder)
{
    shell::FreezeNow(QDateTime(QDate(2024, 3, 15), QTime(10, 30)));
    QDir().mkpath(path("Recv/Old"));
    const QString recv = path("Recv/");
    // Each step: what the folder holds, what today's folder then holds.
    struct Step
    {
        QByteArray ab200;
        QStringList after;
        QString copy; // of AB200
    };
    const Step steps[] = {
        {"first", {"AB200", "FAZIP"}, "AB200"},
        {"first", {"AB200", "FAZIP"}, "AB200"}, // the same bytes again: not twice
        {"second", {"AB200", "AB200.1", "FAZIP"}, "AB200.1"},
        {"third", {"AB200", "AB200.1", "AB200.2", "FAZIP"}, "AB200.2"},
        {"first", {"AB200", "AB200.1", "AB200.2", "FAZIP"}, "AB200"},
    };
    writeFile("Recv/FAZIP", "PK");
    for (const Step& step : steps) {
        writeFile("Recv/AB200", step.ab200);
        const shell::KeptFiles k = shell::KeepFiles(recv, shell::KeptReceiveDir(workspace()));
        ASSERT_TRUE(k.ok) << k.error.toStdString();
        EXPECT_EQ(kept("20240315"), step.after) << step.ab200.constData();
        EXPECT_EQ(k.copies.value("AB200"), path("Recv/Old/20240315/" + step.copy));
        EXPECT_EQ(readFile("Recv/Old/20240315/" + step.copy), step.ab200);
    }
    EXPECT_EQ(readFile("Recv/AB200"), "first"); // the folder itself is left as it was

    // Another day, another folder.
    shell::FreezeNow(QDateTime(QDate(2024, 3, 16), QTime(9, 0)));
    ASSERT_TRUE(shell::KeepFiles(recv, shell::KeptReceiveDir(workspace())).ok);
    EXPECT_EQ(kept("20240316"), (QStringList{"AB200", "FAZIP"}));
}

TEST_F(KeptFilesTest, AKeptCopyGivesBackItsFileCode)
{
    EXPECT_EQ(shell::KeptSendDir(workspace()), home() + "Send/Old/");
    EXPECT_EQ(shell::KeptReceiveDir(workspace()), home() + "Recv/Old/");
    const QStringList codes[] = {{"AB200", "AB200"}, {"AB200.1", "AB200"}, {"AB200.12", "AB200"},
                                 {"Apt_1", "Apt_1"}, {"x.txt", "x.txt"},   {".5", ".5"},
                                 {"AB.1.2", "AB.1"}};
    for (const QStringList& c : codes)
        EXPECT_EQ(shell::KeptFileCode(c[0]), c[1]) << c[0].toStdString();
}

TEST_F(KeptFilesTest, AFolderThatCannotBeMadeIsReported)
{
    writeFile("Recv/AB200", "answer");
    writeFile("Blocked", "a file where the folder should be");
    const shell::KeptFiles k = shell::KeepFiles(path("Recv/"), path("Blocked/"));
    EXPECT_FALSE(k.ok);
    EXPECT_TRUE(k.error.contains("Blocked")) << k.error.toStdString();
}

} // namespace
