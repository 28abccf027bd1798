#include "reports/line_report.h"
#include "reports/print/print_layouts.h"
#include "reports/ui/tfm_print_option.h"
#include "shell/codec.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "tests/support/qt_app.h"
#include "tests/support/workspace_fixture.h"

#include <QFile>
#include <QPrinter>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace reports;

class LineReport : public testing_support::WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        testing_support::QtApp();
        dm = std::make_unique<store::TDM1>(ui, workspace());
        ASSERT_TRUE(dm->PrepareDatabase(workspace().dataDir));
        ASSERT_TRUE(dm->OpenTables());
        exec("INSERT INTO UserCode (Name, APID10) VALUES ('푸른마을아파트', 'A123456789')");
        exec("INSERT INTO Apt1 (AptID, GiganID10, IcheDate, SendDate, State, TotNo, TotMoney, "
             "E1TotNo, E1TotMon, E1JunNo, E1JunMon, E1JoNo, E1JoMon, E1SucNo, E1SucMon) VALUES "
             "(7, 'A123456789', '2024-03-25', '2024-03-22', 3, 3, 250000, 3, 250000, 1, 100000, "
             "0, 0, 1, 50000)");
    }
    void TearDown() override
    {
        dm.reset();
        WorkspaceTest::TearDown();
    }
    void exec(const QString& sql)
    {
        QSqlQuery q(dm->db());
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << q.lastError().text().toStdString();
    }
    void addLine(const QString& dong, const QString& ho, const QString& bank,
                 const QString& account, qint64 money, const QString& yebu, int state,
                 const QString& napbu = {})
    {
        exec(QString("INSERT INTO Apt2 (AptID, DongInt, Dong, HoInt, Ho, BankCode, BankNo, "
                     "IcheDate, IcheMoney, IcheYebu, ResultID4, NapbuNo, State, Bigo, Kita) "
                     "VALUES (7, %1, '%1', %2, '%2', '%3', '%4', '2024-03-25', %5, '%6', "
                     "'0000', '%7', %8, '입주자%2', '예금주')")
                 .arg(dong, ho, bank, account)
                 .arg(money)
                 .arg(yebu, napbu)
                 .arg(state));
    }
    std::unique_ptr<store::TDM1> dm;
    int m_count = 0;
};

TEST_F(LineReport, FiltersAndPrintedTexts)
{
    addLine("101", "101", "11", "3021234567801", 100000, "Y", 3);
    addLine("101", "1503", "99", "123456789012", 50000, "X", 3);
    addLine("102", "201", "03", "12345678901234", 100000, "Y", 3);
    const QList<TransferItem> lines = transfer::TransferLines(*dm, ui, 7).List().value();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(FilterLines(lines, 1).size(), 2);
    EXPECT_EQ(FilterLines(lines, 2).size(), 1);
    EXPECT_EQ(FilterLines(lines, 2)[0].Ho, "1503");
    EXPECT_EQ(FilterLines(lines, 0).size(), 3);

    EXPECT_EQ(PrintedNapbuNo("7901011234567"), "790101-1234567");
    EXPECT_EQ(PrintedNapbuNo("790101-1234567"), "790101-1234567");
    EXPECT_EQ(PrintedNapbuNo("790101"), "790101");

    EXPECT_EQ(InstitutionLabel(dm->db(), "A123456789"), "[A123456789] 푸른마을아파트");
    EXPECT_EQ(InstitutionLabel(dm->db(), "Z999999999"), "[Z999999999]");
}

TEST_F(LineReport, TextOutputHasFixedByteWidths)
{
    addLine("101", "1503", "11", "3021234567801", 150000, "Y", 3, "7901011234567");
    const QString file = path("Rendal.txt");
    ASSERT_TRUE(WriteLinesText(ui, file, transfer::TransferLines(*dm, ui, 7).List().value()));
    EXPECT_EQ(ui.progressPosition(), 1);
    const QList<QByteArray> rows = readFile("Rendal.txt").split('\n');
    ASSERT_EQ(rows.size(), 3); // header, one line, and nothing after the last CR LF
    const QByteArray header = rows[0];
    const QByteArray line = rows[1];
    EXPECT_TRUE(header.endsWith('\r'));
    const QList<QByteArray> h = header.chopped(1).split(';');
    const QList<QByteArray> l = line.chopped(1).split(';');
    const int widths[] = {4, 4, 20, 20, 8, 20, 18, 10, 13, 8, 20, 8, 20, 24, 10, 10, 10, 20};
    ASSERT_EQ(h.size(), 18);
    ASSERT_EQ(l.size(), 18);
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(h[i].size(), widths[i]) << i;
        EXPECT_EQ(l[i].size(), widths[i]) << i;
    }
    EXPECT_EQ(h[4], shell::ToCp949("은행코드"));
    EXPECT_EQ(h[0], shell::ToCp949("동") + "  ");
    EXPECT_EQ(l[1], "1503");
    EXPECT_EQ(l[6], "302-1234-5678-01  ");
    EXPECT_EQ(l[8], "       150000"); // numbers to the right
    EXPECT_EQ(l[2], shell::ToCp949("입주자1503") + QByteArray(10, ' '));
    EXPECT_EQ(shell::FromCp949(l[17]).trimmed(), "정상");

    // A target that cannot be written fails and closes the wait window.
    EXPECT_FALSE(WriteLinesText(ui, path("no/dir/x.txt"), {}));
    EXPECT_FALSE(ui.waitExists());

    // A character CP949 lacks is written as "?" and counted; a field is never
    // cut through a double-byte character.
    transfer::TransferItem odd;
    odd.Bigo = QStringLiteral("김\U0001F600씨");
    odd.Kita = QStringLiteral("가나다라마바사아자차카");
    int unmappable = 0;
    ASSERT_TRUE(WriteLinesText(ui, path("odd.txt"), {odd}, &unmappable));
    EXPECT_EQ(unmappable, 1);
    const QList<QByteArray> f = readFile("odd.txt").split('\n')[1].chopped(1).split(';');
    EXPECT_EQ(f[2], shell::ToCp949("김?씨") + QByteArray(15, ' '));
    EXPECT_EQ(f[3], shell::ToCp949("가나다라마바사아자차"));
    EXPECT_EQ(f[3].size(), 20);
}

TEST_F(LineReport, FileOutputAsksBeforeOverwritingAndSaysWhatHappened)
{
    PrintOptions o;
    o.toFile = true;
    o.fileName = path("out.txt");
    o.data = 2; // failed lines only: there are none
    addLine("101", "101", "11", "3021234567801", 1000, "Y", 3);
    PrintLinesWith(ui, *dm, 7, transfer::LineOrder::None, o, nullptr);
    EXPECT_EQ(ui.texts("info"), QStringList{"출력할 내용이 없습니다."});

    ui.clear();
    o.data = 0;
    PrintLinesWith(ui, *dm, 7, transfer::LineOrder::None, o, nullptr);
    EXPECT_EQ(ui.texts("info"), QStringList{"파일 \"" + o.fileName + "\"에 저장했습니다."});
    const QByteArray first = readFile("out.txt");

    ui.clear();
    writeFile("out.txt", "keep");
    ui.answerConfirm(false);
    PrintLinesWith(ui, *dm, 7, transfer::LineOrder::None, o, nullptr);
    EXPECT_EQ(ui.texts("confirm"),
              QStringList{"파일 \"" + o.fileName + "\"가 이미 존재합니다.\r\r덮어 쓰시겠습니까 ?"});
    EXPECT_EQ(readFile("out.txt"), "keep");
    ui.answerConfirm(true);
    PrintLinesWith(ui, *dm, 7, transfer::LineOrder::None, o, nullptr);
    EXPECT_EQ(readFile("out.txt"), first);
}

TEST_F(LineReport, LayoutsBreakIntoPages)
{
    for (int i = 0; i < 120; ++i)
        addLine(QString::number(101 + i / 40), QString::number(101 + i), "11", "3021234567801",
                10000, i % 7 ? "Y" : "X", 3);
    const QList<TransferItem> lines = transfer::TransferLines(*dm, ui, 7).List().value();
    const auto batch = transfer::Batches(*dm, ui).Find(7);
    ASSERT_TRUE(batch);
    const auto pages = [&](const std::function<void(QPrinter*)>& paint) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString file = path(QString("p%1.pdf").arg(m_count++));
        printer.setOutputFileName(file);
        paint(&printer);
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return int(f.readAll().count("/Type /Page\n") + 0);
    };
    const int detail = pages([&](QPrinter* p) { PaintBatchDetail(p, *batch, "[A123456789]", lines, true); });
    const int summary = pages([&](QPrinter* p) { PaintBatchDetail(p, *batch, "[A123456789]", lines, false); });
    const int list = pages([&](QPrinter* p) { PaintLineList(p, lines); });
    const int batches = pages([&](QPrinter* p) { PaintBatchList(p, transfer::Batches(*dm, ui).List().value()); });
    EXPECT_GT(detail, list); // two rows a line against one
    EXPECT_GT(list, 1);
    EXPECT_EQ(summary, 1);
    EXPECT_EQ(batches, 1);
    EXPECT_EQ(Grouped(1234567), "1,234,567");
}
