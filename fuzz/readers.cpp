#include "fuzz/readers.h"

#include "consent/consent_result.h"
#include "edi/transfer_result.h"
#include "exchange/send_result.h"
#include "maintenance/backup.h"
#include "maintenance/vandry_setup.h"
#include "platform/numguard.h"
#include "reports/spreadsheet_reader.h"
#include "shell/firm_ini.h"
#include "shell/import_helpers.h"
#include "shell/kept_files.h"
#include "shell/workspace.h"

#include <cstring>
#include <string>

namespace fuzzing {
namespace {

// Transfer results in either layout, applied to the batches and lines the
// answers refer to; the rows are put back before every input.
void transferSetup(Workspace& w)
{
    w.addInstitution(QStringLiteral("푸른마을아파트"), "A123456789", "AB100", "AB200");
    w.addInstitution(QStringLiteral("새마을"), "B000000002", "BB100", "BB200");
    // The 80-byte layout carries a seven-character code.
    w.addInstitution(QStringLiteral("칠자리"), "A123456", "AC100", "AB200");
}

void transferFeed(Workspace& w, const QByteArray& input)
{
    w.exec("DELETE FROM Apt1");
    w.exec("DELETE FROM Apt2");
    w.addBatch(1, "A123456789", "2024-03-20");
    w.addBatch(2, "A123456789", "2024-03-20");
    w.addLine(1, "101", "1203", "13", "301-0123-4567-81", 10000);
    w.addLine(1, "101", "1204", "03", "12345678901012", 20000);
    w.addLine(2, "102", "301", "11", "352-1234-5678-93", 30000);
    w.put("Recv/AB200", input);
    edi::ApplyTransferResults(*w.dm, w.workspace().recvDir, shell::KeptSendDir(w.workspace()));
    w.ui.clear();
}

// Consent results applied to consents waiting for their answers.
void consentSetup(Workspace& w)
{
    w.addInstitution(QStringLiteral("면제단지"), "A123456789", "AB100", "AB200",
                     "301-0123-4567-81", QStringLiteral("면제"));
    w.addInstitution(QStringLiteral("제출단지"), "B000000002", "BB100", "BB200");
}

void consentFeed(Workspace& w, const QByteArray& input)
{
    w.exec("DELETE FROM TongRegister");
    w.addConsent("A123456789", "11", "123-4567-8901", "1011203", 1, "800101",
                 "2024-03-01 09:00:00");
    w.addConsent("B000000002", "04", "12345678901", "201", 5, "800101");
    w.addConsent("B000000002", "13", "3010123456781", "202", 1, "");
    w.addConsent("B000000002", "10", "1234567890123456", "203", 1, "7001011234");
    w.put("Recv/NA200", input);
    consent::ApplyConsentResults(*w.dm, w.workspace().recvDir);
    w.ui.clear();
}

// The link's transmission report, read and shown line by line.
void reportSetup(Workspace& w)
{
    w.addInstitution(QStringLiteral("푸른마을아파트"), "A123456789", "AB100", "AB200");
}

void reportFeed(Workspace& w, const QByteArray& input)
{
    QList<exchange::TResultRecord> records;
    if (!exchange::ReadResultReport(w.put(exchange::ReportPath(w.workspace()), input), records))
        return;
    for (const exchange::TResultRecord& r : records) {
        exchange::ResultRow(r);
        (void)exchange::DescribeResult(w.db(), r);
    }
}

// Fixed-column import files. The first byte chooses the mode and the
// number of columns, the next two per column their start and length; the
// rest is the file.
void fixedColumnsFeed(Workspace& w, const QByteArray& input)
{
    if (input.isEmpty())
        return;
    const auto byte = [&](int i) { return int(static_cast<unsigned char>(input.at(i))); };
    const int mode = (byte(0) & 1) ? 1 : 2;
    const int columns = 1 + (byte(0) >> 1) % 6;
    if (input.size() < 1 + 2 * columns)
        return;
    QList<shell::LayoutRow> layout;
    for (int c = 0; c < columns; ++c)
        layout.append({QString("col%1").arg(c), byte(1 + 2 * c), byte(2 + 2 * c)});
    (void)shell::ReadFixedColumns(mode, w.put("Import/fixed.txt", input.mid(1 + 2 * columns)),
                                  layout);
}

// Spreadsheet import: the same bytes as each kind of workbook, told apart
// by the file's extension. Read in this process, not through the helper
// the programs use, so that a fault in a parser shows here.
void spreadsheetFeed(Workspace& w, const QByteArray& input)
{
    for (const char* ext : {"xlsx", "ods", "xls", "csv"}) {
        const auto rows = reports::ReadSheetFile(w.put(QString("Import/sheet.") + ext, input));
        if (rows)
            reports::PreviewRows(*rows, 10);
    }
}

// Restore archives: checked and, when they pass, put in place of DataDir.
void restoreSetup(Workspace& w)
{
    w.dm.reset(); // the tables are closed before a restore
}

void restoreFeed(Workspace& w, const QByteArray& input)
{
    maintenance::ReplaceDataFromArchive(w.ui, w.workspace(),
                                        w.put("Backup/FA2403151030.ZIP", input));
    w.ui.clear();
}

// Firm.ini: every value read, one written back.
void firmIniFeed(Workspace& w, const QByteArray& input)
{
    w.put(w.workspace().firmIniPath(), input);
    shell::ReadPassword(w.workspace());
    shell::ReadAmountLimit(w.workspace());
    shell::ReadBackgroundPicture(w.workspace());
    shell::ReadNoticeTextColor(w.workspace());
    shell::ReadNoticeBackColor(w.workspace());
    shell::WriteNoticeTextColor(w.workspace(), 0x00FF00);
    shell::ReadNoticeTextColor(w.workspace());
}

// The old link configuration file, converted into link settings.
void oldLinkConfigFeed(Workspace& w, const QByteArray& input)
{
    maintenance::ConvertOldLinkConfig(w.put("Parlnk.ini", input), w.home());
}

// The account rules file, then numbers of every length checked and
// hyphenated against it.
void accountRulesFeed(Workspace& w, const QByteArray& input)
{
    platform::NumguardLoadRules(w.put("Fuzz/account_rules.ini", input));
    static const std::string numbers[] = {
        "", "-", "3011234567890", "301-0123-4567-81", "12345678901234", "1234567890123456",
        std::string(40, '7'), std::string(255, '1'), std::string(300, '9'), "12a34-56 78"};
    char out[256];
    for (const char* bank : {"03", "04", "11", "20", "88", "99", "", "0"}) {
        for (const std::string& n : numbers) {
            platform::NumguardIsValid(bank, n.c_str());
            platform::Hyphenate(bank, n.c_str(), out);
        }
    }
}

void nothing(Workspace&) {}

} // namespace

const QList<Reader>& Readers()
{
    static const QList<Reader> readers = {
        {"transfer_result", transferSetup, transferFeed},
        {"consent_result", consentSetup, consentFeed},
        {"rpt_edi", reportSetup, reportFeed},
        {"fixed_columns", nothing, fixedColumnsFeed},
        {"spreadsheet", nothing, spreadsheetFeed},
        {"restore", restoreSetup, restoreFeed},
        {"firm_ini", nothing, firmIniFeed},
        {"old_link_config", nothing, oldLinkConfigFeed},
        {"account_rules", nothing, accountRulesFeed},
    };
    return readers;
}

const Reader* FindReader(const char* name)
{
    for (const Reader& r : Readers())
        if (std::strcmp(r.name, name) == 0)
            return &r;
    return nullptr;
}

} // namespace fuzzing
