#include "reports/chart/collection_chart.h"
#include "reports/print/print_layouts.h"
#include "reports/ui/tfm_collections.h"
#include "shell/workspace.h"
#include "store/tdm1.h"
#include "tests/support/qt_app.h"
#include "tests/support/workspace_fixture.h"

#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableWidget>
#include <gtest/gtest.h>

using reports::TfmCollections;

class CollectionsScreen : public testing_support::WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        testing_support::QtApp();
        dm = std::make_unique<store::TDM1>(ui, workspace());
        ASSERT_TRUE(dm->PrepareDatabase(workspace().dataDir));
        ASSERT_TRUE(dm->OpenTables());
        exec("INSERT INTO UserCode (Name, APID10) VALUES ('푸른마을', 'A100000001'), "
             "('솔빛마을', 'B200000002')");
        // March: A's batch answered, B's waiting; February: A's answered.
        exec("INSERT INTO Apt1 (AptID, GiganID10, IcheDate, State) VALUES "
             "(1, 'A100000001', '2024-03-25', 3), (2, 'B200000002', '2024-03-25', 1), "
             "(3, 'A100000001', '2024-02-26', 3)");
        line(1, 100000, "Y", "0000");
        line(1, 20000, "X", "1000");
        line(1, 30000, "X", "1000");
        line(1, 40000, "X", "0107");
        line(2, 50000, "Z", "");
        // A mark on a line of a batch not yet answered is no answer.
        line(2, 70000, "X", "1000");
        line(3, 60000, "Y", "0000");
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
    void line(int batch, qint64 money, const QString& yebu, const QString& code)
    {
        exec(QString("INSERT INTO Apt2 (AptID, BankCode, BankNo, IcheDate, IcheMoney, IcheYebu, "
                     "ResultID4, State) VALUES (%1, '11', '3021234567801', '2024-03-25', %2, "
                     "'%3', '%4', 3)")
                 .arg(batch)
                 .arg(money)
                 .arg(yebu, code));
    }
    QString text(QTableWidget* grid, int row, int column)
    {
        const QTableWidgetItem* item = grid->item(row, column);
        return item ? item->text() : QString();
    }
    std::unique_ptr<store::TDM1> dm;
};

TEST_F(CollectionsScreen, TheMonthItsCodesAndItsChart)
{
    TfmCollections s(dm->db(), ui, workspace());
    s.monthEdit()->setDate(QDate(2024, 3, 1));
    ASSERT_TRUE(s.FormActivate());
    QTableWidget* g = s.grid();
    ASSERT_EQ(g->rowCount(), 3);
    EXPECT_EQ(text(g, 0, 0), "A100000001");
    EXPECT_EQ(text(g, 0, 1), "푸른마을");
    // Requested, collected, failed, unanswered: count and won; the rate.
    const QStringList a = {"4", "190,000", "1", "100,000", "3", "90,000", "0", "0", "52.6%"};
    const QStringList b = {"2", "120,000", "0", "0", "0", "0", "2", "120,000", "0.0%"};
    const QStringList total = {"6",      "310,000", "1",       "100,000", "3",
                               "90,000", "2",       "120,000", "32.3%"};
    for (int c = 0; c < a.size(); ++c) {
        EXPECT_EQ(text(g, 0, 2 + c), a[c]) << c;
        EXPECT_EQ(text(g, 1, 2 + c), b[c]) << c;
        EXPECT_EQ(text(g, 2, 2 + c), total[c]) << c;
    }
    EXPECT_EQ(text(g, 2, 0), "전체");
    EXPECT_TRUE(s.warningLine()->isHidden());

    // The chosen institution's failed lines by code, with CodeP's text.
    QTableWidget* codes = s.codeGrid();
    ASSERT_EQ(codes->rowCount(), 2);
    EXPECT_EQ(text(codes, 0, 0), "0107");
    EXPECT_FALSE(text(codes, 0, 1).isEmpty());
    EXPECT_EQ(text(codes, 1, 0), "1000");
    EXPECT_EQ(text(codes, 1, 2), "2");
    EXPECT_EQ(text(codes, 1, 3), "50,000");
    g->setCurrentCell(1, 0); // B: nothing failed
    EXPECT_EQ(codes->rowCount(), 0);
    g->setCurrentCell(2, 0); // the branch
    EXPECT_EQ(codes->rowCount(), 2);

    // Twelve months; a rate line per institution with lines in them, the
    // failures by code as stacked bars.
    EXPECT_EQ(s.report().months.size(), 12);
    EXPECT_EQ(s.report().months.last(), "2024-03");
    EXPECT_EQ(s.rateChart()->chart()->series().size(), 2);
    EXPECT_EQ(s.failureChart()->chart()->series().size(), 1);
}

TEST_F(CollectionsScreen, TheExportHoldsNumberCells)
{
    TfmCollections s(dm->db(), ui, workspace());
    s.monthEdit()->setDate(QDate(2024, 3, 1));
    ASSERT_TRUE(s.FormActivate());
    s.BtnExportClick();
    const QStringList opened = ui.texts("open");
    ASSERT_EQ(opened.size(), 1);
    QProcess unzip;
    unzip.start("unzip", {"-p", opened[0], "xl/worksheets/sheet1.xml"});
    ASSERT_TRUE(unzip.waitForFinished(30000));
    const QString sheet = QString::fromUtf8(unzip.readAllStandardOutput());
    // Row 2 is A: its requested count (D) and won (E) are numbers, its code text.
    EXPECT_TRUE(sheet.contains(QRegularExpression(R"(<c r="D2"( s="\d+")?><v>4</v>)")))
        << sheet.toStdString();
    EXPECT_TRUE(sheet.contains(QRegularExpression(R"(<c r="E2"( s="\d+")?><v>190000</v>)")));
    EXPECT_TRUE(sheet.contains(QRegularExpression(R"(<c r="A2"[^>]* t="s")")));
    // The branch total is the last row.
    EXPECT_TRUE(sheet.contains(QRegularExpression(R"(<c r="E4"( s="\d+")?><v>310000</v>)")));
}

TEST_F(CollectionsScreen, AReadThatFailsIsSaidAndShowsNothing)
{
    exec("DROP TABLE CodeP");
    TfmCollections s(dm->db(), ui, workspace());
    s.monthEdit()->setDate(QDate(2024, 3, 1));
    EXPECT_FALSE(s.FormActivate());
    EXPECT_EQ(s.grid()->rowCount(), 0);
    ASSERT_EQ(ui.texts("error").size(), 1);
    EXPECT_TRUE(ui.texts("error")[0].startsWith("수납 현황을 읽을 수 없습니다."));
    EXPECT_FALSE(s.warningLine()->isHidden());
}

TEST_F(CollectionsScreen, ThePrintHasTheLineListsHeaderTheFiguresAndTheChart)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext comes with scripts/setup";
    TfmCollections s(dm->db(), ui, workspace());
    s.monthEdit()->setDate(QDate(2024, 3, 1));
    ASSERT_TRUE(s.FormActivate());
    const QString pdf = path("collections.pdf");
    bool chartDrawn = false;
    {
        QPdfWriter writer(pdf);
        reports::PaintCollections(&writer, s.report(), [&](QPainter& p, const QRectF& r) {
            chartDrawn = r.height() > 0;
            reports::PaintCollectionCharts(p, r, s.report());
        });
    }
    EXPECT_TRUE(chartDrawn);
    QProcess text;
    text.start("pdftotext", {"-enc", "UTF-8", "-layout", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* expected :
         {"eCommerce", "Veltrin 수납 현황 2024-03", "A100000001", "푸른마을", "190,000", "전체",
          "310,000", "32.3%", "잔액부족", "기관별", "2023-04", "[끝]"})
        EXPECT_TRUE(printed.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                   << printed.toStdString();
}
