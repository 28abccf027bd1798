#include "reports/spreadsheet_writer.h"

#include "audit/record.h"

#include "reports/collections.h"

#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/log.h"
#include "shell/replace_file.h"
#include "shell/ui.h"
#include "shell/workspace.h"

#include <QDate>
#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

#include <algorithm>

namespace reports {
namespace {

// Colours of the spreadsheet's standard palette by their index.
constexpr lxw_color_t kPaletteYellow36 = 0xFFFF99;
constexpr lxw_color_t kPaletteBlue5 = 0x0000FF;
constexpr lxw_color_t kPaletteRed3 = 0xFF0000;
constexpr lxw_color_t kPaletteGrey15 = 0xC0C0C0;
constexpr double kDefaultWidth = 8.43;

const char* const kSheetName = "Miradel";

QByteArray utf8(const QString& s)
{
    return s.toUtf8();
}

// A double-byte character counts twice, as the spreadsheet shows it.
int displayWidth(const QString& text)
{
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() < 0x80 ? 1 : 2;
    return width;
}

// Column widths as the spreadsheet's "fit" gives them: the widest text in
// characters.
void fitColumns(lxw_worksheet* sheet, const QList<QStringList>& rows, int firstColumn,
                lxw_format* const* columnFormats = nullptr)
{
    int columns = 0;
    for (const QStringList& r : rows)
        columns = std::max(columns, int(r.size()));
    for (int c = firstColumn; c < columns; ++c) {
        int widest = 0;
        for (const QStringList& r : rows)
            if (c < r.size())
                widest = std::max(widest, displayWidth(r[c]));
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), std::max(widest + 1.0, 2.0),
                             columnFormats ? columnFormats[c] : nullptr);
    }
}

// Workbooks are written beside their target and renamed when complete, so
// a failure (a full disk, a file held open elsewhere) never leaves a broken
// file under the target's name or destroys the one that was there.
QString partName(const QString& path)
{
    return path + ".part";
}

platform::Result<> finish(lxw_workbook* book, const QString& path)
{
    const QString part = partName(path);
    const lxw_error rc = workbook_close(book);
    QString reason;
    if (rc != LXW_NO_ERROR)
        reason = QString::fromUtf8(lxw_strerror(rc));
    else if (!shell::ReplaceFile(part, path))
        reason = QStringLiteral("기존 파일을 바꿀 수 없습니다");
    if (reason.isEmpty()) {
        shell::FollowUserUmask(path);
        return {};
    }
    QFile::remove(part);
    return platform::Fail(QStringLiteral("엑셀 파일을 만들 수 없습니다: ") + path + " (" + reason +
                          ")");
}

bool openResult(shell::Ui& ui, const QString& path)
{
    if (!ui.OpenDocument(path))
        ui.ShowInfo(QStringLiteral("엑셀 파일을 열 프로그램이 없습니다.\r\r파일 위치 : ") + path);
    return true;
}

} // namespace

QStringList ExportHeadings(ExportKind kind)
{
    if (kind == ExportKind::ConsentList)
        return {"상태", "이름", "기관코드", "은행코드", "계좌번호", "납부자번호", "주민번호",
                "송신일", "수신일", "오류코드"};
    if (kind == ExportKind::MissingConsents)
        return {"기관코드", "은행코드", "계좌번호", "납부자번호"};
    if (kind == ExportKind::Collections)
        return CollectionHeadings();
    if (kind == ExportKind::ChangeRecord)
        return {"시각", "사용자", "프로그램", "작업", "테이블", "키", "항목", "이전 값", "새 값"};
    return {"출금동의", "동", "호", "입주자명", "은행코드", "은행명", "계좌번호",
            "(구)주민번호_납부자번호", "예금주명", "이체금액", "상태"};
}

QString ExportFilePath(const QString& tempDir, const QString& baseName)
{
    QDir().mkpath(tempDir);
    return tempDir + baseName + "_" + shell::Now().toString("yyyyMMddHHmmss") + ".xlsx";
}

platform::Result<> WriteExportWorkbook(shell::Ui& ui, ExportKind kind, const SheetRows& rows,
                                       const QString& path)
{
    lxw_workbook* book = workbook_new(QFile::encodeName(partName(path)).constData());
    if (!book)
        return platform::Fail(QStringLiteral("엑셀 파일을 만들 수 없습니다: ") + path);
    lxw_worksheet* sheet = workbook_add_worksheet(book, kSheetName);
    const QStringList headings = ExportHeadings(kind);
    lxw_format* number = workbook_add_format(book);
    format_set_num_format(number, "0_ ");
    // Account number (and the resident number of the consent list).
    const QList<int> numberColumns = kind == ExportKind::ConsentList       ? QList<int>{4, 6}
                                     : kind == ExportKind::MissingConsents ? QList<int>{2}
                                     : kind == ExportKind::Collections ||
                                             kind == ExportKind::ChangeRecord
                                         ? QList<int>{}
                                         : QList<int>{6};
    QList<lxw_format*> formats(headings.size(), nullptr);
    for (int c : numberColumns)
        formats[c] = number;
    // Amounts are numbers the spreadsheet can sum and sort, dates are dates;
    // everything else stays text, so codes keep their leading zeros.
    lxw_format* amount = workbook_add_format(book);
    format_set_num_format(amount, "#,##0");
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd");
    // The collection figures, counts and won alike.
    const QList<int> amountColumns = kind == ExportKind::TransferLines ? QList<int>{9}
                                     : kind == ExportKind::Collections
                                         ? QList<int>{3, 4, 5, 6, 7, 8, 9, 10}
                                         : QList<int>{};
    const QList<int> dateColumns =
        kind == ExportKind::ConsentList ? QList<int>{7, 8} : QList<int>{};
    for (int c : amountColumns)
        formats[c] = amount;
    for (int c : dateColumns)
        formats[c] = date;

    for (int c = 0; c < headings.size(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), utf8(headings[c]).constData(), nullptr);
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList& row = rows[r];
        const lxw_row_t at = lxw_row_t(r + 1);
        for (int c = 0; c < row.size() && c < headings.size(); ++c) {
            const QString& text = row[c];
            if (text.isEmpty())
                continue;
            bool ok = false;
            if (amountColumns.contains(c)) {
                const qint64 value = QString(text).remove(',').toLongLong(&ok);
                if (ok)
                    worksheet_write_number(sheet, at, lxw_col_t(c), double(value), amount);
            } else if (dateColumns.contains(c)) {
                const QDate d = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
                if ((ok = d.isValid())) {
                    lxw_datetime dt = {d.year(), d.month(), d.day(), 0, 0, 0.0};
                    worksheet_write_datetime(sheet, at, lxw_col_t(c), &dt, date);
                }
            }
            if (!ok)
                worksheet_write_string(sheet, at, lxw_col_t(c), utf8(text).constData(), formats[c]);
        }
        ui.ShowWaitMessage(QString("자료 변환 중...현재 %1건 처리").arg(r + 1));
    }
    ui.CloseWait();
    SheetRows all = rows;
    all.prepend(headings);
    fitColumns(sheet, all, 1, formats.data());
    worksheet_set_column(sheet, 0, 0, kDefaultWidth + (kind == ExportKind::ConsentList ? 2 : 0),
                         formats[0]);
    if (platform::Result<> done = finish(book, path); !done)
        return done;
    // Lines and consents leave the program: the download record, or no file.
    if (kind == ExportKind::Collections)
        return {};
    // The change record holds the old and new values of accounts and names.
    const QString what = kind == ExportKind::ConsentList       ? QStringLiteral("출금동의")
                         : kind == ExportKind::MissingConsents ? QStringLiteral("출금동의 없는 이체자료")
                         : kind == ExportKind::ChangeRecord    ? QStringLiteral("변경 이력")
                                                               : QStringLiteral("이체자료");
    if (platform::Result<> recorded =
            audit::RecordDownload(audit::action::Export, what, path, rows.size());
        !recorded) {
        QFile::remove(path);
        return recorded;
    }
    return {};
}

bool ExportToSpreadsheet(shell::Ui& ui, ExportKind kind, const SheetRows& rows,
                         const QString& tempDir)
{
    const char* baseName = kind == ExportKind::ConsentList       ? "출금동의"
                           : kind == ExportKind::MissingConsents ? "출금동의등록이 안된 목록"
                           : kind == ExportKind::Collections     ? "수납현황"
                           : kind == ExportKind::ChangeRecord    ? "변경이력"
                                                                 : "이체자료";
    const QString path = ExportFilePath(tempDir, baseName);
    if (const platform::Result<> written = WriteExportWorkbook(ui, kind, rows, path); !written) {
        ui.ShowError(written.error());
        shell::WriteLog(written.error(), true);
        return false;
    }
    return openResult(ui, path);
}

QString ConsentTemplateNotes()
{
    return QStringLiteral(
    "<주의 사항>\n"
    "     이 엑셀파일 1행과 2행의 항목을 변경/삭제하지 마십시오. (3행은 예시이므로 삭제후, 실제 자료를 입력하여 주십시오.)\n"
    "<자료 작성 방법>\n"
    "  ※ 필수입력란 : 1.이름, 2.기관코드(고객코드), 3.은행코드, 4.계좌번호, 5.납부자번호, 6.실명번호, 7.고객신청일자(공란시 현재일자로 인식)\n"
    "      (입력하지 않거나, 잘못 입력시, 출금 신청 오류 발생)\n"
    "      ☞ 중복오류 예시: 기관코드(고객코드),은행코드,계좌번호,납부자번호 이상 4가지가 동일한 자료를 신청할 경우,\n"
    "                              중복오류가 발생합니다. (단, 4가지 중 하나라도 다르면 중복오류가 발생하지 않습니다.)\n"
    "   1. 이름:\n"
    "       ▶ 출금 대상자(예금주)의 이름을 한글로 작성한다.\n"
    "   2. 기관코드(고객코드):\n"
    "       ▶ 은행에서 부여한 코드입니다.\n"
    "   3. 은행코드:\n"
    "       ▶ 은행별 식별 번호임, 아래 은행별 코드표를 참고하여 거래은행의 코드를 입력한다.\n"
    "           [은행별 코드표]\n"
    "            기업(03),국민(04),외환(05),수협(07),Tervo중앙회(11),단위Tervo(12),우리(20),조흥(21),\n"
    "            제일(23),신한(26),씨티(27),대구(31),부산(32),제주(35),전북(37),경남(39),신협(48),우체국(71), 하나(81)\n"
    "   4. 계좌번호:\n"
    "       ▶ 출금 대상자(예금주)의 계좌번호를 입력한다.('-'생략)\n"
    "   5. 납부자번호:\n"
    "       ▶ 고객이 직접 임의로 출금대상자(예금주)에게 부여하는 식별 번호이다.(숫자,영문자만 가능)(은행별 최대 길이 제한)\n"
    "         (입력 예) Tervo 대량출금:최대13자리, Tervo 아파트(동+호수):최대8자리\n"
    "   6. 실명번호(생년월일,사업자등록번호):\n"
    "       ▶ 출금대상자(예금주)의 생년월일6자리(사업자등록번호10자리)를 입력한다. ('-'생략)\n"
    "   7. 고객신청일자:\n"
    "       ▶ 출금동의/해지 신청 일자 입력\n"
    "         (입력 예) 2008-11-21 (다른형식으로 입력 불가 - 071121(X), 20071121(X) )\n"
    "   그 이외:\n"
    "       ▶ 나머지 입력란은 비워두어도 무방함");
}

QStringList ConsentTemplateHeadings()
{
    return {"이름", "기관업체코드", "은행코드", "계좌번호", "납부자번호", "실명번호", "고객신청일자",
            "자동납부일자", "지점코드", "실명번호검사"};
}

QStringList ConsentTemplateExample()
{
    return {"홍길동", "000001", "11", "1234567890", "790312", "790312       ", "2008-11-21",
            "", "", "Y"};
}

platform::Result<> WriteConsentTemplateFile(shell::Ui& ui, const QString& path)
{
    lxw_workbook* book = workbook_new(QFile::encodeName(partName(path)).constData());
    if (!book)
        return platform::Fail(QStringLiteral("엑셀 파일을 만들 수 없습니다: ") + path);
    lxw_worksheet* sheet = workbook_add_worksheet(book, kSheetName);
    const QStringList headings = ConsentTemplateHeadings();
    const lxw_col_t lastColumn = lxw_col_t(headings.size() - 1);

    const auto font = [book](lxw_color_t color) {
        lxw_format* f = workbook_add_format(book);
        format_set_bold(f);
        format_set_font_size(f, 8);
        if (color != LXW_COLOR_BLACK)
            format_set_font_color(f, color);
        return f;
    };
    lxw_format* notesCell = font(LXW_COLOR_BLACK);
    format_set_bg_color(notesCell, kPaletteYellow36);
    format_set_text_wrap(notesCell);
    format_set_align(notesCell, LXW_ALIGN_VERTICAL_TOP);
    lxw_format* plain = font(LXW_COLOR_BLACK);
    lxw_format* blue = font(kPaletteBlue5);
    lxw_format* red = font(kPaletteRed3);

    // Characters 1-8 and 82-91 in blue, 92-103 in red.
    const QString notes = ConsentTemplateNotes();
    struct Piece
    {
        int from, to;
        lxw_format* format;
    };
    const Piece pieces[] = {{0, 8, blue},   {8, 81, plain},   {81, 91, blue},
                            {91, 103, red}, {103, int(notes.size()), plain}};
    QList<QByteArray> texts;
    QList<lxw_rich_string_tuple> tuples;
    for (const Piece& p : pieces)
        texts.append(utf8(notes.mid(p.from, p.to - p.from)));
    for (int i = 0; i < int(std::size(pieces)); ++i)
        tuples.append({pieces[i].format, const_cast<char*>(texts[i].constData())});
    QList<lxw_rich_string_tuple*> fragments;
    for (lxw_rich_string_tuple& t : tuples)
        fragments.append(&t);
    fragments.append(nullptr);
    worksheet_merge_range(sheet, 0, 0, 0, lastColumn, "", notesCell);
    worksheet_write_rich_string(sheet, 0, 0, fragments.data(), notesCell);
    worksheet_set_row(sheet, 0, 300, nullptr);

    lxw_format* grey = workbook_add_format(book);
    format_set_bg_color(grey, kPaletteGrey15);
    for (lxw_col_t c = 0; c <= lastColumn; ++c)
        worksheet_write_string(sheet, 1, c, utf8(headings[c]).constData(), grey);
    // Every example value is text, so the codes keep their leading zeros.
    const QStringList example = ConsentTemplateExample();
    for (int c = 0; c < example.size(); ++c)
        if (!example[c].isEmpty())
            worksheet_write_string(sheet, 2, lxw_col_t(c), utf8(example[c]).constData(), nullptr);
    ui.ShowWaitMessage(QString("자료 변환 중...현재 %1건 처리").arg(1));
    ui.CloseWait();
    fitColumns(sheet, {headings, example}, 1);
    worksheet_set_column(sheet, 0, 0, kDefaultWidth + 2, nullptr);
    return finish(book, path);
}

bool WriteConsentTemplate(shell::Ui& ui, const QString& tempDir)
{
    const QString path = ExportFilePath(tempDir, "출금동의신청");
    if (const platform::Result<> written = WriteConsentTemplateFile(ui, path); !written) {
        ui.ShowError(written.error());
        shell::WriteLog(written.error(), true);
        return false;
    }
    return openResult(ui, path);
}

} // namespace reports
