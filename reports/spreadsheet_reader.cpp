#include "reports/spreadsheet_reader.h"

#include "platform/zip_archive.h"
#include "shell/codec.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <freexl.h>
#include <orcus/orcus_csv.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace reports {
namespace {

// Rows and columns beyond these are not a consent list but a broken or
// hostile file; reading stops there rather than fill the memory.
constexpr int kMaxRows = 200000;
constexpr int kMaxColumns = 256;
constexpr qint64 kMaxFileBytes = 64ll * 1024 * 1024;
// A workbook is a zip archive whose parts the parser reads whole into
// memory at the sizes they declare; a forged size would take gigabytes.
constexpr qint64 kMaxUnpackedBytes = 256ll * 1024 * 1024;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

void padRows(SheetRows& rows)
{
    qsizetype width = 0;
    for (const QStringList& r : rows)
        width = std::max(width, r.size());
    for (QStringList& r : rows)
        while (r.size() < width)
            r.append(QString());
    while (!rows.isEmpty() && rows.last().join(QString()).trimmed().isEmpty())
        rows.removeLast();
}

// Collects the cell values of the first sheet as the import filters hand
// them over; every other sheet, style and view setting is let go.
namespace iface = orcus::spreadsheet::iface;
using orcus::spreadsheet::col_t;
using orcus::spreadsheet::row_t;

class CellTable
{
public:
    void set(row_t row, col_t col, QString text)
    {
        if (row < 0 || col < 0 || row >= kMaxRows || col >= kMaxColumns)
            return;
        while (m_rows.size() <= row)
            m_rows.append(QStringList());
        QStringList& r = m_rows[row];
        while (r.size() <= col)
            r.append(QString());
        r[col] = std::move(text);
    }
    SheetRows take() { return std::move(m_rows); }

private:
    SheetRows m_rows;
};

class SharedStrings : public iface::import_shared_strings
{
public:
    size_t append(std::string_view s) override
    {
        m_strings.append(QString::fromUtf8(s.data(), qsizetype(s.size())));
        return size_t(m_strings.size() - 1);
    }
    size_t add(std::string_view s) override { return append(s); }
    void set_segment_font(size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                                orcus::spreadsheet::color_elem_t,
                                orcus::spreadsheet::color_elem_t) override
    {
    }
    void append_segment(std::string_view s) override
    {
        m_segments += QString::fromUtf8(s.data(), qsizetype(s.size()));
    }
    size_t commit_segments() override
    {
        m_strings.append(std::exchange(m_segments, QString()));
        return size_t(m_strings.size() - 1);
    }
    QString at(size_t index) const
    {
        return index < size_t(m_strings.size()) ? m_strings[qsizetype(index)] : QString();
    }

private:
    QStringList m_strings;
    QString m_segments;
};

// Keeps the cached result of a formula cell, which is what the sheet shows.
class FormulaResults : public iface::import_formula
{
public:
    explicit FormulaResults(CellTable* table) : m_table(table) {}
    void set_position(row_t row, col_t col) override
    {
        m_row = row;
        m_col = col;
        m_text.clear();
    }
    void set_formula(orcus::spreadsheet::formula_grammar_t, std::string_view) override {}
    void set_shared_formula_index(size_t) override {}
    void set_result_string(std::string_view v) override
    {
        m_text = QString::fromUtf8(v.data(), qsizetype(v.size()));
    }
    void set_result_value(double v) override { m_text = NumberText(v); }
    void set_result_bool(bool v) override { m_text = v ? "TRUE" : "FALSE"; }
    void set_result_empty() override { m_text.clear(); }
    void commit() override
    {
        if (m_table)
            m_table->set(m_row, m_col, m_text);
    }

private:
    CellTable* m_table;
    row_t m_row = 0;
    col_t m_col = 0;
    QString m_text;
};

class Sheet : public iface::import_sheet
{
public:
    Sheet(CellTable* table, const SharedStrings& strings)
        : m_table(table), m_strings(strings), m_formula(table)
    {
    }
    iface::import_formula* get_formula() override { return &m_formula; }
    void set_auto(row_t row, col_t col, std::string_view s) override
    {
        put(row, col, QString::fromUtf8(s.data(), qsizetype(s.size())));
    }
    void set_string(row_t row, col_t col, orcus::spreadsheet::string_id_t id) override
    {
        put(row, col, m_strings.at(id));
    }
    void set_value(row_t row, col_t col, double value) override
    {
        put(row, col, NumberText(value));
    }
    void set_bool(row_t row, col_t col, bool value) override
    {
        put(row, col, value ? "TRUE" : "FALSE");
    }
    void set_date_time(row_t row, col_t col, int year, int month, int day, int hour, int minute,
                       double second) override
    {
        QString text = QString::asprintf("%04d-%02d-%02d", year, month, day);
        if (hour || minute || second)
            text += QString::asprintf(" %02d:%02d:%02d", hour, minute, int(second));
        put(row, col, text);
    }
    void set_format(row_t, col_t, size_t) override {}
    void set_format(row_t, col_t, row_t, col_t, size_t) override {}
    void fill_down_cells(row_t, col_t, row_t) override {}
    orcus::spreadsheet::range_size_t get_sheet_size() const override
    {
        return {kMaxRows, kMaxColumns};
    }

private:
    void put(row_t row, col_t col, QString text)
    {
        if (m_table)
            m_table->set(row, col, std::move(text));
    }
    CellTable* m_table;
    const SharedStrings& m_strings;
    FormulaResults m_formula;
};

// A1-style addresses ("B3", "$B$3", "Sheet1!B3", "A1:C9"), which the
// xlsx filter asks about for ranges such as the used area.
class A1Resolver : public iface::import_reference_resolver
{
public:
    orcus::spreadsheet::src_address_t resolve_address(std::string_view text) override
    {
        if (const size_t bang = text.rfind('!'); bang != std::string_view::npos)
            text.remove_prefix(bang + 1);
        orcus::spreadsheet::src_address_t a{0, 0, 0};
        int col = 0, row = 0;
        for (const char ch : text) {
            if (ch >= 'A' && ch <= 'Z')
                col = std::min(col * 26 + (ch - 'A' + 1), kMaxColumns);
            else if (ch >= 'a' && ch <= 'z')
                col = std::min(col * 26 + (ch - 'a' + 1), kMaxColumns);
            else if (ch >= '0' && ch <= '9')
                row = std::min(row * 10 + (ch - '0'), kMaxRows);
        }
        a.column = std::max(col - 1, 0);
        a.row = std::max(row - 1, 0);
        return a;
    }
    orcus::spreadsheet::src_range_t resolve_range(std::string_view text) override
    {
        const size_t colon = text.find(':');
        if (colon == std::string_view::npos) {
            const auto a = resolve_address(text);
            return {a, a};
        }
        return {resolve_address(text.substr(0, colon)), resolve_address(text.substr(colon + 1))};
    }
};

class FirstSheetFactory : public iface::import_factory
{
public:
    iface::import_reference_resolver* get_reference_resolver(
        orcus::spreadsheet::formula_ref_context_t) override
    {
        return &m_resolver;
    }
    iface::import_shared_strings* get_shared_strings() override { return &m_strings; }
    iface::import_sheet* append_sheet(orcus::spreadsheet::sheet_t, std::string_view name) override
    {
        // Only the first sheet is kept; the others are read into nothing.
        m_sheets.push_back(std::make_unique<Sheet>(m_sheets.empty() ? &m_table : nullptr, m_strings));
        m_names.emplace_back(name);
        return m_sheets.back().get();
    }
    iface::import_sheet* get_sheet(std::string_view name) override
    {
        for (size_t i = 0; i < m_names.size(); ++i)
            if (m_names[i] == name)
                return m_sheets[i].get();
        return nullptr;
    }
    iface::import_sheet* get_sheet(orcus::spreadsheet::sheet_t index) override
    {
        return index >= 0 && size_t(index) < m_sheets.size() ? m_sheets[size_t(index)].get()
                                                             : nullptr;
    }
    void finalize() override {}
    SheetRows take() { return m_table.take(); }

private:
    SharedStrings m_strings;
    A1Resolver m_resolver;
    CellTable m_table;
    std::vector<std::unique_ptr<Sheet>> m_sheets;
    std::vector<std::string> m_names;
};

std::optional<SheetRows> readModel(const QString& path, const QString& suffix, QString* error)
{
    FirstSheetFactory factory;
    try {
        if (suffix == "xlsx") {
            orcus::orcus_xlsx loader(&factory);
            loader.read_file(QFile::encodeName(path).toStdString());
        } else if (suffix == "ods") {
            orcus::orcus_ods loader(&factory);
            loader.read_file(QFile::encodeName(path).toStdString());
        } else {
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly)) {
                setError(error, QStringLiteral("파일을 열 수 없습니다: ") + path);
                return std::nullopt;
            }
            QByteArray bytes = f.readAll();
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString asUtf8 = utf8(bytes);
            if (utf8.hasError())
                bytes = shell::FromCp949(bytes).toUtf8();
            if (bytes.startsWith("\xEF\xBB\xBF"))
                bytes.remove(0, 3);
            // The parser takes LF only; a Windows file would keep its CR in
            // every last cell.
            bytes.replace("\r\n", "\n");
            if (bytes.trimmed().isEmpty())
                return SheetRows{};
            orcus::orcus_csv loader(&factory);
            loader.read_stream(std::string_view(bytes.constData(), size_t(bytes.size())));
        }
    } catch (const std::exception& e) {
        setError(error, QStringLiteral("엑셀 파일을 읽을 수 없습니다: ") + QString::fromUtf8(e.what()));
        return std::nullopt;
    }
    SheetRows rows = factory.take();
    padRows(rows);
    return rows;
}

std::optional<SheetRows> readXls(const QString& path, QString* error)
{
    const void* handle = nullptr;
    const QByteArray name = QFile::encodeName(path);
    const int opened = freexl_open(name.constData(), &handle);
    const auto close = [&] {
        if (handle)
            freexl_close(handle);
    };
    unsigned int rowCount = 0;
    unsigned short columnCount = 0;
    if (opened != FREEXL_OK || freexl_select_active_worksheet(handle, 0) != FREEXL_OK
        || freexl_worksheet_dimensions(handle, &rowCount, &columnCount) != FREEXL_OK) {
        close();
        setError(error, QStringLiteral("엑셀 파일을 읽을 수 없습니다: ") + path);
        return std::nullopt;
    }
    SheetRows rows;
    for (unsigned int r = 0; r < rowCount && r < unsigned(kMaxRows); ++r) {
        QStringList row;
        for (unsigned short c = 0; c < columnCount && c < kMaxColumns; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK) {
                row.append(QString());
                continue;
            }
            switch (v.type) {
            case FREEXL_CELL_INT: row.append(QString::number(v.value.int_value)); break;
            case FREEXL_CELL_DOUBLE: row.append(NumberText(v.value.double_value)); break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME: row.append(QString::fromUtf8(v.value.text_value)); break;
            default: row.append(QString()); break;
            }
        }
        rows.append(row);
    }
    close();
    padRows(rows);
    return rows;
}

} // namespace

SheetRows PreviewRows(const SheetRows& sheet, int columns)
{
    qsizetype first = -1;
    for (qsizetype r = 0; r < sheet.size(); ++r) {
        if (!sheet[r].isEmpty() && sheet[r][0].trimmed() == QStringLiteral("이름")) {
            first = r;
            break;
        }
    }
    // Without a title row the data still goes below the heading row, so
    // that the first record is not taken for the titles.
    SheetRows rows;
    if (first < 0)
        rows.append(QStringList());
    for (qsizetype r = std::max<qsizetype>(first, 0); r < sheet.size(); ++r) {
        if (sheet[r].isEmpty() || sheet[r][0].isEmpty())
            continue;
        rows.append(sheet[r].mid(0, std::max(columns, 0)));
    }
    return rows;
}

QString NumberText(double value)
{
    if (!std::isfinite(value))
        return QString();
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

std::optional<SheetRows> ReadFirstSheet(const QString& path, QString* error)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        setError(error, QStringLiteral("파일이 없습니다: ") + path);
        return std::nullopt;
    }
    if (info.size() > kMaxFileBytes) {
        setError(error, QStringLiteral("파일이 너무 큽니다: ") + path);
        return std::nullopt;
    }
    const QString suffix = info.suffix().toLower();
    if (suffix == "xls")
        return readXls(path, error);
    if (suffix == "xlsx" || suffix == "ods") {
        QList<platform::ZipEntry> entries;
        const platform::ZipResult listed = platform::ReadZipDirectory(path, entries);
        if (!listed.ok) {
            setError(error, QStringLiteral("엑셀 파일을 읽을 수 없습니다: ") + listed.error);
            return std::nullopt;
        }
        qint64 total = 0;
        for (const platform::ZipEntry& e : entries) {
            // No part of a real archive is bigger packed than the archive.
            if (e.compressedSize < 0 || e.compressedSize > info.size()) {
                setError(error, QStringLiteral("엑셀 파일을 읽을 수 없습니다: ") + path);
                return std::nullopt;
            }
            if (e.size < 0 || e.size > kMaxUnpackedBytes - total) {
                setError(error, QStringLiteral("파일이 너무 큽니다: ") + path);
                return std::nullopt;
            }
            total += e.size;
        }
        // The parser trusts its parts: a damaged one (a wrong checksum,
        // XML that is not well formed) can stop the program inside it.
        const platform::ZipResult checked =
            platform::ReadZipEntries(path, [](const QString& name, const QByteArray& bytes) {
                if (!name.endsWith(".xml", Qt::CaseInsensitive) &&
                    !name.endsWith(".rels", Qt::CaseInsensitive))
                    return true;
                QXmlStreamReader xml(bytes);
                while (!xml.atEnd())
                    xml.readNext();
                return !xml.hasError();
            });
        if (!checked.ok) {
            setError(error, QStringLiteral("엑셀 파일을 읽을 수 없습니다: ") + path);
            return std::nullopt;
        }
    }
    if (suffix == "xlsx" || suffix == "ods" || suffix == "csv")
        return readModel(path, suffix, error);
    setError(error, QStringLiteral("읽을 수 없는 파일 형식입니다: ") + path);
    return std::nullopt;
}

} // namespace reports
