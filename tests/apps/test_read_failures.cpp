// Every command of pelmar-tool under a read that fails: each statement the
// command prepares on the database is refused in turn (the way the engine
// refuses a read it cannot do), on a fresh copy of a demo installation. The
// command either never meets the refusal or fails: exit 1 with a message.
// None may exit 0 having done less, or fail without a word.

#include "tests/support/program_run.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Command
{
    const char* name; // the test's name
    // "@" stands for a scratch folder of the run, "%" for a backup of the demo
    QStringList args;
    bool readsTables = true; // false: works on the file, or not on the data
    QStringList before = {}; // a command run first on the copy, unrefused
};

const QList<Command>& Commands()
{
    static const QList<Command> all = {
        {"check", {"check"}},
        {"holiday", {"holiday", "2024-03-01", "2024-03-31"}},
        {"calendar_list", {"calendar", "list", "2024"}},
        {"calendar_add", {"calendar", "add", "2024-03-20", "지점휴무"}},
        {"calendar_remove", {"calendar", "remove", "2024-03-27"}},
        {"build_requests", {"build-requests"}},
        {"apply_results", {"apply-results"}},
        {"new_batch",
         {"new-batch", "--institution", "AP23010001", "--date", "2024-03-25", "--password",
          "hb1234"}},
        {"set_state", {"set-state", "--batch", "10", "--state", "0"}},
        {"lines", {"lines", "--batch", "10", "--order", "dong-ho"}},
        {"export_lines", {"export-lines", "--batch", "10", "@/out.xlsx"}},
        {"export_consents", {"export-consents", "@/out.xlsx"}},
        {"text_output", {"text-output", "--batch", "10", "@/out.txt"}},
        {"print", {"print", "--batch", "10", "--pdf", "@/out.pdf"}},
        {"reorganise", {"reorganise"}},
        {"send", {"send"}},
        {"receive", {"receive"}},
        {"send_receive", {"send-receive"}},
        {"re_receive", {"re-receive"}, true, {"receive"}},
        {"results", {"results"}},
        {"results_fetch", {"results", "--fetch"}},
        {"import_lines",
         {"import-lines", "--batch", "7", "--layout", "기본양식",
          PELMAR_SOURCE_DIR "/tests/data/text/lines.crlf.prn"}},
        {"import_consents", {"import-consents", "@/consents.csv"}},
        {"send_evidence", {"send-evidence", "--consents", "@/evidence.txt"}},
        // The archive is of the file; the backup's row in the change record reads.
        {"backup", {"backup", "--to", "@"}},
        {"restore", {"restore", "--from", "%"}},
        {"collections", {"collections", "--month", "2024-02"}},
        {"collections_by_code", {"collections", "--month", "2024-02", "--by-code"}},
        {"represent", {"represent", "--batch", "2"}},
        {"consents_to_review", {"consents-to-review"}},
        {"follow_up_rules", {"follow-up-rules"}},
        {"follow_up_rule_set",
         {"follow-up-rules", "--code", "0101", "--action", "재청구", "--cap", "2"}},
        {"consent_template", {"consent-template", "@/template.xlsx"}, false},
    };
    return all;
}

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
    QStringList log; // the shim's lines
};

class ReadFailures : public testing::TestWithParam<int>
{
public:
    // A failure here fails every test (an assertion in the suite's set-up
    // would only skip them).
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        const QString base = s_dir->filePath("base");
        const auto tool = [&](const QStringList& args) {
            QProcess p;
            QProcessEnvironment env = testing_support::ProgramEnvironment();
            env.insert("PELMAR_REGISTRY_DIR", s_dir->filePath("registry"));
            p.setProcessEnvironment(env);
            p.start(PELMAR_TOOL, QStringList{"--home", base, "--quiet"} + args);
            const bool ended = p.waitForFinished(300000);
            if (!ended || p.exitCode() != 0)
                s_setupError = args.join(' ') + ": " + QString::fromUtf8(p.readAllStandardError());
            return s_setupError.isEmpty();
        };
        // A demo whose answers were received once, a branch day and a report
        // to look at, so that every command finds something to do.
        const QString archives = s_dir->filePath("archives");
        QDir().mkpath(archives);
        if (!tool({"make-demo"}) || !tool({"calendar", "add", "2024-03-27", "지점휴무"}) ||
            !tool({"results", "--fetch"}) || !tool({"backup", "--to", archives}))
            return;
        const QStringList made = QDir(archives).entryList({"*.zip"}, QDir::Files);
        if (made.size() != 1)
            s_setupError = "backup: " + made.join(' ');
        else
            s_archive = archives + '/' + made.first();
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

protected:
    // Runs the command on a fresh copy of the demo, refusing the statement
    // whose hash is `deny` (none for "-").
    Outcome run(const Command& c, const QString& deny)
    {
        const QString ws = s_dir->filePath("w");
        QDir(ws).removeRecursively();
        QDir(ws + ".o").removeRecursively();
        EXPECT_EQ(QProcess::execute("cp", {"-a", s_dir->filePath("base"), ws}), 0);
        QDir().mkpath(ws + ".o");
        writeInputs(ws + ".o");
        if (!c.before.isEmpty()) {
            const testing_support::ProgramRun first = testing_support::RunProgram(
                PELMAR_TOOL, ws, QStringList{"--yes", "--quiet"} + c.before);
            EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
        }
        const QString log = ws + ".log";
        QFile::remove(log);
        QStringList args{"--home", ws, "--yes", "--quiet"};
        for (const QString& a : c.args)
            args.append(QString(a).replace('@', ws + ".o").replace('%', s_archive));
        QProcess p;
        QProcessEnvironment env = testing_support::ProgramEnvironment();
        env.insert("LD_PRELOAD", DENY_READ_SHIM);
        env.insert("PELMAR_DENY_SQL", deny);
        env.insert("PELMAR_DENY_LOG", log);
        env.insert("PELMAR_REGISTRY_DIR", s_dir->filePath("registry"));
        p.setProcessEnvironment(env);
        p.start(PELMAR_TOOL, args);
        EXPECT_TRUE(p.waitForFinished(120000));
        Outcome r{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
              QString::fromUtf8(p.readAllStandardError()), {}};
        QFile f(log);
        if (f.open(QIODevice::ReadOnly))
            r.log = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
        return r;
    }

    static void writeInputs(const QString& dir)
    {
        QFile csv(dir + "/consents.csv");
        if (csv.open(QIODevice::WriteOnly))
            csv.write("<출금동의 신청 자료>\r\n"
                      "이름,기관업체코드,은행코드,계좌번호,납부자번호,실명번호,고객신청일자,"
                      "자동납부일자,지점코드,실명번호검사\r\n"
                      "홍길동,AP23010001,11,3021234567890,1019999,800101,2024-03-01,25,001,Y\r\n");
        QFile evidence(dir + "/evidence.txt");
        if (evidence.open(QIODevice::WriteOnly))
            // A consent of the demo whose evidence waits to be sent.
            evidence.write("AP23010001,11,99639659757,101502\r\n");
    }

    static QTemporaryDir* s_dir;
    static QString s_archive;
    static QString s_setupError;
};

QTemporaryDir* ReadFailures::s_dir = nullptr;
QString ReadFailures::s_archive;
QString ReadFailures::s_setupError;

TEST_P(ReadFailures, FailWithAMessageOrNeverMeetTheRefusal)
{
    ASSERT_TRUE(s_setupError.isEmpty()) << s_setupError.toStdString();
    const Command& c = Commands()[GetParam()];
    const Outcome plain = run(c, "-");
    // Every statement the command prepares, once, with what it reads.
    QStringList statements;
    QSet<QString> tables;
    for (const QString& line : plain.log) {
        const QStringList f = line.split(' ');
        if (f.size() < 3 || f[0] != "read" || f[1].startsWith("pragma_"))
            continue;
        tables.insert(f[1]);
        if (!statements.contains(f[2]))
            statements.append(f[2]);
    }
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    if (!c.readsTables) {
        EXPECT_TRUE(statements.isEmpty()) << statements.join('\n').toStdString();
        return;
    }
    ASSERT_FALSE(statements.isEmpty()) << "the command read nothing: " << plain.err.toStdString();
    QStringList faults;
    for (const QString& hash : statements) {
        const Outcome r = run(c, hash);
        if (!r.log.join('\n').contains("denied "))
            continue;
        const QString sql = plain.log.filter(hash).value(0).section(' ', 3).left(100);
        if (r.exitCode == 0)
            faults.append("exit 0 [" + sql + "]");
        // The exchange commands print their final message, an error too, on
        // the standard output with the send list.
        else if (r.exitCode != 1 || (r.err.trimmed().isEmpty() && !r.out.contains("error: ")))
            faults.append(QString("exit %1 without a message [%2]").arg(r.exitCode).arg(sql));
    }
    RecordProperty("statements", int(statements.size()));
    RecordProperty("tables", int(tables.size()));
    EXPECT_TRUE(faults.isEmpty()) << c.args.join(' ').toStdString() << " (" << statements.size()
                                  << " statements over " << tables.size() << " tables):\n"
                                  << faults.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Tool, ReadFailures, testing::Range(0, int(Commands().size())),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(Commands()[info.param].name);
                         });

} // namespace
