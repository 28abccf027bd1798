// Evidence that proves the consent it is sent for, through the real
// pelmar-tool and the stand-in secure client: a registration leaves only
// with its own evidence sent and unused within the seven days; what goes as
// evidence is the regular file registered for that very consent; each
// delivered file is recorded at once; and a kill at any step of
// send-evidence, followed by the next ordinary run, neither records what
// did not arrive nor delivers anything twice.

#include "consent/evidence_transfer.h"
#include "tests/exchange/tool_exchange_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <functional>
#include <iostream>

namespace {

using testing_support::ProgramRun;

constexpr const char* kInst = "A123456789";
constexpr const char* kAccount = "1234567890123";

class EvidenceRules : public exchange_tests::ToolExchangeTest
{
protected:
    void SetUp() override
    {
        ToolExchangeTest::SetUp();
        exec("INSERT INTO EvidentialAuthKey (SendId, AuthKey) VALUES ('BR0001', 'KEY1')");
        ASSERT_TRUE(consent::WriteSecureClientConfig(home(), {"BR0001", "KEY1"}));
    }

    void addEvidence(const QString& code, const QString& bank, const QString& payer,
                     const QString& kind, const QString& file, const QString& state = "0",
                     const QString& date = {}, const QString& account = kAccount)
    {
        exec("INSERT INTO Evidential (BANKCD, CUSTNO, CMSSERIALNO, ACCTNO, AUTHTYPE, AUTHFILE, "
             "SENDSTATE, SENDDATE) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
             {bank, code, payer, account, kind, file, state, date});
    }

    // send-evidence for the consents "institution,bank,payer" (the account
    // is kAccount).
    ProgramRun sendEvidence(const QStringList& consents, const QStringList& options = {})
    {
        writeFile("consents.txt", consentList(consents));
        return tool(options + QStringList{"send-evidence", "--consents", path("consents.txt")});
    }
    QByteArray consentList(const QStringList& consents) const
    {
        QByteArray list;
        for (const QString& c : consents) {
            const QStringList p = c.split(',');
            list += (p[0] + "," + p[1] + "," + kAccount + "," + p[2] + "\n").toUtf8();
        }
        return list;
    }

    QString states() const
    {
        return const_cast<EvidenceRules*>(this)->dump(
            "SELECT CUSTNO, CMSSERIALNO, SENDSTATE, SENDDATE FROM Evidential "
            "ORDER BY CUSTNO, CMSSERIALNO");
    }

    // The transfer files the secure server holds, by name.
    QStringList delivered() const
    {
        QStringList out;
        for (const QString& f : filesIn("Mailbox/Evidence"))
            if (!f.endsWith(".part"))
                out.append(f);
        return out;
    }

    // The payer numbers of the registration requests that left, in the
    // day's kept request files.
    QStringList requested()
    {
        QStringList payers;
        for (const QString& name : filesIn("Send/Old/20240315")) {
            if (!name.startsWith("Register_"))
                continue;
            for (const QByteArray& line : readFile("Send/Old/20240315/" + name).split('\n'))
                if (line.startsWith('D'))
                    payers.append(QString::fromLatin1(line.mid(62, 20)).trimmed());
        }
        payers.sort();
        return payers;
    }
};

// Whoever set a registration waiting, it leaves only with evidence of its
// own key sent within the seven days and not used; the others stay waiting,
// named, and the rest go.
TEST_F(EvidenceRules, ARegistrationLeavesOnlyWithItsOwnUnusedRecentEvidence)
{
    addInstitution(QStringLiteral("면제단지"), "E000000001", "EB100", "EB200", "301-0123-4567-81",
                   QStringLiteral("면제"));
    struct Case
    {
        const char* payer;
        const char* bank;
        int status;
        const char* evidencePayer; // empty: no evidence row
        const char* evidenceBank;
        const char* state;
        const char* date;
        bool goes;
    };
    const Case cases[] = {
        {"101", "11", 0, "101", "11", "1", "20240314", true},     // sent yesterday
        {"102", "11", 0, "", "", "", "", false},                  // none (as imported)
        {"103", "11", 0, "103", "11", "0", "", false},            // attached, never sent
        {"104", "11", 0, "104", "11", "1", "20240308", false},    // seven days ago
        {"105", "11", 0, "105", "11", "1", "20240309", true},     // six days ago
        {"106", "11", 0, "106", "11", "2", "20240314", false},    // used by a request
        {"77-01", "11", 0, "7701", "11", "1", "20240314", false}, // another payer's
        {"7701", "11", 0, "", "", "", "", true},                  // (its evidence is above)
        {"108", "04", 0, "108", "11", "1", "20240314", false},    // another bank's
        {"109", "11", 4, "", "", "", "", true},                   // a cancellation
    };
    for (const Case& c : cases) {
        addConsent(kInst, c.bank, kAccount, c.payer, c.status, "800101");
        if (*c.evidencePayer)
            addEvidence(kInst, c.evidenceBank, c.evidencePayer, "1", "x.jpg", c.state, c.date);
    }
    addConsent("E000000001", "11", kAccount, "201", 0, "800101"); // exempt

    ProgramRun r = tool({"--yes", "send"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QStringList goes = {"201"};
    for (const Case& c : cases)
        if (c.goes)
            goes.append(c.payer);
    goes.sort();
    EXPECT_EQ(requested(), goes);
    const QString said = r.out + r.err;
    EXPECT_TRUE(said.contains("이미 사용된 출금동의는 등록 신청 자료에서 제외하였습니다."))
        << said.toStdString();
    for (const Case& c : cases) {
        const QString named = QString("기관코드 %1, 납부자번호 %2, 은행 %3, 계좌 %4")
                                  .arg(kInst, c.payer, c.bank, kAccount);
        EXPECT_EQ(said.contains(named), !c.goes) << c.payer;
        // Left out is left waiting: the recorded send advanced only the rest.
        EXPECT_EQ(value("SELECT Status FROM TongRegister WHERE NapbuNO = ? AND Bankcd = ?",
                        {c.payer, c.bank})
                      .toInt(),
                  c.goes ? c.status + 1 : c.status)
            << c.payer;
    }
}

// A stored name is sent only as the regular file in AUTHFILE/ it names,
// and only while it still keeps the attach's rules; anything else is
// refused, named, and nothing goes or is marked.
TEST_F(EvidenceRules, OnlyARegularFileOfTheFolderThatKeepsTheAttachRulesIsSent)
{
    writeFile("outside.txt", "NOT EVIDENCE");
    writeFile("AUTHFILE/inside.jpg", "scan inside");
    QDir().mkpath(path("AUTHFILE/folder.jpg"));
    struct Case
    {
        const char* name;
        const char* kind;
        std::function<void(const QString&)> make;
        const char* said; // empty: sent
    };
    const auto link = [this](const char* to) {
        return [this, to](const QString& at) { QFile::link(path(to), at); };
    };
    const auto bytes = [](qint64 n) {
        return [n](const QString& at) {
            QFile f(at);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(n, 'e'));
        };
    };
    const Case cases[] = {
        {"out.jpg", "1", link("outside.txt"), "증빙 폴더(AUTHFILE) 안의 일반 파일이 아니어서"},
        {"folder.jpg", "1", [](const QString&) {}, "증빙 폴더(AUTHFILE) 안의 일반 파일이 아니어서"},
        {"empty.jpg", "1", bytes(0), "빈 파일은 증빙 파일로 사용할 수 없습니다."},
        {"big.der", "2", bytes(5121), "공인인증파일은 5K이하만 사용 가능 합니다."},
        {"rec.wav", "4", bytes(12000000), "녹취파일은 300K이하만 사용 가능 합니다."},
        {"note.txt", "1", bytes(10), "서면파일은 *.jpg;*.jpeg;*.gif;*.tif 파일만 사용 가능"},
        {"in.jpg", "1", link("AUTHFILE/inside.jpg"), ""},
    };
    addConsent(kInst, "11", kAccount, "101", 0, "800101");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exec("DELETE FROM Evidential");
        addEvidence(kInst, "11", "101", c.kind, c.name);
        c.make(path("AUTHFILE/") + c.name);
        const ProgramRun r = sendEvidence({QString(kInst) + ",11,101"});
        const QString said = r.out + r.err;
        if (*c.said) {
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_TRUE(said.contains(QString::fromUtf8(c.said))) << said.toStdString();
            EXPECT_TRUE(delivered().isEmpty());
            EXPECT_EQ(states(), QString(kInst) + "|101|0|");
        } else {
            EXPECT_EQ(r.exitCode, 0) << said.toStdString();
            ASSERT_EQ(delivered().size(), 1);
            EXPECT_TRUE(readFile("Mailbox/Evidence/" + delivered()[0]).contains("scan inside"));
        }
    }
    for (const QString& f : delivered())
        EXPECT_FALSE(readFile("Mailbox/Evidence/" + f).contains("NOT EVIDENCE"));
}

// Two consents whose payer numbers differ only by a hyphen: each goes with
// its own file and only its own record is marked.
TEST_F(EvidenceRules, EachConsentGoesWithItsOwnFile)
{
    addConsent(kInst, "11", kAccount, "77-01", 0, "800101");
    addConsent(kInst, "11", kAccount, "7701", 0, "900101");
    addEvidence(kInst, "11", "77-01", "1", "A_77-01.jpg");
    addEvidence(kInst, "11", "7701", "1", "A_7701.jpg");
    writeFile("AUTHFILE/A_77-01.jpg", "FIRST RESIDENT");
    writeFile("AUTHFILE/A_7701.jpg", "SECOND RESIDENT");
    const ProgramRun r = sendEvidence({QString(kInst) + ",11,7701"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(delivered().size(), 1);
    const QByteArray sent = readFile("Mailbox/Evidence/" + delivered()[0]);
    EXPECT_TRUE(sent.contains("SECOND RESIDENT"));
    EXPECT_FALSE(sent.contains("FIRST RESIDENT"));
    EXPECT_EQ(states(), QString("%1|77-01|0|\n%1|7701|1|20240315").arg(kInst));
}

// The second institution's upload refused: the first institution's file
// arrived and is recorded so; the next run sends only the second.
TEST_F(EvidenceRules, WhatArrivedBeforeARefusalStaysSent)
{
    addInstitution(QStringLiteral("둘째단지"), "B000000002", "BB100", "BB200");
    addConsent(kInst, "11", kAccount, "101", 0, "800101");
    addConsent("B000000002", "11", kAccount, "201", 0, "800101");
    addEvidence(kInst, "11", "101", "1", "A_101.jpg");
    addEvidence("B000000002", "11", "201", "1", "B_201.jpg");
    writeFile("AUTHFILE/A_101.jpg", "a");
    writeFile("AUTHFILE/B_201.jpg", "b");
    const QStringList both = {QString(kInst) + ",11,101", "B000000002,11,201"};

    qputenv("SECURELINK_REFUSE_FILE", "B000000002");
    ProgramRun r = sendEvidence(both);
    qunsetenv("SECURELINK_REFUSE_FILE");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(delivered(), QStringList{"FB01100315103000_A123456789.dat"});
    EXPECT_EQ(states(), QString("%1|101|1|20240315\nB000000002|201|0|").arg(kInst));

    r = sendEvidence(both);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(delivered(),
              (QStringList{"FB01100315103000_A123456789.dat", "FB01100315103000_B000000002.dat"}));
    EXPECT_EQ(states(), QString("%1|101|1|20240315\nB000000002|201|1|20240315").arg(kInst));
}

// send-evidence killed at each step that touches the transfer file, the
// database's journal or the server's copy, then run again as usual (the
// user declining to resend what may have arrived), then the requests
// built: nothing is recorded as sent that did not arrive, nothing arrives
// twice, and no registration leaves without evidence that arrived.
TEST_F(EvidenceRules, AKillAtAnyStepNeitherForgetsNorRepeats)
{
    const QString strace = QStandardPaths::findExecutable("strace");
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is not installed (scripts/setup installs it)";
    addInstitution(QStringLiteral("둘째단지"), "B000000002", "BB100", "BB200");
    addConsent(kInst, "11", kAccount, "101", 0, "800101");
    addConsent("B000000002", "11", kAccount, "201", 0, "800101");
    addEvidence(kInst, "11", "101", "1", "A_101.jpg");
    addEvidence("B000000002", "11", "201", "1", "B_201.jpg");
    writeFile("AUTHFILE/A_101.jpg", "a");
    writeFile("AUTHFILE/B_201.jpg", "b");
    writeFile("consents.txt", consentList({QString(kInst) + ",11,101", "B000000002,11,201"}));
    dm->Close();
    const QString first = "FB01100315103000_A123456789.dat";
    const QString second = "FB01100315103000_B000000002.dat";
    // Each watched file with the calls on it that a kill interrupts (strace
    // counts each call on its own): the transfer file's link into place,
    // each open and each commit (the journal's removal) of the database's
    // journal, the secure client's copy and its rename into place.
    const QList<std::pair<QString, QString>> watched = {
        {"AUTHTEMP/" + first, "linkat"},
        {"AUTHTEMP/" + second, "linkat"},
        {"Data/Pelmar.db-journal", "openat"},
        {"Data/Pelmar.db-journal", "unlink,unlinkat"},
        {"Mailbox/Evidence/" + first + ".part", "openat"},
        {"Mailbox/Evidence/" + second + ".part", "openat"},
        {"Mailbox/Evidence/" + second + ".part", "rename,renameat,renameat2"},
    };
    const QString clean = home().chopped(1) + ".clean";
    ASSERT_EQ(QProcess::execute("cp", {"-a", home(), clean}), 0);
    const auto removeClean = qScopeGuard([&clean] { QDir(clean).removeRecursively(); });
    // The evidence state of an institution's consent, read on a connection
    // of its own (the workspace is put back before every run).
    const auto stateOf = [this](const QString& code) {
        QString state;
        {
            QSqlDatabase k = QSqlDatabase::addDatabase("QSQLITE", "Kill");
            k.setDatabaseName(path("Data/Pelmar.db"));
            EXPECT_TRUE(k.open());
            QSqlQuery q(k);
            q.prepare("SELECT SENDSTATE FROM Evidential WHERE CUSTNO = ?");
            q.addBindValue(code);
            if (q.exec() && q.next())
                state = q.value(0).toString();
        }
        QSqlDatabase::removeDatabase("Kill");
        return state;
    };
    int kills = 0;
    QStringList perPath;
    for (const auto& [watchedPath, calls] : watched) {
        const int before = kills;
        for (int n = 1; n < 40; ++n) {
            SCOPED_TRACE((watchedPath + " " + calls + " #" + QString::number(n)).toStdString());
            ASSERT_EQ(QProcess::execute("sh", {"-c", "rm -rf '" + home() + "' && cp -a '" + clean +
                                                         "' '" + home().chopped(1) + "'"}),
                      0);
            QProcess p;
            p.setProcessEnvironment(testing_support::ProgramEnvironment());
            p.start(strace,
                    {"-f", "-qq", "-o", "/dev/null", "-P", path(watchedPath), "-e",
                     "trace=" + calls, "-e",
                     QString("inject=%1:signal=KILL:when=%2").arg(calls).arg(n), PELMAR_TOOL,
                     "--home", home(), "send-evidence", "--consents", path("consents.txt")});
            ASSERT_TRUE(p.waitForFinished(60000));
            if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
                break;
            ++kills;
            // The next ordinary run, declining to resend what may have arrived.
            const ProgramRun again =
                tool({"--no", "send-evidence", "--consents", path("consents.txt")});
            EXPECT_TRUE(again.exitCode == 0 || again.exitCode == 1) << again.err.toStdString();
            const QStringList arrived = delivered();
            // A second copy would arrive as "….dat.1".
            for (const QString& f : arrived)
                EXPECT_TRUE(f == first || f == second) << "delivered twice: " << f.toStdString();
            // Recorded as sent only what arrived (what arrived while the
            // recording was killed stays unrecorded: nobody can tell).
            const bool firstSent = stateOf(kInst) == "1";
            const bool secondSent = stateOf("B000000002") == "1";
            EXPECT_TRUE(!firstSent || arrived.contains(first));
            EXPECT_TRUE(!secondSent || arrived.contains(second));
            // Registrations only with evidence recorded as arrived.
            const ProgramRun send = tool({"--yes", "send"});
            EXPECT_EQ(send.exitCode, 0) << send.err.toStdString();
            QStringList expected;
            if (firstSent)
                expected.append("101");
            if (secondSent)
                expected.append("201");
            EXPECT_EQ(requested(), expected);
        }
        perPath.append(QString("%1 %2: %3").arg(watchedPath, calls).arg(kills - before));
    }
    // Every watched call happens, so each was killed at least once.
    EXPECT_GE(kills, int(watched.size()) + 3) << perPath.join(", ").toStdString();
    std::cout << "kills: " << perPath.join(", ").toStdString() << "\n";
}

} // namespace
