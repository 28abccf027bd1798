// Writes the seed corpus of every fuzz target: files made by the program's
// own writers where it has them (requests turned into answers, workbooks,
// backups, settings), the rest laid out field by field as the readers
// expect them. Usage: make_seeds OUTDIR (one folder per target inside).

#include "consent/consent_request.h"
#include "edi/transfer_request.h"
#include "fuzz/fuzz_support.h"
#include "platform/zip_archive.h"
#include "reports/spreadsheet_writer.h"
#include "shell/codec.h"
#include "shell/firm_ini.h"
#include "shell/workspace.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdio>
#include <zip.h>
#include <functional>
#include <utility>

namespace {

QString g_out;

void seed(const char* target, const QString& name, const QByteArray& bytes)
{
    const QString dir = g_out + "/" + target;
    QDir().mkpath(dir);
    QFile f(dir + "/" + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        fprintf(stderr, "make_seeds: cannot write %s\n", qPrintable(f.fileName()));
        std::exit(1);
    }
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A request file turned into the answer: records without the envelope
// line, each one passed through `edit`.
QByteArray answerOf(const QByteArray& request, const std::function<void(QByteArray&, int)>& edit)
{
    QByteArray out;
    int seq = 0;
    for (QByteArray line : request.split('\n')) {
        if (line.isEmpty() || line.startsWith("<<"))
            continue;
        line.chop(1); // CR
        edit(line, line.startsWith('D') ? ++seq : 0);
        out += line + "\r\n";
    }
    return out;
}

// A record of `width` blanks with the fields put at their offsets.
QByteArray record(int width, std::initializer_list<std::pair<int, QByteArray>> fields)
{
    QByteArray rec(width, ' ');
    for (const auto& [offset, value] : fields)
        rec.replace(offset, value.size(), value);
    return rec + "\r\n";
}

void transferSeeds(fuzzing::Workspace& w)
{
    w.addInstitution(QStringLiteral("푸른마을아파트"), "A123456789", "AB100", "AB200");
    w.addBatch(1, "A123456789", "2024-03-20");
    w.addBatch(2, "A123456789", "2024-03-20");
    w.addLine(1, "101", "1203", "13", "301-0123-4567-81", 10000);
    w.addLine(1, "101", "1204", "03", "12345678901012", 20000);
    w.addLine(2, "102", "301", "11", "352-1234-5678-93", 30000);
    const edi::TransferRequestRun run{QDateTime(QDate(2024, 3, 15), QTime(9, 5, 7)),
                                      w.workspace().sendDir, "BR0001", 1013};
    if (!edi::BuildTransferRequests(w.db(), w.ui, run).ok) {
        fprintf(stderr, "make_seeds: no transfer request\n");
        std::exit(1);
    }
    const QByteArray request = fileBytes(w.workspace().sendDir + "Apt_1");
    const QByteArray allPaid = answerOf(request, [](QByteArray& line, int seq) {
        if (seq)
            line.replace(154, 5, "Y0000");
    });
    seed("transfer_result", "wide_paid", allPaid);
    seed("transfer_result", "wide_mixed", answerOf(request, [](QByteArray& line, int seq) {
             if (seq)
                 line.replace(154, 5, seq == 1 ? "Y0000" : "N1000");
         }));
    seed("transfer_result", "wide_cut", allPaid.left(allPaid.size() / 2));

    const QByteArray key = edi::BatchKey(QTime(9, 5, 7), 2).toLatin1();
    QByteArray narrow = record(78, {{0, "11"}, {4, "240320"}, {19, "A123456"}, {26, "PW12"},
                                    {30, "3010123456781"}, {51, "-"}, {53, "Y"}});
    narrow += record(78, {{0, "22"}, {2, "0000001"}, {9, "04"}, {11, "12345678901"},
                          {27, "000000000700"}, {39, "1"}, {40, "00"}, {46, "7"}, {51, "701"},
                          {69, "090507"}, {75, "001"}});
    narrow += record(78, {{0, "22"}, {2, "0000002"}, {9, "11"}, {11, "001234567890123"},
                          {27, "000000000900"}, {39, "0"}, {40, "07"}, {46, "7"}, {51, "702"},
                          {55, "KIM"}, {69, "090507"}, {75, "001"}});
    narrow += record(78, {{0, "22"}, {2, "0000003"}, {69, "090507"}, {75, "   "}});
    narrow += record(78, {{0, "33"}});
    seed("transfer_result", "narrow_plain", narrow);
    QByteArray keyed = record(78, {{0, "11"}, {4, "240320"}, {19, "A123456"},
                                   {30, "3010123456781"}, {53, "X"}});
    keyed += record(78, {{0, "22"}, {2, "0000001"}, {9, "12"}, {11, "30101234567"},
                         {27, "000000000800"}, {39, "1"}, {40, "00"}, {46, "8"}, {50, "801"},
                         {59, key}, {66, "LEE"}});
    keyed += record(78, {{0, "33"}});
    seed("transfer_result", "narrow_keyed", keyed);
}

void consentSeeds(fuzzing::Workspace& w)
{
    w.addInstitution(QStringLiteral("면제단지"), "A123456789", "AB100", "AB200",
                     "301-0123-4567-81", QStringLiteral("면제"));
    w.addInstitution(QStringLiteral("제출단지"), "B000000002", "BB100", "BB200");
    w.addConsent("A123456789", "11", "123-4567-8901", "1011203", 0, "800101",
                 "2024-03-01 09:00:00");
    w.addConsent("B000000002", "04", "12345678901", "201", 4, "800101");
    w.addConsent("B000000002", "13", "3010123456781", "202", 0, "");
    w.addConsent("B000000002", "10", "1234567890123456", "203", 0, "7001011234");
    const consent::ConsentRequestRun run{QDateTime(QDate(2024, 3, 15), QTime(10, 30)),
                                         w.workspace().sendDir, "BR0001"};
    if (!consent::BuildConsentRequests(w.db(), w.ui, run).ok) {
        fprintf(stderr, "make_seeds: no consent request\n");
        std::exit(1);
    }
    for (const char* file : {"Register_1", "Register_2"}) {
        const QByteArray request = fileBytes(w.workspace().sendDir + file);
        const auto answered = [&](const char* accepted, const char* refused) {
            return answerOf(request, [&](QByteArray& line, int seq) {
                if (line.startsWith('S'))
                    line.replace(1, 2, "1E");
                if (seq)
                    line.replace(43, 5, seq % 2 ? accepted : refused);
            });
        };
        seed("consent_result", QString(file) + "_accepted", answered("Y0000", "Y0000"));
        seed("consent_result", QString(file) + "_mixed", answered("Y0000", "N1012"));
        seed("consent_result", QString(file) + "_badcode", answered("Y00A0", "N2005"));
    }
}

QByteArray reportLine(const char* info, const char* receiver, const char* sent,
                      const char* received, const char* count, const char* size,
                      const QString& error = {})
{
    return "S  " + QByteArray(info).leftJustified(8) + QByteArray(9, ' ') +
           QByteArray(receiver).leftJustified(10) + ' ' + QByteArray(sent).leftJustified(10) +
           ' ' + QByteArray(received).leftJustified(10) + ' ' + QByteArray(count).rightJustified(5) +
           ' ' + QByteArray(size).rightJustified(12) + "  " + error.toUtf8() + "\r\n";
}

void reportSeeds()
{
    seed("rpt_edi", "report",
         reportLine("AB100", "BK12345", "2403151030", "2403151105", "1", "1040") +
             reportLine("AB100", "BK12345", "2403151030", "", "0", "150") +
             reportLine("FAZIP", "KEVLO01", "9912310000", "0001010000", "2", "50000",
                        QStringLiteral("압축 오류")) +
             reportLine("FATXT", "KEVLO01", "2402291259", "2402291300", "1", "99"));
    seed("rpt_edi", "cp949", shell::ToCp949(QString::fromUtf8(
                                 reportLine("NA200", "BK12345", "2403151030", "2403151105", "3",
                                            "400", QStringLiteral("수신 거부")))));
}

void fixedColumnSeeds()
{
    // Mode 1, three columns: name 1-10, house 11-5, account 16-14.
    const QByteArray layout("\x05\x01\x0a\x0b\x05\x10\x0e", 7);
    const QByteArray text = shell::ToCp949(QStringLiteral("이름      동호 계좌번호\r\n"
                                                          "홍길동    101203012345678901\r\n"
                                                          "김영희    1021035212345678\r\n"));
    seed("fixed_columns", "names", layout + text);
    // Mode 2 with a zero column and a double-byte character cut by an edge.
    seed("fixed_columns", "cut", QByteArray("\x04\x00\x00\x03\x04\x07\x09", 7) + text);
    // Line ends of old Mac tools, CR alone, and a mix of all three.
    seed("fixed_columns", "cr", layout + QByteArray(text).replace("\r\n", "\r"));
    seed("fixed_columns", "mixed",
         layout + QByteArray(text).replace("\r\n", "\r") + text +
             QByteArray(text).replace("\r\n", "\n"));
}

void spreadsheetSeeds(fuzzing::Workspace& w)
{
    const QString xlsx = w.path("Seeds/template.xlsx");
    QDir().mkpath(w.path("Seeds"));
    if (const platform::Result<> written = reports::WriteConsentTemplateFile(w.ui, xlsx);
        !written) {
        fprintf(stderr, "make_seeds: %s\n", qPrintable(written.error()));
        std::exit(1);
    }
    seed("spreadsheet", "template.xlsx", fileBytes(xlsx));

    const QByteArray content =
        R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2">
<office:body><office:spreadsheet><table:table table:name="S">
<table:table-row><table:table-cell office:value-type="string"><text:p>이름</text:p></table:table-cell>
<table:table-cell office:value-type="float" office:value="42"><text:p>42</text:p></table:table-cell></table:table-row>
<table:table-row table:number-rows-repeated="2"><table:table-cell table:number-columns-repeated="3" office:value-type="float" office:value="1.5"/></table:table-row>
</table:table></office:spreadsheet></office:body></office:document-content>)";
    w.put("Seeds/mimetype", "application/vnd.oasis.opendocument.spreadsheet");
    w.put("Seeds/content.xml", content);
    const QString ods = w.path("Seeds/sheet.ods");
    if (!platform::CreateZip(ods, {w.path("Seeds/mimetype"), w.path("Seeds/content.xml")}).ok()) {
        fprintf(stderr, "make_seeds: no ods\n");
        std::exit(1);
    }
    seed("spreadsheet", "sheet.ods", fileBytes(ods));
    seed("spreadsheet", "utf8.csv", QStringLiteral("이름,은행,계좌\r\n홍길동,11,\"301-0123,4567\"\r\n").toUtf8());
    seed("spreadsheet", "cp949.csv", shell::ToCp949(QStringLiteral("이름,금액\n김영희,1200.5\n")));
    // What LibreOffice Calc makes of the template, of a filled list, of a
    // hand-made sheet and of a lines export, as the tests read them.
    const QDir saved(PELMAR_SOURCE_DIR "/tests/data/libreoffice");
    for (const QString& name : saved.entryList({"*.lo.*"}, QDir::Files))
        seed("spreadsheet", "libreoffice-" + name, fileBytes(saved.filePath(name)));
    // What the other writers make of lists (inline strings, absolute part
    // targets, ISO and 1904 dates, text formulas, zero-filled numbers, and
    // SheetJS's .xls: a workbook in the mini stream, empty text cells and
    // shared strings over CONTINUE records, read from a copy in a plain
    // container).
    const QDir data(PELMAR_SOURCE_DIR "/tests/data");
    for (const QString& writer : data.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (writer == "libreoffice")
            continue;
        const QDir dir(data.filePath(writer));
        for (const QString& name :
             dir.entryList({"*.xlsx", "*.xls", "*.ods", "*.csv"}, QDir::Files))
            seed("spreadsheet", writer + "-" + name, fileBytes(dir.filePath(name)));
    }
}

void firmIniSeeds(fuzzing::Workspace& w)
{
    shell::WritePassword(w.workspace(), QStringLiteral("암호abc"));
    shell::WriteBackgroundPicture(w.workspace(), "back.bmp");
    shell::WriteNoticeTextColor(w.workspace(), 0x0000FF);
    shell::WriteNoticeBackColor(w.workspace(), 0xFFFFFF);
    seed("firm_ini", "written", fileBytes(w.workspace().firmIniPath()));
    seed("firm_ini", "limits",
         "[General]\r\nApt=99999999999\r\nPassword=\r\n[Notice]\r\nTextColor=-1\r\n"
         "BackColor=0x10\r\n; comment\r\n[General]\r\nApt= 7 \r\n");
}

void linkConfigSeeds()
{
    seed("old_link_config", "full",
         "[COMM]\r\nPort=2\r\nConnect1=5\r\nConnect2=3\r\nPhone1=0199\r\n"
         "[USER]\r\nLoginID=br0001\r\nPassword=xYz\r\n[OPTION]\r\nCompress=1\r\nPassword=2\r\n");
    seed("old_link_config", "short", "[USER]\r\nLoginID=br0009\r\n");
    seed("old_link_config", "odd", "[COMM]\nPort=-7\nConnect1=99999999999\n[USER\nLoginID\n");
}

void accountRuleSeeds()
{
    seed("account_rules", "shipped", fileBytes(PELMAR_SOURCE_DIR "/data/account_rules.ini"));
    seed("account_rules", "odd",
         "[Banks]\r\n03=3-6-2-3,,-\r\n04=0-0\r\n11=99999999999\r\n20=1-1-1-1-1-1-1-1-1-1-1-1\r\n"
         "88=12\r\n[Other]\r\n");
}

void restoreSeeds(fuzzing::Workspace& w)
{
    w.dm.reset(); // a backup is taken of closed tables
    const QString data = w.workspace().dataDir;
    const QString archive = w.path("Seeds/FA2403151030.zip");
    QFile::remove(archive);
    if (!platform::CreateZip(archive, {data + "Pelmar.db"}).ok()) {
        fprintf(stderr, "make_seeds: no backup\n");
        std::exit(1);
    }
    seed("restore", "backup.zip", fileBytes(archive));
    const QString fake = w.path("Seeds/small/Pelmar.db");
    w.put(fake, "not a database");
    const QString small = w.path("Seeds/small.zip");
    platform::CreateZip(small, {fake, w.path("Seeds/mimetype")});
    seed("restore", "not_a_database.zip", fileBytes(small));

    // An entry stored, not deflated: the reader's other path, where the
    // sizes in the headers are all there is. A small database of another
    // program, so that the archive stays within the fuzzer's input length.
    const QString other = w.path("Seeds/other/Pelmar.db");
    QDir().mkpath(w.path("Seeds/other"));
    QFile::remove(other);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "seed_other");
        db.setDatabaseName(other);
        if (!db.open() || !QSqlQuery(db).exec("CREATE TABLE Notes (Id INTEGER, Text TEXT)")) {
            fprintf(stderr, "make_seeds: no small database\n");
            std::exit(1);
        }
    }
    QSqlDatabase::removeDatabase("seed_other");
    const QString stored = w.path("Seeds/stored.zip");
    QFile::remove(stored);
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(stored).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    zip_source_t* src =
        z ? zip_source_file(z, QFile::encodeName(other).constData(), 0, -1) : nullptr;
    const zip_int64_t index = src ? zip_file_add(z, "Pelmar.db", src, ZIP_FL_OVERWRITE) : -1;
    if (index < 0 || zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_STORE, 0) != 0 ||
        zip_close(z) != 0) {
        fprintf(stderr, "make_seeds: no stored backup\n");
        std::exit(1);
    }
    seed("restore", "stored.zip", fileBytes(stored));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make_seeds OUTDIR\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    fuzzing::Workspace& w = fuzzing::Workspace::Get();
    transferSeeds(w);
    w.exec("DELETE FROM UserCode");
    consentSeeds(w);
    reportSeeds();
    fixedColumnSeeds();
    spreadsheetSeeds(w);
    firmIniSeeds(w);
    linkConfigSeeds();
    accountRuleSeeds();
    restoreSeeds(w);
    return 0;
}
