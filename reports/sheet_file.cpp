#include "reports/sheet_file.h"

#include "platform/zip_archive.h"
#include "shell/codec.h"

#include <QDataStream>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <QXmlStreamReader>

#include <freexl.h>
#include <orcus/orcus_csv.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>
#include <orcus/spreadsheet/import_interface_view.hpp>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace reports {
namespace {

constexpr qint64 kMaxFileBytes = 64ll * 1024 * 1024;
// A workbook is a zip archive whose parts the parser reads whole into
// memory at the sizes they declare; a forged size would take gigabytes.
constexpr qint64 kMaxUnpackedBytes = 256ll * 1024 * 1024;

QString tooLargeText(const QString& path)
{
    return QString("시트가 너무 큽니다: %1\n%2행, %3열, 셀 %4개까지 읽을 수 있습니다.")
        .arg(path)
        .arg(kMaxSheetRows)
        .arg(kMaxSheetColumns)
        .arg(kMaxSheetCells);
}

// Thrown out of the parser as soon as the sheet passes a limit, so that a
// hostile file is given up at once rather than read to its end.
struct SheetTooLarge
{
};

namespace iface = orcus::spreadsheet::iface;
using orcus::spreadsheet::col_t;
using orcus::spreadsheet::row_t;

// The cells as the sheet has them: a row grows only to its last non-empty
// cell, so a ragged sheet costs what its cells cost.
class CellTable
{
public:
    void set(row_t row, col_t col, QString text)
    {
        if (row < 0 || col < 0 || text.isEmpty())
            return;
        if (row >= kMaxSheetRows || col >= kMaxSheetColumns || ++m_cells > kMaxSheetCells) {
            m_tooLarge = true;
            throw SheetTooLarge{};
        }
        if (m_rows.size() <= row)
            m_rows.resize(row + 1);
        QStringList& r = m_rows[row];
        if (r.size() <= col)
            r.resize(col + 1);
        r[col] = std::move(text);
    }
    // A cell read before, shown otherwise once the whole file is known.
    void replace(row_t row, col_t col, QString text)
    {
        if (row >= 0 && row < m_rows.size() && col >= 0 && col < m_rows[row].size())
            m_rows[row][col] = std::move(text);
    }
    bool tooLarge() const { return m_tooLarge; }
    SheetRows take() { return std::move(m_rows); }

private:
    SheetRows m_rows;
    qint64 m_cells = 0;
    bool m_tooLarge = false;
};

void dropBlankTail(SheetRows& rows)
{
    while (!rows.isEmpty() && rows.last().join(QString()).trimmed().isEmpty())
        rows.removeLast();
}

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

// How many digits a number format of zeros alone ("000000") fills an
// integer to, leading zeros included; 0 for any other format.
int zeroDigits(std::string_view code)
{
    if (code.empty() || code.size() > 30)
        return 0;
    for (const char ch : code)
        if (ch != '0')
            return 0;
    return int(code.size());
}

// Whether a number format shows a date: a day or a year outside quoted
// text, escapes and bracketed colours or conditions.
bool isDateCode(std::string_view code)
{
    bool quoted = false, bracket = false, escaped = false;
    for (const char ch : code) {
        if (escaped) {
            escaped = false;
            continue;
        }
        if (quoted) {
            quoted = ch != '"';
            continue;
        }
        if (bracket) {
            bracket = ch != ']';
            continue;
        }
        switch (ch) {
        case '\\':
            escaped = true;
            break;
        case '"':
            quoted = true;
            break;
        case '[':
            bracket = true;
            break;
        case ';':
            return false; // only the first section decides
        case 'y':
        case 'Y':
        case 'd':
        case 'D':
            return true;
        default:
            break;
        }
    }
    return false;
}

// The built-in number formats of a workbook that show a date (those of
// the Korean and other East Asian editions included).
bool isBuiltinDate(size_t id)
{
    return (id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 31) || (id >= 34 && id <= 36) ||
           (id >= 50 && id <= 58);
}

// The workbook's styles. Nothing of their look is kept, but every commit
// gets its own index, as the filters go on to use them; of the cell
// formats only whether each shows a date, so that a date cell of a
// workbook that stores dates as numbers reads as a date.
class Styles : public iface::import_styles
{
public:
    // How a cell format shows a number: as a date, filled with leading
    // zeros to some digits, or as it is.
    struct Shown
    {
        bool date = false;
        int zeros = 0;
    };
    Shown shown(size_t xf) const { return xf < m_xfShown.size() ? m_xfShown[xf] : Shown{}; }

    void set_font_count(size_t) override {}
    void set_font_bold(bool) override {}
    void set_font_italic(bool) override {}
    void set_font_name(std::string_view) override {}
    void set_font_size(double) override {}
    void set_font_underline(orcus::spreadsheet::underline_t) override {}
    void set_font_underline_width(orcus::spreadsheet::underline_width_t) override {}
    void set_font_underline_mode(orcus::spreadsheet::underline_mode_t) override {}
    void set_font_underline_type(orcus::spreadsheet::underline_type_t) override {}
    void set_font_underline_color(orcus::spreadsheet::color_elem_t,
                                  orcus::spreadsheet::color_elem_t,
                                  orcus::spreadsheet::color_elem_t,
                                  orcus::spreadsheet::color_elem_t) override
    {
    }
    void set_font_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                        orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t) override
    {
    }
    void set_strikethrough_style(orcus::spreadsheet::strikethrough_style_t) override {}
    void set_strikethrough_type(orcus::spreadsheet::strikethrough_type_t) override {}
    void set_strikethrough_width(orcus::spreadsheet::strikethrough_width_t) override {}
    void set_strikethrough_text(orcus::spreadsheet::strikethrough_text_t) override {}
    size_t commit_font() override { return m_fonts++; }

    void set_fill_count(size_t) override {}
    void set_fill_pattern_type(orcus::spreadsheet::fill_pattern_t) override {}
    void set_fill_fg_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                           orcus::spreadsheet::color_elem_t,
                           orcus::spreadsheet::color_elem_t) override
    {
    }
    void set_fill_bg_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                           orcus::spreadsheet::color_elem_t,
                           orcus::spreadsheet::color_elem_t) override
    {
    }
    size_t commit_fill() override { return m_fills++; }

    void set_border_count(size_t) override {}
    void set_border_style(orcus::spreadsheet::border_direction_t,
                          orcus::spreadsheet::border_style_t) override
    {
    }
    void set_border_color(orcus::spreadsheet::border_direction_t, orcus::spreadsheet::color_elem_t,
                          orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                          orcus::spreadsheet::color_elem_t) override
    {
    }
    void set_border_width(orcus::spreadsheet::border_direction_t, double,
                          orcus::length_unit_t) override
    {
    }
    size_t commit_border() override { return m_borders++; }

    void set_cell_hidden(bool) override {}
    void set_cell_locked(bool) override {}
    void set_cell_print_content(bool) override {}
    void set_cell_formula_hidden(bool) override {}
    size_t commit_cell_protection() override { return m_protections++; }

    void set_number_format_count(size_t) override {}
    void set_number_format_identifier(size_t id) override { m_formatId = id; }
    void set_number_format_code(std::string_view s) override
    {
        m_format = {isDateCode(s), zeroDigits(s)};
    }
    size_t commit_number_format() override
    {
        // A cell format names its number format by this identifier.
        m_formats.insert(m_formatId, m_format);
        m_formatId = 0;
        m_format = {};
        return m_numberFormats++;
    }

    void set_cell_xf_count(size_t) override {}
    void set_cell_style_xf_count(size_t) override {}
    void set_dxf_count(size_t) override {}
    void set_xf_font(size_t) override {}
    void set_xf_fill(size_t) override {}
    void set_xf_border(size_t) override {}
    void set_xf_protection(size_t) override {}
    void set_xf_number_format(size_t index) override { m_xfFormat = index; }
    void set_xf_style_xf(size_t) override {}
    void set_xf_apply_alignment(bool) override {}
    void set_xf_horizontal_alignment(orcus::spreadsheet::hor_alignment_t) override {}
    void set_xf_vertical_alignment(orcus::spreadsheet::ver_alignment_t) override {}
    size_t commit_cell_xf() override
    {
        m_xfShown.push_back(m_formats.value(m_xfFormat, Shown{isBuiltinDate(m_xfFormat), 0}));
        m_xfFormat = 0;
        return m_xfShown.size() - 1;
    }
    size_t commit_cell_style_xf() override
    {
        m_xfFormat = 0;
        return m_styleXfs++;
    }
    size_t commit_dxf() override
    {
        m_xfFormat = 0;
        return m_dxfs++;
    }

    void set_cell_style_count(size_t) override {}
    void set_cell_style_name(std::string_view) override {}
    void set_cell_style_xf(size_t) override {}
    void set_cell_style_builtin(size_t) override {}
    void set_cell_style_parent_name(std::string_view) override {}
    size_t commit_cell_style() override { return m_cellStyles++; }

private:
    size_t m_fonts = 0, m_fills = 0, m_borders = 0, m_protections = 0, m_numberFormats = 0;
    size_t m_styleXfs = 0, m_dxfs = 0, m_cellStyles = 0;
    size_t m_formatId = 0, m_xfFormat = 0;
    Shown m_format;
    QHash<size_t, Shown> m_formats;
    std::vector<Shown> m_xfShown;
};

// The day a date number counts from (the 1900 system unless the workbook
// says otherwise).
class GlobalSettings : public iface::import_global_settings
{
public:
    void set_origin_date(int year, int month, int day) override
    {
        const QDate d(year, month, day);
        if (d.isValid())
            m_origin = d;
    }
    void set_default_formula_grammar(orcus::spreadsheet::formula_grammar_t grammar) override
    {
        m_grammar = grammar;
    }
    orcus::spreadsheet::formula_grammar_t get_default_formula_grammar() const override
    {
        return m_grammar;
    }
    void set_character_set(orcus::character_set_t) override {}
    QDate origin() const { return m_origin; }
    void setOrigin(const QDate& origin) { m_origin = origin; }

private:
    QDate m_origin{1899, 12, 30};
    orcus::spreadsheet::formula_grammar_t m_grammar =
        orcus::spreadsheet::formula_grammar_t::unknown;
};

QString dateTimeText(int year, int month, int day, int hour, int minute, double second)
{
    QString text = QString::asprintf("%04d-%02d-%02d", year, month, day);
    if (hour || minute || second)
        text += QString::asprintf(" %02d:%02d:%02d", hour, minute, int(second));
    return text;
}

QString serialDateText(const QDate& origin, double value)
{
    if (!std::isfinite(value) || value < 0 || value > 2958465) // up to 9999-12-31
        return NumberText(value);
    const double days = std::floor(value);
    const QDate date = origin.addDays(qint64(days));
    const int seconds = int(std::lround((value - days) * 86400.0));
    if (!date.isValid() || seconds >= 86400)
        return NumberText(value);
    return dateTimeText(date.year(), date.month(), date.day(), seconds / 3600, seconds / 60 % 60,
                        seconds % 60);
}

// Column widths, hidden rows and columns, merged ranges: a hidden column
// still holds its data, a merged range keeps its text in its first cell.
class SheetProperties : public iface::import_sheet_properties
{
public:
    void set_column_width(col_t, double, orcus::length_unit_t) override {}
    void set_column_hidden(col_t, bool) override {}
    void set_row_height(row_t, double, orcus::length_unit_t) override {}
    void set_row_hidden(row_t, bool) override {}
    void set_merge_cell_range(const orcus::spreadsheet::range_t&) override {}
};

class SheetView : public iface::import_sheet_view
{
public:
    void set_sheet_active() override {}
    void set_split_pane(double, double, const orcus::spreadsheet::address_t&,
                        orcus::spreadsheet::sheet_pane_t) override
    {
    }
    void set_frozen_pane(col_t, row_t, const orcus::spreadsheet::address_t&,
                         orcus::spreadsheet::sheet_pane_t) override
    {
    }
    void set_selected_range(orcus::spreadsheet::sheet_pane_t, orcus::spreadsheet::range_t) override
    {
    }
};

class NamedExpressions : public iface::import_named_expression
{
public:
    void set_base_position(const orcus::spreadsheet::src_address_t&) override {}
    void set_named_expression(std::string_view, std::string_view) override {}
    void set_named_range(std::string_view, std::string_view) override {}
    void commit() override {}
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

// The cached results of an array formula, cell by cell.
class ArrayFormulaResults : public iface::import_array_formula
{
public:
    explicit ArrayFormulaResults(CellTable* table) : m_table(table) {}
    void set_range(const orcus::spreadsheet::range_t&) override {}
    void set_formula(orcus::spreadsheet::formula_grammar_t, std::string_view) override {}
    void set_result_string(row_t row, col_t col, std::string_view v) override
    {
        put(row, col, QString::fromUtf8(v.data(), qsizetype(v.size())));
    }
    void set_result_value(row_t row, col_t col, double v) override { put(row, col, NumberText(v)); }
    void set_result_bool(row_t row, col_t col, bool v) override
    {
        put(row, col, v ? "TRUE" : "FALSE");
    }
    void set_result_empty(row_t, col_t) override {}
    void commit() override {}

private:
    void put(row_t row, col_t col, QString text)
    {
        if (m_table)
            m_table->set(row, col, std::move(text));
    }
    CellTable* m_table;
};

class Sheet : public iface::import_sheet
{
public:
    Sheet(CellTable* table, const SharedStrings& strings, const Styles& styles,
          const GlobalSettings& settings)
        : m_table(table), m_strings(strings), m_styles(styles), m_settings(settings),
          m_formula(table), m_arrayFormula(table)
    {
    }
    iface::import_sheet_properties* get_sheet_properties() override { return &m_properties; }
    iface::import_sheet_view* get_sheet_view() override { return &m_view; }
    iface::import_named_expression* get_named_expression() override { return &m_names; }
    iface::import_formula* get_formula() override { return &m_formula; }
    iface::import_array_formula* get_array_formula() override { return &m_arrayFormula; }
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
        const quint64 cell = key(row, col);
        if (m_lastFormat && m_lastFormat->first == cell)
            m_numberFormats.push_back({row, col, value, m_lastFormat->second});
        m_lastFormat.reset();
        m_lastValue = {cell, value};
    }
    void set_bool(row_t row, col_t col, bool value) override
    {
        put(row, col, value ? "TRUE" : "FALSE");
    }
    void set_date_time(row_t row, col_t col, int year, int month, int day, int hour, int minute,
                       double second) override
    {
        put(row, col, dateTimeText(year, month, day, hour, minute, second));
    }
    // A workbook that stores a date as a number tells it by the cell's
    // format, given before or after the value; the formats themselves may
    // come after the sheet, so the number cells with a format are noted
    // and turned into dates at the end.
    void set_format(row_t row, col_t col, size_t xf) override
    {
        if (!m_table || xf == 0)
            return;
        const quint64 cell = key(row, col);
        if (m_lastValue && m_lastValue->first == cell)
            m_numberFormats.push_back({row, col, m_lastValue->second, xf});
        else
            m_lastFormat = {cell, xf};
        m_lastValue.reset();
    }
    // Numbers as their formats show them: dates, and codes whose leading
    // zeros only the format keeps ("0000" shows 101 as 0101).
    void showFormatted()
    {
        for (const NumberFormat& n : m_numberFormats) {
            const Styles::Shown shown = m_styles.shown(n.xf);
            if (shown.date)
                m_table->replace(n.row, n.col, serialDateText(m_settings.origin(), n.value));
            else if (shown.zeros > 0 && n.value >= 0 && n.value < 1e15 &&
                     n.value == std::floor(n.value))
                m_table->replace(n.row, n.col,
                                 NumberText(n.value).rightJustified(shown.zeros, QLatin1Char('0')));
        }
        m_numberFormats.clear();
    }
    void set_format(row_t, col_t, row_t, col_t, size_t) override {}
    void fill_down_cells(row_t, col_t, row_t) override {}
    // The largest sheet a workbook may have, so that the filters hand over
    // every cell and a sheet beyond the limits is refused, never cut.
    orcus::spreadsheet::range_size_t get_sheet_size() const override { return {1048576, 16384}; }

private:
    static quint64 key(row_t row, col_t col)
    {
        return (quint64(quint32(row)) << 32) | quint32(col);
    }
    void put(row_t row, col_t col, QString text)
    {
        if (m_table)
            m_table->set(row, col, std::move(text));
    }
    CellTable* m_table;
    const SharedStrings& m_strings;
    const Styles& m_styles;
    const GlobalSettings& m_settings;
    FormulaResults m_formula;
    ArrayFormulaResults m_arrayFormula;
    SheetProperties m_properties;
    SheetView m_view;
    NamedExpressions m_names;
    struct NumberFormat
    {
        row_t row;
        col_t col;
        double value;
        size_t xf;
    };
    std::optional<std::pair<quint64, double>> m_lastValue;
    std::optional<std::pair<quint64, size_t>> m_lastFormat;
    std::vector<NumberFormat> m_numberFormats; // at most one per cell read
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
                col = std::min(col * 26 + (ch - 'A' + 1), 16384);
            else if (ch >= 'a' && ch <= 'z')
                col = std::min(col * 26 + (ch - 'a' + 1), 16384);
            else if (ch >= '0' && ch <= '9')
                row = std::min(row * 10 + (ch - '0'), 1048576);
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

// The parts of a workbook archive that the readers look at: the XML ones,
// by name.
using Parts = QHash<QString, QByteArray>;

struct ExtraCell
{
    row_t row;
    col_t col;
    QString text;
};

QString attribute(const QXmlStreamReader& xml, QStringView name)
{
    for (const QXmlStreamAttribute& a : xml.attributes())
        if (a.name() == name)
            return a.value().toString();
    return {};
}

// A date written as text ("2024-03-01", "2024-03-01T09:30:00.000Z"), as
// the other dates read; anything else as it is.
QString isoDateText(const QString& text)
{
    static const QRegularExpression iso(
        QStringLiteral(R"(^(\d{4})-(\d{2})-(\d{2})(?:[T ](\d{2}):(\d{2})(?::(\d{2}))?)?)"));
    const QRegularExpressionMatch m = iso.match(text.trimmed());
    if (!m.hasMatch())
        return text;
    return dateTimeText(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                        m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
}

// What the archive says of its workbook that the xlsx filter does not take:
// the first sheet's part (by the workbook's order of sheets) and the 1904
// date system.
struct XlsxBook
{
    QString firstSheet;
    bool date1904 = false;
};

// Where a relationship of `relsName` points: a target is either absolute
// within the archive ("/xl/worksheets/sheet1.xml") or relative to the
// folder of the part the relationships belong to.
QString relationshipTarget(const QString& relsName, const QString& target)
{
    if (target.startsWith('/'))
        return target.mid(1);
    QString folder = relsName.left(relsName.lastIndexOf(QStringLiteral("_rels/")));
    return QDir::cleanPath(folder + target);
}

QHash<QString, QString> relationships(const Parts& parts, const QString& relsName,
                                      QString* officeDocument = nullptr)
{
    QHash<QString, QString> out;
    QXmlStreamReader xml(parts.value(relsName));
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (!xml.isStartElement() || xml.name() != QStringLiteral("Relationship"))
            continue;
        const QString target = relationshipTarget(relsName, attribute(xml, u"Target"));
        out.insert(attribute(xml, u"Id"), target);
        if (officeDocument && attribute(xml, u"Type").endsWith(QStringLiteral("/officeDocument")))
            *officeDocument = target;
    }
    return out;
}

XlsxBook inspectXlsx(const Parts& parts)
{
    XlsxBook book;
    QString workbook;
    relationships(parts, QStringLiteral("_rels/.rels"), &workbook);
    if (workbook.isEmpty())
        workbook = QStringLiteral("xl/workbook.xml");
    const int slash = workbook.lastIndexOf('/');
    const QString rels = workbook.left(slash + 1) + "_rels/" + workbook.mid(slash + 1) + ".rels";
    const QHash<QString, QString> targets = relationships(parts, rels);
    QXmlStreamReader xml(parts.value(workbook));
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QStringLiteral("workbookPr")) {
            const QString v = attribute(xml, u"date1904");
            book.date1904 = v == QStringLiteral("1") || v == QStringLiteral("true");
        } else if (xml.name() == QStringLiteral("sheet") && book.firstSheet.isEmpty()) {
            book.firstSheet = targets.value(attribute(xml, u"id"));
        }
    }
    return book;
}

// The relationships that name their parts by absolute targets, rewritten
// with relative ones, which is all the xlsx filter follows; empty when no
// part needs it.
Parts relativeTargets(const Parts& parts)
{
    Parts out;
    static const QRegularExpression absolute(QStringLiteral(R"re(Target="/([^"]*)")re"));
    for (auto it = parts.cbegin(); it != parts.cend(); ++it) {
        if (!it.key().endsWith(QStringLiteral(".rels")) ||
            !it.value().contains(QByteArrayLiteral("Target=\"/")))
            continue;
        const QString folder = it.key().left(it.key().lastIndexOf(QStringLiteral("_rels/")));
        const QDir base(QStringLiteral("/") + folder);
        QString text = QString::fromUtf8(it.value());
        QString rewritten;
        qsizetype last = 0;
        for (QRegularExpressionMatchIterator m = absolute.globalMatch(text); m.hasNext();) {
            const QRegularExpressionMatch match = m.next();
            rewritten += text.mid(last, match.capturedStart() - last);
            rewritten += QStringLiteral("Target=\"") +
                         base.relativeFilePath(QStringLiteral("/") + match.captured(1)) + '"';
            last = match.capturedEnd();
        }
        rewritten += text.mid(last);
        out.insert(it.key(), rewritten.toUtf8());
    }
    return out;
}

// The cells of an xlsx sheet part that the filter leaves empty: inline
// strings (t="inlineStr"), text without a formula (t="str") and dates
// written as text (t="d").
QList<ExtraCell> xlsxCellsLeftOut(const QByteArray& sheet)
{
    QList<ExtraCell> out;
    QXmlStreamReader xml(sheet);
    A1Resolver a1;
    row_t row = -1;
    col_t col = -1;
    QString type, value, inlineText;
    bool formula = false;
    int phonetic = 0; // inside a reading guide, which is not the text
    while (!xml.atEnd() && out.size() < kMaxSheetCells) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QStringView name = xml.name();
            if (name == u"row") {
                const QString r = attribute(xml, u"r");
                row = r.isEmpty() ? row + 1 : r.toInt() - 1;
                col = -1;
            } else if (name == u"c") {
                const QString r = attribute(xml, u"r");
                if (r.isEmpty()) {
                    ++col;
                } else {
                    const auto at = a1.resolve_address(r.toStdString());
                    row = at.row;
                    col = at.column;
                }
                type = attribute(xml, u"t");
                value.clear();
                inlineText.clear();
                formula = false;
            } else if (name == u"f") {
                formula = true;
            } else if (name == u"v") {
                value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            } else if (name == u"rPh") {
                ++phonetic;
            } else if (name == u"t" && !phonetic) {
                inlineText += xml.readElementText(QXmlStreamReader::IncludeChildElements);
            }
        } else if (xml.isEndElement()) {
            if (xml.name() == u"rPh") {
                --phonetic;
            } else if (xml.name() == u"c") {
                QString text;
                if (type == QStringLiteral("inlineStr"))
                    text = inlineText;
                else if (type == QStringLiteral("str") && !formula)
                    text = value;
                else if (type == QStringLiteral("d"))
                    text = isoDateText(value);
                if (!text.isEmpty() && row >= 0 && col >= 0)
                    out.append({row, col, text});
            }
        }
    }
    return out;
}

// The cells of an .ods first table whose formula yields text, which the
// ods filter leaves empty: their result as the file keeps it.
QList<ExtraCell> odsTextFormulaResults(const QByteArray& content)
{
    QList<ExtraCell> out;
    QXmlStreamReader xml(content);
    qint64 row = -1, col = 0, rowRepeat = 1;
    int tables = 0;
    while (!xml.atEnd() && out.size() < kMaxSheetCells) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == u"table" && ++tables > 0)
            break;
        if (xml.isEndElement() && xml.name() == u"table-row") {
            row += rowRepeat - 1;
            continue;
        }
        if (!xml.isStartElement())
            continue;
        const QStringView name = xml.name();
        if (name == u"table-row") {
            ++row;
            col = 0;
            rowRepeat = std::max(attribute(xml, u"number-rows-repeated").toLongLong(), 1ll);
            continue;
        }
        if (name != u"table-cell" && name != u"covered-table-cell")
            continue;
        const qint64 repeat =
            std::max(attribute(xml, u"number-columns-repeated").toLongLong(), 1ll);
        const bool textFormula = !attribute(xml, u"formula").isEmpty() &&
                                 attribute(xml, u"value-type") == QStringLiteral("string");
        QString text = attribute(xml, u"string-value");
        if (textFormula && text.isEmpty()) {
            // The result is the cell's paragraphs.
            QStringList paragraphs;
            while (xml.readNextStartElement())
                paragraphs.append(xml.readElementText(QXmlStreamReader::IncludeChildElements));
            text = paragraphs.join('\n');
        }
        if (textFormula && !text.isEmpty() && row < kMaxSheetRows)
            for (qint64 r = 0; r < rowRepeat && row + r < kMaxSheetRows; ++r)
                for (qint64 c = col; c < col + repeat && c < kMaxSheetColumns; ++c)
                    out.append({row_t(row + r), col_t(c), text});
        col += repeat;
    }
    return out;
}

// Collects the cell values of the first sheet as the import filters hand
// them over; every other sheet is read into nothing. Each interface a
// filter may ask for is there, as the filters do not all check for one
// that is missing.
class FirstSheetFactory : public iface::import_factory
{
public:
    iface::import_global_settings* get_global_settings() override { return &m_settings; }
    iface::import_shared_strings* get_shared_strings() override { return &m_strings; }
    iface::import_named_expression* get_named_expression() override { return &m_names; }
    iface::import_styles* get_styles() override { return &m_styles; }
    iface::import_reference_resolver*
    get_reference_resolver(orcus::spreadsheet::formula_ref_context_t) override
    {
        return &m_resolver;
    }
    iface::import_sheet* append_sheet(orcus::spreadsheet::sheet_t, std::string_view name) override
    {
        m_sheets.push_back(std::make_unique<Sheet>(m_sheets.empty() ? &m_table : nullptr, m_strings,
                                                   m_styles, m_settings));
        m_sheetNames.emplace_back(name);
        return m_sheets.back().get();
    }
    iface::import_sheet* get_sheet(std::string_view name) override
    {
        for (size_t i = 0; i < m_sheetNames.size(); ++i)
            if (m_sheetNames[i] == name)
                return m_sheets[i].get();
        return nullptr;
    }
    iface::import_sheet* get_sheet(orcus::spreadsheet::sheet_t index) override
    {
        return index >= 0 && size_t(index) < m_sheets.size() ? m_sheets[size_t(index)].get()
                                                             : nullptr;
    }
    void finalize() override {}
    bool tooLarge() const { return m_table.tooLarge(); }
    void useDate1904() { m_settings.setOrigin(QDate(1904, 1, 1)); }
    // Cells the filters leave empty, read from the sheet's part separately.
    void supplement(const QList<ExtraCell>& cells)
    {
        for (const ExtraCell& c : cells)
            m_table.set(c.row, c.col, c.text);
    }
    SheetRows take()
    {
        if (!m_sheets.empty())
            m_sheets.front()->showFormatted();
        return m_table.take();
    }

private:
    GlobalSettings m_settings;
    SharedStrings m_strings;
    Styles m_styles;
    NamedExpressions m_names;
    A1Resolver m_resolver;
    CellTable m_table;
    std::vector<std::unique_ptr<Sheet>> m_sheets;
    std::vector<std::string> m_sheetNames;
};

platform::Result<SheetRows> readModel(const QString& path, const QString& suffix,
                                      const Parts& parts)
{
    FirstSheetFactory factory;
    try {
        if (suffix == "xlsx") {
            const XlsxBook book = inspectXlsx(parts);
            orcus::orcus_xlsx loader(&factory);
            if (const Parts relative = relativeTargets(parts); !relative.isEmpty()) {
                QList<std::pair<QString, QByteArray>> entries;
                for (auto it = parts.cbegin(); it != parts.cend(); ++it)
                    entries.append({it.key(), relative.value(it.key(), it.value())});
                const platform::Result<QByteArray> archive = platform::ZipInMemory(entries);
                if (!archive)
                    return platform::Fail(QStringLiteral("엑셀 파일을 읽을 수 없습니다: ") +
                                          archive.error());
                loader.read_stream(std::string_view(archive->constData(), size_t(archive->size())));
            } else {
                loader.read_file(QFile::encodeName(path).toStdString());
            }
            factory.supplement(xlsxCellsLeftOut(parts.value(book.firstSheet)));
            // After the filter, which sets the 1900 origin whatever the book says.
            if (book.date1904)
                factory.useDate1904();
        } else if (suffix == "ods") {
            orcus::orcus_ods loader(&factory);
            loader.read_file(QFile::encodeName(path).toStdString());
            factory.supplement(odsTextFormulaResults(parts.value(QStringLiteral("content.xml"))));
        } else {
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                return platform::Fail(QStringLiteral("파일을 열 수 없습니다: ") + path);
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
    } catch (const SheetTooLarge&) {
        return platform::Fail(tooLargeText(path));
    } catch (const std::exception& e) {
        return platform::Fail(factory.tooLarge()
                                  ? tooLargeText(path)
                                  : QStringLiteral("엑셀 파일을 읽을 수 없습니다: ") +
                                        QString::fromUtf8(e.what()));
    }
    if (factory.tooLarge()) { // in case a filter caught the stop itself
        return platform::Fail(tooLargeText(path));
    }
    SheetRows rows = factory.take();
    dropBlankTail(rows);
    return rows;
}

// The cached results of the formula cells of an .xls file's first sheet,
// which the .xls reader leaves empty: the workbook stream is taken out of
// the compound file and its FORMULA records read. Anything out of place
// ends the search with what was found so far.
struct FormulaCell
{
    int row;
    int col;
    QString text;
};

quint32 le32(const QByteArray& b, qint64 at)
{
    if (at < 0 || at + 4 > b.size())
        return 0xFFFFFFFFu;
    const auto u = [&](qint64 i) { return quint32(quint8(b[qsizetype(at + i)])); };
    return u(0) | u(1) << 8 | u(2) << 16 | u(3) << 24;
}

quint16 le16(const QByteArray& b, qint64 at)
{
    if (at < 0 || at + 2 > b.size())
        return 0xFFFF;
    return quint16(quint8(b[qsizetype(at)]) | quint8(b[qsizetype(at + 1)]) << 8);
}

// A chain of sectors of `table` from `start`, joined, cut to `size`.
QByteArray chain(const std::vector<quint32>& table, quint32 start, qint64 size,
                 const std::function<QByteArray(quint32)>& sector)
{
    QByteArray out;
    for (size_t steps = 0; start < table.size() && steps <= table.size() && out.size() < size;
         ++steps) {
        const QByteArray bytes = sector(start);
        if (bytes.isEmpty())
            break;
        out += bytes;
        start = table[start];
    }
    return out.left(qsizetype(std::min<qint64>(size, out.size())));
}

QByteArray workbookStream(const QByteArray& file)
{
    if (!file.startsWith(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) || file.size() < 512)
        return {};
    const int shift = le16(file, 0x1E);
    const int miniShift = le16(file, 0x20);
    if ((shift != 9 && shift != 12) || miniShift != 6)
        return {};
    const qint64 sectorSize = qint64(1) << shift;
    const qint64 sectors = file.size() / sectorSize; // an upper bound on every count
    const auto sector = [&](quint32 n) -> QByteArray {
        const qint64 at = (qint64(n) + 1) * sectorSize;
        return at + sectorSize <= file.size() ? file.mid(qsizetype(at), qsizetype(sectorSize))
                                              : QByteArray();
    };
    // The sector allocation table, from the header's list and its sequel.
    std::vector<quint32> fatSectors;
    for (int i = 0; i < 109; ++i)
        fatSectors.push_back(le32(file, 0x4C + 4 * i));
    quint32 difat = le32(file, 0x44);
    for (qint64 n = 0; n < qint64(le32(file, 0x48)) && n < sectors; ++n) {
        const QByteArray more = sector(difat);
        if (more.isEmpty())
            break;
        for (qint64 i = 0; i + 1 < sectorSize / 4; ++i)
            fatSectors.push_back(le32(more, 4 * i));
        difat = le32(more, sectorSize - 4);
    }
    std::vector<quint32> fat;
    const qint64 fatCount = std::min<qint64>(le32(file, 0x2C), sectors);
    for (qint64 i = 0; i < fatCount && size_t(i) < fatSectors.size(); ++i) {
        const QByteArray bytes = sector(fatSectors[size_t(i)]);
        for (qint64 j = 0; j + 4 <= bytes.size(); j += 4)
            fat.push_back(le32(bytes, j));
    }
    const QByteArray directory = chain(fat, le32(file, 0x30), file.size(), sector);
    if (directory.size() < 128)
        return {};
    const qint64 cutoff = le32(file, 0x38);
    const QByteArray root = directory.left(128);
    for (qint64 at = 0; at + 128 <= directory.size(); at += 128) {
        const int nameBytes = std::min<int>(le16(directory, at + 0x40), 64);
        const QString name =
            QString::fromUtf16(reinterpret_cast<const char16_t*>(directory.constData() + at),
                               std::max(nameBytes / 2 - 1, 0));
        if (directory[qsizetype(at + 0x42)] != 2 ||
            (name != QStringLiteral("Workbook") && name != QStringLiteral("Book")))
            continue;
        const quint32 start = le32(directory, at + 0x74);
        const qint64 size = std::min<qint64>(le32(directory, at + 0x78), file.size());
        if (size >= cutoff)
            return chain(fat, start, size, sector);
        // A small stream lives in the mini stream, in 64-byte pieces.
        const QByteArray mini = chain(fat, le32(root, 0x74), file.size(), sector);
        const QByteArray miniFatBytes = chain(fat, le32(file, 0x3C), file.size(), sector);
        std::vector<quint32> miniFat;
        for (qint64 j = 0; j + 4 <= miniFatBytes.size(); j += 4)
            miniFat.push_back(le32(miniFatBytes, j));
        return chain(miniFat, start, size, [&](quint32 n) {
            const qint64 from = qint64(n) * 64;
            return from + 64 <= mini.size() ? mini.mid(qsizetype(from), 64) : QByteArray();
        });
    }
    return {};
}

QList<FormulaCell> xlsFormulaResults(const QByteArray& book)
{
    // The first sheet starts where the first sheet entry of the workbook
    // says.
    qint64 sheet = -1;
    for (qint64 at = 0; at + 4 <= book.size() && sheet < 0;) {
        const quint16 type = le16(book, at), length = le16(book, at + 2);
        if (type == 0x0085 && length >= 4)
            sheet = le32(book, at + 4);
        at += 4 + length;
    }
    QList<FormulaCell> out;
    if (sheet <= 0)
        return out;
    std::optional<FormulaCell> pendingString;
    for (qint64 at = sheet; at + 4 <= book.size();) {
        const quint16 type = le16(book, at), length = le16(book, at + 2);
        const qint64 data = at + 4;
        at = data + length;
        if (at > book.size() || type == 0x000A) // EOF of the sheet
            break;
        if (type == 0x0207 && pendingString && length >= 3) { // the string result
            const int chars = le16(book, data);
            const bool wide = book[qsizetype(data + 2)] & 1;
            const qint64 bytes = std::min<qint64>(wide ? 2 * chars : chars, length - 3);
            const QByteArray raw = book.mid(qsizetype(data + 3), qsizetype(bytes));
            pendingString->text =
                wide ? QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.constData()),
                                          raw.size() / 2)
                     : QString::fromLatin1(raw);
            out.append(*pendingString);
        }
        pendingString.reset();
        if (type != 0x0006 || length < 20 || out.size() >= kMaxSheetCells)
            continue;
        FormulaCell cell{le16(book, data), le16(book, data + 2), QString()};
        if (le16(book, data + 12) != 0xFFFF) {
            double value;
            std::memcpy(&value, book.constData() + data + 6, sizeof value);
            cell.text = NumberText(value);
        } else if (book[qsizetype(data + 6)] == 0) {
            pendingString = cell;
            continue;
        } else if (book[qsizetype(data + 6)] == 1) {
            cell.text = book[qsizetype(data + 8)] ? "TRUE" : "FALSE";
        }
        if (!cell.text.isEmpty())
            out.append(cell);
    }
    return out;
}

void putLe16(QByteArray& b, qint64 at, quint16 v)
{
    b[qsizetype(at)] = char(v & 0xFF);
    b[qsizetype(at + 1)] = char(v >> 8);
}

void putLe32(QByteArray& b, qint64 at, quint32 v)
{
    putLe16(b, at, quint16(v & 0xFFFF));
    putLe16(b, at + 2, quint16(v >> 16));
}

// The workbook stream with what libfreexl cannot take made harmless: a text
// cell of no characters (LABEL, which SheetJS writes for every empty
// string) stops it, as it cannot convert an empty text, so such a record
// becomes a blank cell of the same length, and no offset in the stream
// moves.
QByteArray withoutEmptyLabels(QByteArray book)
{
    for (qint64 at = 0; at + 4 <= book.size();) {
        const quint16 type = le16(book, at), length = le16(book, at + 2);
        if (type == 0x0204 && length >= 8 && le16(book, at + 4 + 6) == 0)
            putLe16(book, at, 0x0201);
        at += 4 + length;
    }
    return book;
}

// The strings of a shared string table, from the bodies of its SST record
// and the CONTINUE records after it; nullopt when they do not hold the
// strings the table counts. A string's characters may go on in the next
// record, which then starts with their width; its formatting runs and
// phonetic data are passed over.
std::optional<QStringList> sharedStrings(const QList<QByteArray>& bodies)
{
    if (bodies.isEmpty() || bodies.first().size() < 8)
        return std::nullopt;
    qsizetype body = 0;
    qint64 at = 8;
    const auto skip = [&](qint64 n, QByteArray* into) {
        while (n > 0) {
            if (at >= bodies[body].size()) {
                if (++body >= bodies.size())
                    return false;
                at = 0;
                continue;
            }
            const qint64 take = std::min<qint64>(n, bodies[body].size() - at);
            if (into)
                into->append(bodies[body].mid(qsizetype(at), qsizetype(take)));
            at += take;
            n -= take;
        }
        return true;
    };
    QStringList out;
    for (quint32 i = 0, count = le32(bodies.first(), 4); i < count; ++i) {
        QByteArray head;
        if (!skip(3, &head))
            return std::nullopt;
        qint64 chars = le16(head, 0);
        const quint8 flags = quint8(head[2]);
        QByteArray runs, phonetic;
        if (((flags & 0x08) && !skip(2, &runs)) || ((flags & 0x04) && !skip(4, &phonetic)))
            return std::nullopt;
        bool wide = flags & 0x01;
        QString text;
        while (chars > 0) {
            if (at >= bodies[body].size()) {
                if (++body >= bodies.size() || bodies[body].isEmpty())
                    return std::nullopt;
                wide = bodies[body][0] & 0x01;
                at = 1;
                continue;
            }
            const int width = wide ? 2 : 1;
            const qint64 fit = std::min<qint64>(chars, (bodies[body].size() - at) / width);
            if (fit == 0)
                return std::nullopt; // a character cut by the record's end
            const QByteArray raw = bodies[body].mid(qsizetype(at), qsizetype(fit * width));
            text += wide ? QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.constData()),
                                              raw.size() / 2)
                         : QString::fromLatin1(raw);
            at += fit * width;
            chars -= fit;
        }
        const qint64 extra = (runs.isEmpty() ? 0 : 4 * qint64(le16(runs, 0))) +
                             (phonetic.isEmpty() ? 0 : qint64(le32(phonetic, 0)));
        if (!skip(extra, nullptr))
            return std::nullopt;
        out.append(text);
    }
    return out;
}

// The workbook stream with its shared string table written anew when the
// table holds an empty string, which libfreexl cannot convert and stops at
// (SheetJS writes one for every empty cell): that string becomes a single
// NUL, which reads as empty text, and the sheets' offsets move with the
// table's new length. Every string is written as UTF-16 without
// formatting; one is split across records only when no record holds it.
QByteArray withoutEmptySharedStrings(const QByteArray& book)
{
    constexpr qsizetype kMaxBody = 8224;
    qint64 start = -1, end = -1;
    QList<QByteArray> bodies;
    for (qint64 at = 0; at + 4 <= book.size();) {
        const quint16 type = le16(book, at), length = le16(book, at + 2);
        if (at + 4 + length > book.size())
            break;
        if (start < 0 && type == 0x00FC)
            start = at;
        else if (start >= 0 && type != 0x003C)
            break;
        if (start >= 0) {
            bodies.append(book.mid(qsizetype(at + 4), length));
            end = at + 4 + length;
        }
        at += 4 + length;
    }
    const std::optional<QStringList> strings = sharedStrings(bodies);
    if (!strings || !strings->contains(QString()))
        return book;
    QList<QByteArray> records{bodies.first().left(8)};
    for (const QString& s : *strings) {
        const QString text = s.isEmpty() ? QString(QChar(u'\0')) : s;
        const QByteArray chars(reinterpret_cast<const char*>(text.utf16()),
                               qsizetype(2 * text.size()));
        QByteArray head(3, '\x01');
        putLe16(head, 0, quint16(text.size()));
        const bool fitsHere = records.last().size() + head.size() + chars.size() <= kMaxBody;
        if ((!fitsHere && head.size() + chars.size() <= kMaxBody) ||
            records.last().size() + head.size() + 2 > kMaxBody)
            records.append(QByteArray());
        records.last() += head;
        for (qsizetype done = 0;;) {
            const qsizetype take = std::min<qsizetype>((kMaxBody - records.last().size()) / 2 * 2,
                                                       chars.size() - done);
            records.last() += chars.mid(done, take);
            done += take;
            if (done >= chars.size())
                break;
            records.append(QByteArray(1, '\x01')); // the characters go on, UTF-16
        }
    }
    QByteArray table;
    for (qsizetype i = 0; i < records.size(); ++i) {
        QByteArray head(4, '\0');
        putLe16(head, 0, i == 0 ? 0x00FC : 0x003C);
        putLe16(head, 2, quint16(records[i].size()));
        table += head + records[i];
    }
    QByteArray out = book.left(qsizetype(start)) + table + book.mid(qsizetype(end));
    const qint64 moved = table.size() - (end - start);
    for (qint64 at = 0; at + 4 <= out.size();) {
        const quint16 type = le16(out, at), length = le16(out, at + 2);
        if (type == 0x0085 && length >= 4 && le32(out, at + 4) >= quint32(end))
            putLe32(out, at + 4, quint32(le32(out, at + 4) + moved));
        at += 4 + length;
    }
    return out;
}

// A compound file that holds `book` alone, as the Workbook stream, in
// regular sectors: no mini stream, one chain of allocation-table sectors
// named in the header, one directory sector with the root entry and the
// workbook. Sectors of 512 bytes, or of 4096 when the allocation table
// would not fit in the header's list of 109 sectors (a workbook of some
// 7 MB). Empty when the stream is too big for either.
QByteArray plainContainer(QByteArray book)
{
    constexpr quint32 kFree = 0xFFFFFFFFu, kEnd = 0xFFFFFFFEu, kFatSector = 0xFFFFFFFDu;
    // A stream below the 4096-byte cutoff belongs in the mini stream. The
    // zeros after the last EOF record read as the end of the stream (a
    // record of type 0 and length 0).
    book.append(QByteArray(qsizetype(std::max<qint64>(0, 4096 - book.size())), '\0'));
    const qint64 size = book.size();
    for (const int shift : {9, 12}) {
        const qint64 sectorSize = qint64(1) << shift;
        const qint64 perFat = sectorSize / 4;
        const qint64 bookSectors = (size + sectorSize - 1) / sectorSize;
        // FAT sectors first, then the directory, then the workbook.
        qint64 fatSectors = 1;
        while (fatSectors * perFat < fatSectors + 1 + bookSectors)
            ++fatSectors;
        if (fatSectors > 109)
            continue;
        const qint64 directory = fatSectors, first = fatSectors + 1;
        QByteArray out(qsizetype(sectorSize * (1 + first + bookSectors)), '\0');
        out.replace(0, 8, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
        putLe16(out, 0x18, 0x3E);               // minor version
        putLe16(out, 0x1A, shift == 9 ? 3 : 4); // major version
        putLe16(out, 0x1C, 0xFFFE);             // little-endian
        putLe16(out, 0x1E, quint16(shift));
        putLe16(out, 0x20, 6); // 64-byte mini sectors, though none is used
        putLe32(out, 0x2C, quint32(fatSectors));
        putLe32(out, 0x30, quint32(directory));
        putLe32(out, 0x38, 4096); // the mini stream cutoff
        putLe32(out, 0x3C, kEnd); // no mini FAT
        putLe32(out, 0x44, kEnd); // no further FAT sector list
        for (qint64 i = 0; i < 109; ++i)
            putLe32(out, 0x4C + 4 * i, i < fatSectors ? quint32(i) : kFree);
        const auto sector = [&](qint64 n) { return sectorSize * (n + 1); };
        for (qint64 i = 0; i < fatSectors * perFat; ++i) {
            quint32 next = kFree;
            if (i < fatSectors)
                next = kFatSector;
            else if (i == directory || i == first + bookSectors - 1)
                next = kEnd;
            else if (i > directory && i < first + bookSectors)
                next = quint32(i + 1);
            putLe32(out, sector(i / perFat) + 4 * (i % perFat), next);
        }
        const auto entry = [&](int index, const QString& name, quint8 type, quint32 child,
                               quint32 start, quint32 length) {
            const qint64 at = sector(directory) + 128 * index;
            const QByteArray utf16(reinterpret_cast<const char*>(name.utf16()),
                                   qsizetype(2 * name.size()));
            out.replace(qsizetype(at), utf16.size(), utf16);
            putLe16(out, at + 0x40, name.isEmpty() ? 0 : quint16(utf16.size() + 2));
            out[qsizetype(at + 0x42)] = char(type);
            out[qsizetype(at + 0x43)] = char(type ? 1 : 0); // black
            putLe32(out, at + 0x44, kFree);                 // no siblings
            putLe32(out, at + 0x48, kFree);
            putLe32(out, at + 0x4C, child);
            putLe32(out, at + 0x74, start);
            putLe32(out, at + 0x78, length);
        };
        entry(0, QStringLiteral("Root Entry"), 5, 1, kEnd, 0);
        entry(1, QStringLiteral("Workbook"), 2, kFree, quint32(first), quint32(size));
        for (int i = 2; i < sectorSize / 128; ++i)
            entry(i, QString(), 0, kFree, 0, 0);
        out.replace(qsizetype(sector(first)), qsizetype(size), book);
        return out;
    }
    return {};
}

// libfreexl's handle of a workbook it read whole, its first sheet chosen
// and measured, or its error. It can answer "OK" without a handle for a
// workbook it gave up on half way.
int openXls(const QString& path, const void** handle, unsigned int* rows, unsigned short* columns)
{
    *handle = nullptr;
    int opened = freexl_open(QFile::encodeName(path).constData(), handle);
    if (opened == FREEXL_OK && !*handle)
        opened = FREEXL_NULL_HANDLE;
    if (opened == FREEXL_OK)
        opened = freexl_select_active_worksheet(*handle, 0);
    if (opened == FREEXL_OK)
        opened = freexl_worksheet_dimensions(*handle, rows, columns);
    if (opened != FREEXL_OK && *handle) {
        freexl_close(*handle);
        *handle = nullptr;
    }
    return opened;
}

platform::Result<SheetRows> readXls(const QString& path)
{
    QByteArray book;
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return platform::Fail(QStringLiteral("엑셀 파일을 읽을 수 없습니다: ") + path);
        book = workbookStream(f.readAll());
    }
    const void* handle = nullptr;
    unsigned int rowCount = 0;
    unsigned short columnCount = 0;
    int opened = openXls(path, &handle, &rowCount, &columnCount);
    const auto close = [&] {
        if (handle)
            freexl_close(handle);
    };
    if (opened != FREEXL_OK && !book.isEmpty()) {
        // The container is one libfreexl cannot follow (a small workbook
        // in the mini stream, a root entry named otherwise) or the stream
        // holds what it stops at: the workbook as this reader found it,
        // mended, in a plain container of its own. libfreexl reads the
        // whole file when it opens it, so the copy goes at once.
        const QByteArray plain =
            plainContainer(withoutEmptySharedStrings(withoutEmptyLabels(book)));
        QTemporaryFile copy(QDir::tempPath() + QStringLiteral("/pelmar-sheet-XXXXXX.xls"));
        if (!plain.isEmpty() && copy.open() && copy.write(plain) == plain.size() && copy.flush() &&
            openXls(copy.fileName(), &handle, &rowCount, &columnCount) == FREEXL_OK)
            opened = FREEXL_OK;
    }
    if (opened == FREEXL_INVALID_MINI_STREAM || opened == FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY) {
        // The workbook in the container's mini stream was read neither by
        // libfreexl nor from this reader's copy of it.
        return platform::Fail(QStringLiteral("엑셀 파일을 읽을 수 없습니다: ") + path +
                              QStringLiteral("\n파일 안의 작은 스트림(미니 스트림)을 읽지 "
                                             "못했습니다. 파일을 .xlsx 또는 .ods로 다시 저장해 "
                                             "주십시오."));
    }
    if (opened != FREEXL_OK)
        return platform::Fail(QStringLiteral("엑셀 파일을 읽을 수 없습니다: ") + path);
    // The dimensions come first, so a sheet beyond the limits is refused
    // before a cell is read.
    if (rowCount > unsigned(kMaxSheetRows) || columnCount > kMaxSheetColumns) {
        close();
        return platform::Fail(tooLargeText(path));
    }
    CellTable table;
    try {
        for (unsigned int r = 0; r < rowCount; ++r) {
            for (unsigned short c = 0; c < columnCount; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK)
                    continue;
                QString text;
                switch (v.type) {
                case FREEXL_CELL_INT:
                    text = QString::number(v.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    text = NumberText(v.value.double_value);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME:
                    text = QString::fromUtf8(v.value.text_value);
                    break;
                default:
                    break;
                }
                table.set(row_t(r), col_t(c), std::move(text));
            }
        }
        for (const FormulaCell& f : xlsFormulaResults(book))
            if (f.row < int(rowCount) && f.col < int(columnCount))
                table.set(row_t(f.row), col_t(f.col), f.text);
    } catch (const SheetTooLarge&) {
        close();
        return platform::Fail(tooLargeText(path));
    }
    close();
    SheetRows rows = table.take();
    dropBlankTail(rows);
    return rows;
}

constexpr char kAnswerMagic[] = "PSHEET1";

} // namespace

QString NumberText(double value)
{
    if (!std::isfinite(value))
        return QString();
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

platform::Result<SheetRows> ReadSheetFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return platform::Fail(QStringLiteral("파일이 없습니다: ") + path);
    if (info.size() > kMaxFileBytes)
        return platform::Fail(QStringLiteral("파일이 너무 큽니다: ") + path);
    const QString suffix = info.suffix().toLower();
    if (suffix == "xls")
        return readXls(path);
    Parts parts;
    if (suffix == "xlsx" || suffix == "ods") {
        const auto entries = platform::ReadZipDirectory(path);
        if (!entries)
            return platform::Fail(QStringLiteral("엑셀 파일을 읽을 수 없습니다: ") +
                                  entries.error());
        qint64 total = 0;
        for (const platform::ZipEntry& e : *entries) {
            // No part of a real archive is bigger packed than the archive.
            if (e.compressedSize < 0 || e.compressedSize > info.size())
                return platform::Fail(QStringLiteral("엑셀 파일을 읽을 수 없습니다: ") + path);
            if (e.size < 0 || e.size > kMaxUnpackedBytes - total)
                return platform::Fail(QStringLiteral("파일이 너무 큽니다: ") + path);
            total += e.size;
        }
        // The parser trusts its parts: a damaged one (a wrong checksum,
        // XML that is not well formed) can stop the program inside it.
        // The XML parts are kept: some cells and settings are read from
        // them besides the filter.
        const platform::Result<> checked =
            platform::ReadZipEntries(path, [&](const QString& name, const QByteArray& bytes) {
                if (!name.endsWith(".xml", Qt::CaseInsensitive) &&
                    !name.endsWith(".rels", Qt::CaseInsensitive))
                    return true;
                QXmlStreamReader xml(bytes);
                while (!xml.atEnd())
                    xml.readNext();
                parts.insert(name, bytes);
                return !xml.hasError();
            });
        if (!checked)
            return platform::Fail(QStringLiteral("엑셀 파일을 읽을 수 없습니다: ") + path);
    }
    if (suffix == "xlsx" || suffix == "ods" || suffix == "csv")
        return readModel(path, suffix, parts);
    return platform::Fail(QStringLiteral("읽을 수 없는 파일 형식입니다: ") + path);
}

void WriteSheetAnswer(QIODevice& out, const platform::Result<SheetRows>& sheet)
{
    QDataStream s(&out);
    s.writeRawData(kAnswerMagic, sizeof kAnswerMagic);
    s << quint8(sheet ? 1 : 0);
    if (!sheet) {
        s << sheet.error().toUtf8();
        return;
    }
    s << quint32(sheet->size());
    for (const QStringList& row : *sheet) {
        s << quint32(row.size());
        for (const QString& cell : row)
            s << cell.toUtf8();
    }
}

std::optional<platform::Result<SheetRows>> ReadSheetAnswer(const QByteArray& answer)
{
    if (!answer.startsWith(QByteArray(kAnswerMagic, sizeof kAnswerMagic)))
        return std::nullopt;
    QDataStream s(answer);
    s.skipRawData(sizeof kAnswerMagic);
    quint8 ok = 0;
    s >> ok;
    // No count may promise more entries than the bytes left could hold.
    const auto plausible = [&](quint32 n) { return qint64(n) * 4 <= answer.size(); };
    if (ok == 0) {
        QByteArray text;
        s >> text;
        if (s.status() != QDataStream::Ok || !s.atEnd() || text.isEmpty())
            return std::nullopt;
        return platform::Result<SheetRows>(platform::Fail(QString::fromUtf8(text)));
    }
    quint32 count = 0;
    s >> count;
    if (ok != 1 || !plausible(count) || count > quint32(kMaxSheetRows))
        return std::nullopt;
    SheetRows out;
    out.reserve(count);
    for (quint32 r = 0; r < count && s.status() == QDataStream::Ok; ++r) {
        quint32 cells = 0;
        s >> cells;
        if (!plausible(cells) || cells > quint32(kMaxSheetColumns))
            return std::nullopt;
        QStringList row;
        row.reserve(cells);
        for (quint32 c = 0; c < cells && s.status() == QDataStream::Ok; ++c) {
            QByteArray cell;
            s >> cell;
            row.append(QString::fromUtf8(cell));
        }
        out.append(std::move(row));
    }
    if (s.status() != QDataStream::Ok || !s.atEnd())
        return std::nullopt;
    return platform::Result<SheetRows>(std::move(out));
}

} // namespace reports
