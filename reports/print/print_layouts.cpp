#include "reports/print/print_layouts.h"

#include "shell/app_info.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>

#include <functional>

namespace reports {
namespace {

const QString kDetailTitle = QStringLiteral("Veltrin 이체 자료");

// Draws `text` where QPainter::drawText(rect, align | AlignVCenter) would,
// the blanks in a font of their own. The PDF writer maps each glyph back to
// the lowest character the font draws with it, and NanumGothic draws the
// control characters with its blank's glyph: every blank copied and searched
// as U+0001. The words keep the painter's font and their places; the blanks
// come from a font whose blank is the blank alone.
void drawRuns(QPainter& p, const QRectF& rect, Qt::Alignment align, const QString& text)
{
    const QFont font = p.font();
    const QFontMetricsF fm(font, p.device());
    QFont blankFont(QStringLiteral("DejaVu Sans"));
    blankFont.setPointSizeF(font.pointSizeF());
    const double width = fm.horizontalAdvance(text);
    double x = rect.left();
    if (align & Qt::AlignRight)
        x = rect.right() - width;
    else if (align & Qt::AlignHCenter)
        x = rect.left() + (rect.width() - width) / 2;
    const double baseline = rect.top() + (rect.height() - fm.height()) / 2 + fm.ascent();
    for (qsizetype start = 0; start < text.size();) {
        const bool blank = text[start] == ' ';
        qsizetype end = start;
        while (end < text.size() && (text[end] == ' ') == blank)
            ++end;
        p.setFont(blank ? blankFont : font);
        p.drawText(QPointF(x + fm.horizontalAdvance(text.left(start)), baseline),
                   text.mid(start, end - start));
        start = end;
    }
    p.setFont(font);
}

// A column of a band: its share of the page width and its alignment.
struct Column
{
    double share;
    Qt::Alignment align;
};

// Draws bands top to bottom and starts a new page, with its header, when the
// next band does not fit; the footer goes on every page.
class PageWriter
{
public:
    using Band = std::function<void(PageWriter&)>;

    PageWriter(QPagedPaintDevice* device, Band header, std::function<QString(int)> footer)
        : m_device(device), m_header(std::move(header)), m_footer(std::move(footer))
    {
        m_device->setPageSize(QPageSize(QPageSize::A4));
        m_device->setPageOrientation(QPageLayout::Portrait);
        m_device->setPageMargins(QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
        m_painter.begin(m_device);
        const QRectF page = m_device->pageLayout().paintRectPixels(m_device->logicalDpiX());
        m_width = page.width();
        m_height = page.height();
        m_body = QFont(QStringLiteral("NanumGothic"), 9);
        startPage();
    }
    ~PageWriter()
    {
        drawFooter();
        m_painter.end();
    }

    QPainter& painter() { return m_painter; }
    double width() const { return m_width; }
    double mm(double v) const { return v * m_device->logicalDpiX() / 25.4; }
    const QFont& body() const { return m_body; }
    double lineHeight(const QFont& f) const { return QFontMetricsF(f, m_device).height() * 1.35; }

    // Makes room for `height`, breaking the page when needed.
    void need(double height)
    {
        if (m_y + height > m_height - mm(10)) {
            drawFooter();
            m_device->newPage();
            ++m_page;
            startPage();
        }
    }
    // One row of cells across the given columns.
    void row(const QList<Column>& columns, const QStringList& cells, const QFont& font)
    {
        const double h = lineHeight(font);
        need(h);
        m_painter.setFont(font);
        double x = 0;
        for (int i = 0; i < columns.size(); ++i) {
            const double w = columns[i].share * m_width;
            if (i < cells.size())
                drawRuns(m_painter, QRectF(x + mm(1), m_y, w - mm(2), h),
                         columns[i].align | Qt::AlignVCenter, cells[i]);
            x += w;
        }
        m_y += h;
    }
    void text(const QString& s, const QFont& font, Qt::Alignment align = Qt::AlignLeft)
    {
        const double h = lineHeight(font);
        need(h);
        m_painter.setFont(font);
        drawRuns(m_painter, QRectF(0, m_y, m_width, h), align | Qt::AlignVCenter, s);
        m_y += h;
    }
    void rule()
    {
        need(mm(1));
        m_painter.drawLine(QPointF(0, m_y + mm(0.3)), QPointF(m_width, m_y + mm(0.3)));
        m_y += mm(1);
    }
    void skip(double height) { m_y += height; }
    double y() const { return m_y; }
    void setY(double y) { m_y = y; }
    int page() const { return m_page; }

private:
    void startPage()
    {
        m_y = 0;
        if (m_header)
            m_header(*this);
    }
    void drawFooter()
    {
        if (!m_footer)
            return;
        m_painter.setFont(m_body);
        drawRuns(m_painter, QRectF(0, m_height - mm(8), m_width, mm(8)), Qt::AlignCenter,
                 m_footer(m_page));
    }

    QPagedPaintDevice* m_device;
    QPainter m_painter;
    Band m_header;
    std::function<QString(int)> m_footer;
    QFont m_body;
    double m_width = 0, m_height = 0, m_y = 0;
    int m_page = 1;
};

QFont bold(const QFont& f, double points)
{
    QFont b = f;
    b.setBold(true);
    b.setPointSizeF(points);
    return b;
}

QString dateText(const QDate& d)
{
    return d.isValid() ? d.toString("yyyy-MM-dd") : QString();
}

// The title at the left and the program's name at the right.
void titleBand(PageWriter& w, const QString& title, bool spaced)
{
    QFont big = bold(w.body(), 16);
    if (spaced)
        big.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    const double top = w.y();
    const double h = w.lineHeight(big);
    QPainter& p = w.painter();
    p.setFont(big);
    drawRuns(p, QRectF(0, top, w.width(), h), Qt::AlignLeft | Qt::AlignVCenter, title);
    QFont small = w.body();
    small.setPointSizeF(7.5);
    QFont italic = small;
    italic.setItalic(true);
    const double sh = w.lineHeight(small);
    p.setFont(italic);
    drawRuns(p, QRectF(0, top + h / 2 - sh, w.width(), sh), Qt::AlignRight | Qt::AlignVCenter,
             "eCommerce");
    p.setFont(small);
    drawRuns(p, QRectF(0, top + h / 2, w.width(), sh), Qt::AlignRight | Qt::AlignVCenter,
             shell::kServiceName);
    w.setY(top + h);
    w.rule();
    w.skip(w.mm(2));
}

const QList<Column> kDetailRow1 = {{0.08, Qt::AlignHCenter},
                                   {0.08, Qt::AlignHCenter},
                                   {0.24, Qt::AlignLeft},
                                   {0.25, Qt::AlignLeft},
                                   {0.35, Qt::AlignLeft}};
const QList<Column> kDetailRow2 = {{0.16, Qt::AlignRight},
                                   {0.20, Qt::AlignHCenter},
                                   {0.24, Qt::AlignLeft},
                                   {0.15, Qt::AlignHCenter},
                                   {0.25, Qt::AlignLeft}};

void summaryBlock(PageWriter& w, const TransferBatch& b, const QString& institution)
{
    const QFont heading = bold(w.body(), 10);
    w.text(QStringLiteral("이용기관 정보"), heading);
    const QList<Column> info = {
        {0.15, Qt::AlignLeft}, {0.45, Qt::AlignLeft}, {0.15, Qt::AlignLeft}, {0.25, Qt::AlignLeft}};
    w.row(info, {"기  관  명", institution, "상      태", b.STAT()}, w.body());
    w.row(info, {"이 체 일 자", dateText(b.IcheDate), "수 신 일 자", dateText(b.Rdate)}, w.body());
    w.row(info, {"송 신 일 자", dateText(b.SDATE())}, w.body());
    w.row(info, {"비      고"}, w.body());
    w.skip(w.mm(3));
    w.text(QStringLiteral("상태 정보"), heading);
    const QList<Column> table = {
        {0.20, Qt::AlignLeft}, {0.20, Qt::AlignRight}, {0.30, Qt::AlignRight}};
    w.row(table, {"", "건  수", "금        액"}, bold(w.body(), 9));
    const struct
    {
        const char* label;
        qint64 count, money;
    } rows[] = {{"전     체", b.E1.totNo, b.E1.totMon},
                {"중 앙 회", b.E1.junNo, b.E1.junMon},
                {"회원조합", b.E1.joNo, b.E1.joMon},
                {"타    행", b.E1.sucNo, b.E1.sucMon},
                {"이체불능", b.E1ErrNo(), b.E1ErrMon()}};
    for (const auto& r : rows)
        w.row(table, {QString::fromUtf8(r.label), Grouped(r.count), Grouped(r.money)}, w.body());
    w.skip(w.mm(4));
}

void detailHeader(PageWriter& w)
{
    const QFont f = bold(w.body(), 9);
    w.rule();
    w.row(kDetailRow1, {"동", "호", "입  주  자", "은  행  명", "계   좌   번   호"}, f);
    w.row(kDetailRow2,
          {"이  체  금  액", "실명번호", "예 금 주 명", "이체 여부", "수 납 처 리 결 과"}, f);
    w.rule();
}

QString pageLabel(int page)
{
    return QString("- %1 -").arg(page);
}

// The list reports' header on every page: the title centred, "eCommerce"
// at the left, the page at the right, and the column headings between rules.
void listHeader(PageWriter& pw, const QString& titleText, const QList<Column>& columns,
                const QStringList& headings)
{
    const QFont title = bold(pw.body(), 14);
    const double top = pw.y();
    pw.text(titleText, title, Qt::AlignHCenter);
    QFont italic = pw.body();
    italic.setItalic(true);
    QPainter& p = pw.painter();
    p.setFont(italic);
    drawRuns(p, QRectF(0, top, pw.width(), pw.lineHeight(title)), Qt::AlignLeft | Qt::AlignVCenter,
             "eCommerce");
    p.setFont(pw.body());
    drawRuns(p, QRectF(0, top, pw.width(), pw.lineHeight(title)), Qt::AlignRight | Qt::AlignVCenter,
             pageLabel(pw.page()));
    pw.rule();
    pw.row(columns, headings, bold(pw.body(), 9));
    pw.rule();
}

} // namespace

QString TransferListDocName()
{
    return QStringLiteral("Veltrin - Veltrin 이체자료");
}

QString BatchListDocName()
{
    return QStringLiteral("Veltrin 목록");
}

QString Grouped(qint64 value)
{
    return QLocale(QLocale::English).toString(value);
}

void PaintBatchDetail(QPagedPaintDevice* device, const TransferBatch& batch,
                      const QString& institution, const QList<TransferItem>& lines, bool withLines)
{
    bool first = true;
    PageWriter w(
        device,
        [&](PageWriter& pw) {
            titleBand(pw, kDetailTitle, true);
            if (first) {
                first = false;
                summaryBlock(pw, batch, institution);
            }
            if (withLines)
                detailHeader(pw);
        },
        pageLabel);
    if (!withLines)
        return;
    for (const TransferItem& l : lines) {
        w.need(2 * w.lineHeight(w.body()));
        w.row(kDetailRow1, {l.Dong, l.Ho, l.Bigo, l.BankName, l.BankNo}, w.body());
        w.row(kDetailRow2,
              {Grouped(l.IcheMoney), PrintedNapbuNo(l.NapbuNo), l.Kita, l.YebuName, l.ResultName},
              w.body());
    }
    w.text(QStringLiteral("[끝]"), w.body(), Qt::AlignRight);
}

void PaintLineList(QPagedPaintDevice* device, const QList<TransferItem>& lines)
{
    const QList<Column> columns = {{0.07, Qt::AlignLeft},  {0.07, Qt::AlignLeft},
                                   {0.14, Qt::AlignLeft},  {0.14, Qt::AlignLeft},
                                   {0.14, Qt::AlignLeft},  {0.22, Qt::AlignLeft},
                                   {0.13, Qt::AlignRight}, {0.09, Qt::AlignHCenter}};
    PageWriter w(device,
                 [&](PageWriter& pw) {
                     listHeader(pw, QStringLiteral("Veltrin 이체 자료"), columns,
                                {"동", "호", "입 주 자", "예금주명", "은 행 명", "계  좌  번  호",
                                 "이 체 금 액", "이체여부"});
                 },
                 {});
    for (const TransferItem& l : lines)
        w.row(
            columns,
            {l.Dong, l.Ho, l.Bigo, l.Kita, l.BankName, l.BankNo, Grouped(l.IcheMoney), l.YebuName},
            w.body());
    w.text(QStringLiteral("[끝]"), w.body(), Qt::AlignRight);
}

void PaintBatchList(QPagedPaintDevice* device, const QList<TransferBatch>& batches)
{
    const QList<Column> columns = {{0.16, Qt::AlignHCenter}, {0.11, Qt::AlignRight},
                                   {0.17, Qt::AlignRight},   {0.15, Qt::AlignHCenter},
                                   {0.12, Qt::AlignHCenter}, {0.29, Qt::AlignLeft}};
    bool first = true;
    PageWriter w(
        device,
        [&](PageWriter& pw) {
            if (first) {
                first = false;
                titleBand(pw, QStringLiteral("Veltrin 목록"), false);
            }
            pw.rule();
            pw.row(columns,
                   {"기관코드", "의뢰건수", "의 뢰 금 액", "이체일자", "상  태", "비        고"},
                   bold(pw.body(), 9));
            pw.rule();
        },
        [](int page) { return QString("-%1-").arg(page); });
    for (const TransferBatch& b : batches)
        w.row(columns,
              {b.GiganID10, Grouped(b.TotNo), Grouped(b.TotMoney), dateText(b.IcheDate), b.STAT(),
               b.Bigo},
              w.body());
    w.rule();
    w.text(QStringLiteral("[끝]"), w.body(), Qt::AlignRight);
}

QString CollectionsDocName()
{
    return QStringLiteral("Veltrin 수납 현황");
}

void PaintCollections(QPagedPaintDevice* device, const CollectionReport& report,
                      const std::function<void(QPainter&, const QRectF&)>& chart)
{
    // Counts on a row's first line, won on its second.
    const QList<Column> columns = {{0.12, Qt::AlignLeft},  {0.22, Qt::AlignLeft},
                                   {0.14, Qt::AlignRight}, {0.14, Qt::AlignRight},
                                   {0.14, Qt::AlignRight}, {0.14, Qt::AlignRight},
                                   {0.10, Qt::AlignRight}};
    const QString title = QStringLiteral("Veltrin 수납 현황 ") + report.month;
    enum Part { Figures, Codes, Notes } part = Figures;
    const QList<Column> codeColumns = {{0.12, Qt::AlignLeft},
                                       {0.12, Qt::AlignLeft},
                                       {0.46, Qt::AlignLeft},
                                       {0.12, Qt::AlignRight},
                                       {0.18, Qt::AlignRight}};
    PageWriter w(device,
                 [&](PageWriter& pw) {
                     if (part == Figures)
                         listHeader(pw, title, columns,
                                    {"기관코드", "기  관  명", "의  뢰", "수  납", "불  능",
                                     "미 처 리", "수납률"});
                     else if (part == Codes)
                         listHeader(pw, title, codeColumns,
                                    {"기관코드", "결과코드", "불 능 사 유", "건  수", "금  액"});
                     else
                         listHeader(pw, title, {}, {});
                 },
                 {});
    const auto figures = [&](const CollectionRow& row, const QFont& font) {
        const CollectionFigures& f = row.figures;
        w.need(2 * w.lineHeight(font));
        w.row(columns,
              {row.institution, row.name, Grouped(f.requestedCount), Grouped(f.collectedCount),
               Grouped(f.failedCount), Grouped(f.unansweredCount),
               QString::number(f.rate(), 'f', 1) + "%"},
              font);
        w.row(columns,
              {"", "", Grouped(f.requestedAmount), Grouped(f.collectedAmount),
               Grouped(f.failedAmount), Grouped(f.unansweredAmount)},
              font);
    };
    for (const CollectionRow& row : report.rows)
        figures(row, w.body());
    w.rule();
    figures(report.total, bold(w.body(), 9));
    w.rule();
    if (!report.failures.isEmpty()) {
        part = Codes;
        w.skip(w.mm(4));
        w.text(QStringLiteral("불능 사유별"), bold(w.body(), 10));
        w.row(codeColumns, {"기관코드", "결과코드", "불 능 사 유", "건  수", "금  액"},
              bold(w.body(), 9));
        w.rule();
        for (const FailureRow& f : report.failures)
            w.row(codeColumns, {f.institution, f.code, f.text, Grouped(f.count), Grouped(f.amount)},
                  w.body());
        w.rule();
    }
    part = Notes;
    QFont small = w.body();
    small.setPointSizeF(7);
    for (const TrailerWarning& warning : report.warnings)
        w.text(warning.message(), small);
    if (chart) {
        const double height = w.mm(200);
        w.need(height);
        chart(w.painter(), QRectF(0, w.y(), w.width(), height));
        w.skip(height);
    }
    w.text(QStringLiteral("[끝]"), w.body(), Qt::AlignRight);
}

QString ChangeRecordDocName()
{
    return QStringLiteral("Veltrin 변경 이력");
}

void PaintChangeRecord(QPagedPaintDevice* device, const QString& title,
                       const std::vector<audit::Entry>& entries)
{
    const QList<Column> who = {{0.19, Qt::AlignLeft}, {0.12, Qt::AlignLeft},
                               {0.12, Qt::AlignLeft}, {0.10, Qt::AlignLeft},
                               {0.15, Qt::AlignLeft}, {0.32, Qt::AlignLeft}};
    const QList<Column> what = {{0.04, Qt::AlignLeft},
                                {0.16, Qt::AlignLeft},
                                {0.40, Qt::AlignLeft},
                                {0.40, Qt::AlignLeft}};
    PageWriter w(device,
                 [&](PageWriter& pw) {
                     listHeader(pw, title, who,
                                {"시    각", "사용자", "프로그램", "작  업", "테이블", "키"});
                     pw.row(what, {"", "항  목", "이 전 값", "새  값"}, bold(pw.body(), 9));
                     pw.rule();
                 },
                 {});
    // An insert or delete holds the whole row in one value: cut, not drawn
    // over the next column.
    const QFontMetricsF fm(w.body(), device);
    const auto fit = [&](const QList<Column>& columns, QStringList cells) {
        for (int i = 0; i < cells.size() && i < columns.size(); ++i)
            cells[i] = fm.elidedText(QString(cells[i]).replace('\n', ' ').replace('\r', ' '),
                                     Qt::ElideRight, columns[i].share * w.width() - w.mm(2));
        return cells;
    };
    for (const audit::Entry& e : entries) {
        const bool values = !e.field.isEmpty() || !e.oldValue.isEmpty() || !e.newValue.isEmpty();
        w.need((values ? 2 : 1) * w.lineHeight(w.body()));
        w.row(who, fit(who, {e.time, e.user, e.program, e.action, e.table, e.key}), w.body());
        if (values)
            w.row(what, fit(what, {"", e.field, e.oldValue, e.newValue}), w.body());
    }
    w.rule();
    w.text(QString("%1건").arg(entries.size()), w.body(), Qt::AlignLeft);
    w.text(QStringLiteral("[끝]"), w.body(), Qt::AlignRight);
}

} // namespace reports
