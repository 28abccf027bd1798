#include "platform/process_list.h"
#include "shell/codec.h"
#include "store/database.h"
#include "tests/support/workspace_fixture.h"

#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QFile>
#include <gtest/gtest.h>

namespace {

struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

// pelmar-tool's batch commands, run as a separate process on a prepared
// workspace at a fixed moment.
class TransferTool : public testing_support::WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        ws = home() + "branch";
        ASSERT_EQ(tool({"prepare-db"}).exitCode, 0);
        sql("INSERT INTO UserCode (Name, APID10, APPASS, BankNoApt) VALUES "
            "('푸른마을아파트', 'A123456789', 'pw1234', '301-1234-5678-91')");
    }
    ToolRun tool(const QStringList& args, const QString& locale = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PELMAR_NOW", "2024-03-15 10:30:00");
        if (!locale.isEmpty()) {
            // Qt takes the locale from these, whether or not the system
            // has generated it.
            env.insert("LC_ALL", locale);
            env.insert("LANG", locale);
        }
        p.setProcessEnvironment(env);
        p.setProgram(QFileInfo(platform::OwnExecutable()).absolutePath() + "/pelmar-tool");
        p.setArguments(QStringList{"--home", ws} + args);
        p.start();
        EXPECT_TRUE(p.waitForFinished(30000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    void sql(const QString& statement)
    {
        {
            ASSERT_TRUE(store::OpenDatabase("ToolTest", ws + "/Data/Pelmar.db").ok());
            QSqlQuery q(QSqlDatabase::database("ToolTest"));
            ASSERT_TRUE(q.exec(statement)) << statement.toStdString();
        }
        store::CloseDatabase("ToolTest");
    }
    ToolRun newBatch(const QString& date, const QString& code = "A123456789",
                     const QString& pass = "pw1234")
    {
        return tool({"new-batch", "--institution", code, "--date", date, "--password", pass});
    }

    QString ws;
};

TEST_F(TransferTool, NewBatchRunsTheScreensChecks)
{
    struct Case
    {
        QString date;
        QString code;
        QString pass;
        int exit;
        QString text; // printed number or the message
    } cases[] = {
        {"2024-03-18", "A123456789", "pw1234", 0, "1"},
        {"2024-04-04", "A123456789", "pw1234", 0, "2"},
        {"2024-03-16", "A123456789", "pw1234", 1, "지정한 이체 일자가 공휴일입니다."},
        {"2024-03-14", "A123456789", "pw1234", 1, "이체일자가 현재일자 보다 이전일자 입니다."},
        {"2024-04-05", "A123456789", "pw1234", 1,
         "이체일자는 현재일자 부터 20일 이내의 일자를 입력하세요."},
        {"2024-03-18", "NOSUCHCODE", "pw1234", 1, "기관명 항목이 누락되었습니다."},
        {"2024-03-18", "A123456789", "PW1234", 1, "기관비밀번호가 틀립니다."},
    };
    for (const Case& c : cases) {
        const ToolRun r = newBatch(c.date, c.code, c.pass);
        EXPECT_EQ(r.exitCode, c.exit) << c.date.toStdString() << r.err.toStdString();
        if (c.exit == 0)
            EXPECT_EQ(r.out.trimmed(), c.text);
        else
            EXPECT_TRUE(r.err.contains(c.text)) << r.err.toStdString();
    }
    EXPECT_EQ(tool({"new-batch", "--institution", "A123456789", "--date", "18.03.2024",
                    "--password", "pw1234"})
                  .exitCode,
              2);
    EXPECT_EQ(tool({"new-batch", "--date", "2024-03-18"}).exitCode, 2);
}

TEST_F(TransferTool, SetStateAndLines)
{
    ASSERT_EQ(newBatch("2024-03-18").exitCode, 0);
    // A batch without lines cannot be switched.
    ToolRun r = tool({"set-state", "--batch", "1", "--state", "1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("이체자료없음")) << r.err.toStdString();

    sql("INSERT INTO Apt2 (AptID, Dong, Ho, BankCode, BankNo, IcheMoney, IcheYebu, NapbuNo, State, "
        "Bigo, Kita) VALUES (1, '101', '1203', '11', '3011234567891', 150000, 'Z', '1011203', 1, "
        "'홍길동', '홍길순'), (1, '102', '1', '04', '12345678901234', 50000, 'Z', '1021', 1, '김', "
        "'')");
    sql("UPDATE Apt1 SET State = 1, TotNo = 2, TotMoney = 200000, E1TotNo = 2, E1TotMon = 200000, "
        "E1JunNo = 1, E1JunMon = 150000, E1SucNo = 1, E1SucMon = 50000");
    r = tool({"set-state", "--batch", "1", "--state", "0"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "1\t송신불가\n");
    EXPECT_EQ(tool({"set-state", "--batch", "1", "--state", "2"}).exitCode, 2);
    EXPECT_EQ(tool({"set-state", "--batch", "9", "--state", "1"}).exitCode, 1);

    r = tool({"lines", "--batch", "1", "--order", "account"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList out = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(out.size(), 10) << r.out.toStdString();
    EXPECT_EQ(out[0], "batch\t1\tA123456789\t2024-03-18\t송신불가");
    EXPECT_EQ(out[2], "102\t1\t김\t1021\t국민은행\t123456-78-901234\t\t50000\t미송신\t미처리\t");
    EXPECT_EQ(out[3], "101\t1203\t홍길동\t1011203\tTervo중앙회\t301-1234-5678-"
                      "91\t홍길순\t150000\t미송신\t미처리\t");
    EXPECT_EQ(out[4], "의뢰\t2\t200000");
    EXPECT_EQ(out[6], "중앙회\t1\t150000");
    EXPECT_EQ(out[9], "이체불능\t0\t0");
    EXPECT_EQ(tool({"lines", "--batch", "1", "--order", "sideways"}).exitCode, 2);
}

TEST_F(TransferTool, OutputCommandsWriteWhatTheScreensWrite)
{
    ASSERT_EQ(newBatch("2024-03-25").exitCode, 0);
    for (int i = 0; i < 90; ++i)
        sql(QString("INSERT INTO Apt2 (AptID, DongInt, Dong, HoInt, Ho, BankCode, BankNo, "
                    "IcheDate, IcheMoney, IcheYebu, State, Bigo, Kita) VALUES (1, 101, '101', "
                    "%1, '%1', '11', '3021234567801', '2024-03-25', 10000, 'Z', 1, '입주자%1', "
                    "'예금주')")
                .arg(101 + i));
    ToolRun r = tool({"export-lines", "--batch", "1", ws + "/lines.xlsx"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.endsWith("\t90\n"));
    EXPECT_TRUE(QFileInfo(ws + "/lines.xlsx").size() > 0);

    r = tool({"text-output", "--batch", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile text(ws + "/Rendal.txt");
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_EQ(text.readAll().count("\r\n"), 91);

    r = tool({"print", "--batch", "1", "--pdf", ws + "/lines.pdf"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext comes with scripts/setup";
    const auto pdfText = [&](const QString& mode) {
        QProcess p;
        p.start("pdftotext", {"-enc", "UTF-8", mode, ws + "/lines.pdf", "-"});
        EXPECT_TRUE(p.waitForFinished(30000));
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    // The text copies and searches as it reads: blanks are blanks, never
    // control characters.
    const QRegularExpression control("[\\x00-\\x08\\x0b\\x0e-\\x1f]");
    const QString layout = pdfText("-layout");
    EXPECT_FALSE(layout.contains(control)) << layout.left(400).toStdString();
    EXPECT_TRUE(layout.contains("Veltrin 이체 자료"));
    const QString raw = pdfText("-raw");
    EXPECT_FALSE(raw.contains(control));
    EXPECT_TRUE(raw.contains("동 호 입 주 자 예금주명 은 행 명 계 좌 번 호"))
        << raw.left(400).toStdString();
    EXPECT_TRUE(raw.contains("- 1 -"));
    // The words, whatever the reader makes of the gaps between them.
    const QString pdf = QString(layout).remove(' ');
    const int pages = int(pdf.count('\f'));
    EXPECT_GE(pages, 2);
    EXPECT_TRUE(pdf.contains(QString("-%1-").arg(pages)));
    EXPECT_TRUE(pdf.contains("입주자101"));
    EXPECT_TRUE(pdf.contains("입주자190"));
    EXPECT_TRUE(pdf.contains("[끝]"));
    EXPECT_EQ(pdf.count("Veltrin이체자료"), pages); // the header band on every page

    sql("INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, Status, NAME) VALUES "
        "('A123456789', '11', '3021234567801', '101101', 2, '홍길동')");
    r = tool({"export-consents", ws + "/consents.xlsx"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.endsWith("\t1\n"));

    EXPECT_EQ(tool({"print", "--batch", "9", "--pdf", ws + "/x.pdf"}).exitCode, 1);
    EXPECT_EQ(tool({"export-lines", "--batch", "1"}).exitCode, 2);
}

// Cells of a CSV line; quoted ones keep their quotes, so that text cells can
// be told from number and date cells.
QStringList csvCells(const QString& line)
{
    QStringList cells;
    QString cell;
    bool quoted = false;
    for (const QChar c : line) {
        if (c == '"')
            quoted = !quoted;
        if (c == ',' && !quoted) {
            cells.append(cell);
            cell.clear();
        } else {
            cell += c;
        }
    }
    cells.append(cell);
    return cells;
}

TEST_F(TransferTool, ExportsSumAndSortInTheSpreadsheetProgram)
{
    if (QStandardPaths::findExecutable("soffice").isEmpty())
        GTEST_SKIP() << "LibreOffice comes with scripts/setup";
    ASSERT_EQ(newBatch("2024-03-25").exitCode, 0);
    sql("INSERT INTO Apt2 (AptID, Dong, Ho, BankCode, BankNo, IcheMoney, IcheYebu, NapbuNo, State, "
        "Bigo) VALUES (1, '007', '0101', '04', '0012345678', 1234567, 'Z', '000123', 1, '홍길동'), "
        "(1, '101', '1203', '11', '3011234567891', 50000, 'Z', '1011203', 1, '김'), "
        "(1, '102', '1', '11', '3011234567891', 900, 'Z', '1021', 1, '이')");
    sql("UPDATE Apt1 SET TotNo = 3, TotMoney = (SELECT sum(IcheMoney) FROM Apt2)");
    sql("INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, Status, NAME, JuminNO, "
        "Senddate, Receivedate) VALUES ('A123456789', '04', '0012345678', '000123', 2, '홍길동', "
        "'0101013', '2024-03-01 10:00:00', '2024-03-04 09:00:00')");
    ASSERT_EQ(tool({"export-lines", "--batch", "1", ws + "/lines.xlsx"}).exitCode, 0);
    ASSERT_EQ(tool({"export-consents", ws + "/consents.xlsx"}).exitCode, 0);
    const QString total =
        tool({"lines", "--batch", "1"}).out.section("의뢰\t", 1).section('\n', 0, 0);
    ASSERT_EQ(total, "3\t1285467");

    // Saved as CSV by the spreadsheet program itself: text cells quoted,
    // numbers and dates not; once as values, once as shown.
    const auto convert = [&](bool asShown) {
        QProcess p;
        p.start("soffice",
                {"-env:UserInstallation=file://" + home() + "lo", "--headless", "--convert-to",
                 QString("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true,%1")
                     .arg(asShown ? "true" : "false"),
                 "--outdir", ws + (asShown ? "/shown" : "/values"), ws + "/lines.xlsx",
                 ws + "/consents.xlsx"});
        EXPECT_TRUE(p.waitForFinished(120000));
        QList<QList<QStringList>> sheets;
        for (const char* name : {"/lines.csv", "/consents.csv"}) {
            QFile f(ws + (asShown ? "/shown" : "/values") + name);
            EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
            QList<QStringList> rows;
            for (const QString& line :
                 QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts))
                rows.append(csvCells(line.trimmed()));
            sheets.append(rows);
        }
        return sheets;
    };
    const auto values = convert(false);
    ASSERT_EQ(values[0].size(), 4);
    qint64 sum = 0;
    for (int r = 1; r < 4; ++r) {
        bool number = false;
        sum += values[0][r][9].toLongLong(&number);
        EXPECT_TRUE(number) << values[0][r][9].toStdString();
    }
    EXPECT_EQ(sum, 1285467);
    EXPECT_EQ(values[0][1].mid(1, 7),
              (QStringList{"\"007\"", "\"0101\"", "\"홍길동\"", "\"04\"", "\"국민은행\"",
                           "\"0012345678\"", "\"000123\""}));
    ASSERT_EQ(values[1].size(), 2);
    EXPECT_EQ(values[1][1].mid(2, 7),
              (QStringList{"\"A123456789\"", "\"04\"", "\"0012345678\"", "\"000123\"",
                           "\"0101013\"", "2024-03-01", "2024-03-04"}));
    const auto shown = convert(true);
    EXPECT_EQ(shown[0][1][9], "\"1,234,567\"");
    EXPECT_EQ(shown[1][1][7], "2024-03-01");
}

TEST_F(TransferTool, TextOutputReadsTheSameUnderEveryLocale)
{
    ASSERT_EQ(newBatch("2024-03-25").exitCode, 0);
    // The second account has no display form under the account rules.
    sql("INSERT INTO Apt2 (AptID, Dong, Ho, BankCode, BankNo, IcheDate, IcheMoney, IcheYebu, "
        "State, Rdate, Sdate, Stime, Bigo) VALUES "
        "(1, '101', '1203', '11', '3011234567891', '2026-12-11', 150000, 'Y', 3, '2026-12-14', "
        "'2026-12-09', '16:32:07', '홍길동'), "
        "(1, '102', '1', '04', '1234567890', '2026-12-11', 50000, 'Z', 1, NULL, NULL, NULL, '김')");
    const QString file = ws + "/Rendal.txt";
    QByteArray first;
    for (const char* locale : {"C", "en_US.UTF-8", "ko_KR.UTF-8"}) {
        SCOPED_TRACE(locale);
        QFile::remove(file);
        const ToolRun r = tool({"text-output", "--batch", "1"}, locale);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QByteArray bytes = readFile("branch/Rendal.txt");
        const QStringList lines = shell::FromCp949(bytes).split("\r\n");
        ASSERT_EQ(lines.size(), 4); // header, two lines, the empty rest
        const QStringList line1 = lines[1].split(';');
        const QStringList line2 = lines[2].split(';');
        ASSERT_EQ(line1.size(), 18);
        EXPECT_EQ(line1[6], "301-1234-5678-91  ");
        EXPECT_EQ(line1[7], "2026-12-11");
        EXPECT_EQ(line1[14], "2026-12-14");
        EXPECT_EQ(line1[15], "2026-12-09");
        EXPECT_EQ(line1[16], "16:32:07  ");
        EXPECT_EQ(line2[6], "1234567890        "); // as stored
        EXPECT_EQ(line2[14], "          ");
        if (first.isEmpty())
            first = bytes;
        EXPECT_EQ(bytes, first);
    }

    // An existing file is replaced only when the user says so.
    writeFile("branch/Rendal.txt", "keep");
    ToolRun r = tool({"text-output", "--batch", "1"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.err.contains("파일 \"" + file + "\"가 이미 존재합니다.")) << r.err.toStdString();
    r = tool({"--no", "text-output", "--batch", "1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(readFile("branch/Rendal.txt"), "keep");
    r = tool({"--yes", "text-output", "--batch", "1"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(readFile("branch/Rendal.txt"), first);
}

TEST_F(TransferTool, TheSqliteToolRepairsRowsAndCheckNamesWhatIsTooLong)
{
    if (QStandardPaths::findExecutable("sqlite3").isEmpty())
        GTEST_SKIP() << "sqlite3 comes with scripts/setup";
    ASSERT_EQ(newBatch("2024-03-18").exitCode, 0);
    sql("INSERT INTO Apt2 (AptID, Dong, Ho, BankCode, BankNo, IcheMoney, State, Bigo) VALUES "
        "(1, '101', '1203', '11', '3011234567891', 150000, 1, '홍길동')");
    // Repairs as the help desk makes them, with the sqlite3 tool.
    const auto sqlite3 = [&](const QString& statement) {
        QProcess p;
        p.start("sqlite3", {ws + "/Data/Pelmar.db", statement});
        EXPECT_TRUE(p.waitForFinished(30000));
        return QString::number(p.exitCode()) + QString::fromUtf8(p.readAllStandardError());
    };
    EXPECT_EQ(sqlite3("UPDATE Apt1 SET State = 1, Bigo = '확인' WHERE AptID = 1"), "0");
    EXPECT_EQ(sqlite3("UPDATE Apt2 SET Bigo = '홍길순', Kita = '홍길동' WHERE AptID = 1"), "0");
    ToolRun r = tool({"check"});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();

    // Values beyond their field's byte limit: each named by table, row and column.
    EXPECT_EQ(sqlite3("UPDATE Apt1 SET Bigo = '" + QString(41, QChar(0xD655)) + "' WHERE AptID = 1"), "0");
    EXPECT_EQ(sqlite3("UPDATE Apt2 SET Dong = '가나다', Kita = '" + QString(21, 'k') + "'"), "0");
    r = tool({"check"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out.split('\n', Qt::SkipEmptyParts),
              (QStringList{"problem value Apt1 AptID=1,rowid=1 Bigo: 82 bytes (max 80)",
                           "problem value Apt2 Apt2ID=1 Dong: 6 bytes (max 4)",
                           "problem value Apt2 Apt2ID=1 Kita: 21 bytes (max 20)"}));
    EXPECT_TRUE(r.err.contains("자료 파일에 오류가 있습니다.")) << r.err.toStdString();
}

TEST_F(TransferTool, ImportLinesAndConsentsPrintTheirCounts)
{
    ASSERT_EQ(newBatch("2024-03-18").exitCode, 0);
    QFile file(ws + "/in.prn");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // The shipped layout: records of 100 bytes, 동 1/4, 호 5/4, 입주자명
    // 9/20, 은행코드 29/2, 계좌번호 31/16, 이체금액 47/13.
    for (const char* bank : {"11", "30"})
        file.write(QByteArray("101 1203                    ")
                       .append(bank)
                       .append("12345678901     1000")
                       .leftJustified(98, ' ') +
                   "\r\n");
    file.close();
    ToolRun r = tool({"import-lines", "--batch", "1", "--layout", "기본양식", ws + "/in.prn"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("accepted\t1\nrejected\t1\nreport\t")) << r.out.toStdString();
    EXPECT_TRUE(r.out.trimmed().endsWith("Error.txt"));
    r = tool({"lines", "--batch", "1"});
    EXPECT_TRUE(r.out.contains("의뢰\t1\t1000")) << r.out.toStdString();

    EXPECT_EQ(tool({"import-lines", "--batch", "1", "--layout", "기본양식", ws + "/none.prn"})
                  .exitCode,
              1);
    EXPECT_EQ(tool({"import-lines", "--batch", "1", "--layout", "없음", ws + "/in.prn"}).exitCode,
              1);
    EXPECT_EQ(tool({"import-lines", "--batch", "1", ws + "/in.prn"}).exitCode, 2);

    QFile csv(ws + "/consents.csv");
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("이름,기관업체코드,은행코드,계좌번호,납부자번호,실명번호\r\n"
              "홍길동,A123456789,11,123-456-7890,p1,800101\r\n"
              "김철수,A123456789,13,2222222222,p2,800101\r\n");
    csv.close();
    r = tool({"import-consents", ws + "/consents.csv"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("accepted\t2\nrejected\t0\nreport\t")) << r.out.toStdString();
    r = tool({"import-consents", ws + "/consents.csv"});
    EXPECT_TRUE(r.out.startsWith("accepted\t0\nrejected\t2\n")) << r.out.toStdString();
    QFile empty(ws + "/empty.xlsx");
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_EQ(tool({"import-consents", ws + "/empty.xlsx"}).exitCode, 1);
}

// The same five transfers with each kind of line end (tests/data/text/,
// made by its script), by the shipped layout of 100-byte records and by a
// layout of text lines: every one is stored. A file whose lines are longer
// than a record is refused whole.
TEST_F(TransferTool, ImportLinesTakesEveryKindOfLineEnd)
{
    sql("INSERT INTO APTCONV (Name, Len, DongS, DongN, HoS, HoN, NameS, NameN, BankCodeS, "
        "BankCodeN, BankNoS, BankNoN, IcheMoneyS, IcheMoneyN) VALUES "
        "('줄단위', 0, 1, 4, 5, 4, 9, 20, 29, 2, 31, 16, 47, 13)");
    int batch = 0;
    for (const char* layout : {"기본양식", "줄단위"}) {
        for (const char* ends : {"crlf", "lf", "cr"}) {
            SCOPED_TRACE(std::string(layout) + " " + ends);
            ASSERT_EQ(newBatch("2024-03-18").exitCode, 0);
            const QString id = QString::number(++batch);
            const ToolRun r = tool({"import-lines", "--batch", id, "--layout", layout,
                                    QString(PELMAR_TEXT_FIXTURES "/lines.%1.prn").arg(ends)});
            EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
            EXPECT_EQ(r.out, "accepted\t5\nrejected\t0\n");
            EXPECT_TRUE(tool({"lines", "--batch", id}).out.contains("전체\t5\t82000"));
        }
    }
    ASSERT_EQ(newBatch("2024-03-18").exitCode, 0);
    const QString id = QString::number(++batch);
    const ToolRun r = tool({"import-lines", "--batch", id, "--layout", "기본양식",
                            PELMAR_TEXT_FIXTURES "/lines.long.prn"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains("1번째 줄이 128바이트로, 줄 끝을 넣은 레코드 길이 100바이트보다"))
        << r.err.toStdString();
    EXPECT_TRUE(tool({"lines", "--batch", id}).out.contains("전체\t0\t0"))
        << tool({"lines", "--batch", id}).out.toStdString();
}

TEST_F(TransferTool, ImportRefusesAmountsTheLineSaveRefuses)
{
    ASSERT_EQ(newBatch("2024-03-18").exitCode, 0);
    QFile file(ws + "/in.prn");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // 이체금액 47/13 of the shipped layout.
    for (const char* amount : {"1000", "0", "-5000", "-999999999999", "2500"})
        file.write(QByteArray("101 1203                    1112345678901     ")
                       .append(QByteArray(amount).leftJustified(13, ' '))
                       .leftJustified(98, ' ') +
                   "\r\n");
    file.close();
    ToolRun r = tool({"import-lines", "--batch", "1", "--layout", "기본양식", ws + "/in.prn"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_TRUE(r.out.startsWith("accepted\t2\nrejected\t3\nreport\t")) << r.out.toStdString();
    QFile report(r.out.section("report\t", 1).trimmed());
    ASSERT_TRUE(report.open(QIODevice::ReadOnly)) << report.fileName().toStdString();
    const QString errors = shell::FromCp949(report.readAll());
    EXPECT_EQ(errors.count(QStringLiteral("이체금액 오류")), 3) << errors.toStdString();
    r = tool({"lines", "--batch", "1"});
    EXPECT_TRUE(r.out.contains("의뢰\t2\t3500")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("전체\t2\t3500")) << r.out.toStdString();
}
