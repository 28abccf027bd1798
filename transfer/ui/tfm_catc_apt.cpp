#include "transfer/ui/tfm_catc_apt.h"

#include "shell/codec.h"
#include "shell/import_helpers.h"
#include "shell/ui.h"
#include "store/tdm1.h"
#include "transfer/line_import.h"
#include "transfer/ui/screen_helpers.h"
#include "transfer/ui/tfm_catc_preview.h"
#include "widgets/screen_commands.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace transfer {
namespace {

using C = widgets::ScreenCommands;
enum Column { ItemColumn, StartColumn, SizeColumn, ContentColumn };

// A start or size cell: empty counts as 0, anything else must be a number.
std::optional<int> cellNumber(const QTableWidgetItem* item)
{
    const QString text = item ? item->text().trimmed() : QString();
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

} // namespace

QList<QByteArray> SampleRecords(const QByteArray& bytes, int len, int width, int count)
{
    QList<QByteArray> out;
    const auto fit = [width](QByteArray r) {
        r = shell::LeftBytes(r, width);
        return r + QByteArray(width - r.size(), ' ');
    };
    if (len >= 1) {
        for (qsizetype i = 0; i + len <= bytes.size() && out.size() < count; i += len) {
            QByteArray r = bytes.mid(i, len);
            r.replace('\0', ' ');
            out.append(fit(r));
        }
        return out;
    }
    for (const QByteArray& line : shell::SplitTextLines(bytes)) {
        if (out.size() >= count)
            break;
        out.append(fit(line));
    }
    return out;
}

QStringList RulerLines(int width)
{
    QString tens, units;
    for (int c = 1; c <= width; ++c) {
        tens += c % 10 == 0 ? QString::number(c / 10 % 10) : QStringLiteral(" ");
        units += QString::number(c % 10);
    }
    return {tens, units};
}

LayoutKind TfmCatcApt::LineKind(store::TDM1& dm, shell::Ui& ui)
{
    LayoutKind k;
    k.objectName = "TfmCatcApt";
    k.caption = QStringLiteral("Veltrin 자료변환");
    for (int i = 0; i < ItemCount; ++i)
        k.items.append(LayoutItemName(i));
    const auto toEditor = [](const ImportLayout& l) {
        EditorLayout e{l.Name, l.Len, {}, {}};
        for (int i = 0; i < ItemCount; ++i) {
            e.start.append(l.start[i]);
            e.size.append(l.size[i]);
        }
        return e;
    };
    const auto fromEditor = [](const EditorLayout& e) {
        ImportLayout l;
        l.Name = e.name;
        l.Len = e.len;
        for (int i = 0; i < ItemCount; ++i) {
            l.start[i] = e.start.value(i);
            l.size[i] = e.size.value(i);
        }
        return l;
    };
    k.list = [&dm, toEditor] {
        QList<EditorLayout> out;
        for (const ImportLayout& l : ReadLayouts(dm))
            out.append(toEditor(l));
        return out;
    };
    k.save = [&dm, &ui, fromEditor](const EditorLayout& e, const QString& oldName) {
        return SaveLayout(dm, ui, fromEditor(e), oldName);
    };
    k.remove = [&dm](const QString& name) { return DeleteLayout(dm, name); };
    k.preview = [&ui, fromEditor, items = k.items](const EditorLayout& e, const QString& file,
                                                   QWidget* parent) {
        const ImportLayout layout = fromEditor(e);
        const platform::Result<shell::ImportPreview> p = PreviewLines(layout, file);
        if (!p) {
            ui.ShowError(p.error());
            return false;
        }
        QStringList headings;
        for (int i = 0; i < ItemCount; ++i)
            if (layout.start[i] != 0 && layout.size[i] != 0)
                headings.append(items[i]);
        TfmCatcPreview preview(ui, headings, parent);
        preview.ShowPreview(*p);
        return preview.exec() == QDialog::Accepted;
    };
    return k;
}

TfmCatcApt::TfmCatcApt(shell::Ui& ui, LayoutKind kind, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_kind(std::move(kind))
{
    setObjectName(m_kind.objectName);
    setWindowTitle(m_kind.caption);

    m_list = new QListWidget(this);
    m_list->setMaximumWidth(200);
    m_name = new QLineEdit(this);
    m_name->setMaxLength(20);
    m_len = new QLineEdit(this);
    m_len->setValidator(new QIntValidator(0, 32767, m_len));

    m_grid = new QTableWidget(int(m_kind.items.size()), 4, this);
    m_grid->setHorizontalHeaderLabels({" ", "시 작", "크 기", "내      용"});
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(22);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setColumnWidth(ItemColumn, 90);
    m_grid->setColumnWidth(StartColumn, 60);
    m_grid->setColumnWidth(SizeColumn, 60);
    m_grid->installEventFilter(this);
    for (int r = 0; r < m_kind.items.size(); ++r) {
        auto* item = new QTableWidgetItem(m_kind.items[r]);
        item->setFlags(Qt::ItemIsEnabled);
        m_grid->setItem(r, ItemColumn, item);
        for (int c : {StartColumn, SizeColumn}) {
            auto* cell = new QTableWidgetItem;
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_grid->setItem(r, c, cell);
        }
        // The content is shown, never chosen.
        auto* content = new QTableWidgetItem;
        content->setFlags(Qt::ItemIsEnabled);
        m_grid->setItem(r, ContentColumn, content);
    }

    m_ruler = new QPlainTextEdit(this);
    m_ruler->setReadOnly(true);
    m_ruler->setFont(FixedPitchFont());
    m_ruler->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_ruler->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_ruler->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_ruler->setFixedHeight(QFontMetrics(FixedPitchFont()).lineSpacing() * 2 + 12);
    m_ruler->setPlainText(RulerLines(m_kind.sampleWidth).join("\n"));
    m_sample = new QPlainTextEdit(this);
    m_sample->setReadOnly(true);
    m_sample->setFont(FixedPitchFont());
    m_sample->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Hangul fallback glyphs make the lines taller than the font says.
    m_sample->setFixedHeight(QFontMetrics(FixedPitchFont()).lineSpacing() * 8 + 12);
    connect(m_sample->horizontalScrollBar(), &QScrollBar::valueChanged,
            m_ruler->horizontalScrollBar(), &QScrollBar::setValue);
    connect(m_sample, &QPlainTextEdit::selectionChanged, this, [this] {
        const QTextCursor c = m_sample->textCursor();
        if (m_editing && c.hasSelection())
            SelectSample(c.selectionStart(), c.selectionEnd() - c.selectionStart());
    });

    m_commands = new C(this);
    CompactToolBar(m_commands->toolBar());
    m_commands->action(C::Close)->setText(QStringLiteral("종 료"));
    QMenu* fileMenu = nullptr;
    if (m_kind.spreadsheet) {
        fileMenu = new QMenu(this);
        connect(fileMenu->addAction(QStringLiteral("엑셀파일(*.xls)")), &QAction::triggered, this,
                &TfmCatcApt::ChooseFileClick);
    }
    m_extras[ChooseFile] = m_commands->addCommand("화일선택", QKeySequence(Qt::CTRL | Qt::Key_F),
                                                  QStyle::SP_DirOpenIcon, C::Save, fileMenu);
    m_extras[Convert] = m_commands->addCommand("자료변환", QKeySequence(Qt::CTRL | Qt::Key_O),
                                               QStyle::SP_DialogApplyButton, C::Save);
    m_commands->attachContextMenu(m_grid);
    if (fileMenu)
        connect(m_extras[ChooseFile], &QAction::triggered, this, [this, fileMenu] {
            PopupBelow(m_commands->toolBar(), m_extras[ChooseFile], fileMenu);
        });
    else
        connect(m_extras[ChooseFile], &QAction::triggered, this, &TfmCatcApt::ChooseFileClick);
    connect(m_extras[Convert], &QAction::triggered, this, &TfmCatcApt::ConvertClick);
    m_commands->setHandlers({[this] { BtnInsertClick(); }, [this] { BtnEditClick(); },
                             [this] { BtnDeleteClick(); }, [this] { BtnSaveClick(); },
                             [this] { BtnCancelClick(); }, [this] { BtnCloseClick(); }});

    connect(m_list, &QListWidget::currentRowChanged, this, [this] {
        if (!m_editing)
            showLayout();
    });
    connect(m_grid, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!m_filling && (item->column() == StartColumn || item->column() == SizeColumn)) {
            refreshContent(item->row());
            highlight(item->row());
        }
    });
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row) { highlight(row); });
    // Enter in an open cell commits it and moves on like Enter on the grid.
    connect(m_grid->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
                if (hint == QAbstractItemDelegate::SubmitModelCache)
                    QMetaObject::invokeMethod(
                        this, [this] { moveToNextCell(); }, Qt::QueuedConnection);
            });

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("자  료  명  칭"), m_name);
    fields->addRow(QStringLiteral("레코드길이"), m_len);
    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addWidget(m_grid, 1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_list);
    middle->addLayout(right, 1);
    auto* top = new QVBoxLayout(this);
    top->addWidget(m_commands->toolBar());
    top->addLayout(middle, 1);
    top->addWidget(m_ruler);
    top->addWidget(m_sample);
    resize(900, 620);

    reload();
    setEditing(false);
}

const EditorLayout* TfmCatcApt::current() const
{
    const int r = m_list->currentRow();
    return r >= 0 && r < m_layouts.size() ? &m_layouts[r] : nullptr;
}

void TfmCatcApt::reload(const QString& select)
{
    m_layouts = m_kind.list();
    const QSignalBlocker block(m_list);
    m_list->clear();
    int chosen = m_layouts.isEmpty() ? -1 : 0;
    for (int i = 0; i < m_layouts.size(); ++i) {
        m_list->addItem(m_layouts[i].name);
        if (m_layouts[i].name == select)
            chosen = i;
    }
    m_list->setCurrentRow(chosen);
    showLayout();
}

void TfmCatcApt::showLayout()
{
    const EditorLayout* l = m_editing ? &m_row : current();
    m_filling = true;
    m_name->setText(l ? l->name : QString());
    m_len->setText(l ? QString::number(l->len) : QString());
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        m_grid->item(r, StartColumn)->setText(l ? QString::number(l->start.value(r)) : QString());
        m_grid->item(r, SizeColumn)->setText(l ? QString::number(l->size.value(r)) : QString());
    }
    m_filling = false;
    for (int r = 0; r < m_grid->rowCount(); ++r)
        refreshContent(r);
    highlight(m_grid->currentRow());
}

void TfmCatcApt::setEditing(bool on)
{
    m_editing = on;
    m_name->setEnabled(on);
    m_len->setEnabled(on);
    m_list->setEnabled(!on);
    m_grid->setEditTriggers(on ? QAbstractItemView::AllEditTriggers
                               : QAbstractItemView::NoEditTriggers);
    updateCommands();
}

void TfmCatcApt::updateCommands()
{
    if (m_editing) {
        m_commands->setEditing();
        m_commands->action(C::Close)->setEnabled(false);
        for (QAction* a : m_extras)
            a->setEnabled(false);
        return;
    }
    const bool none = m_layouts.isEmpty();
    m_commands->setBrowse(none);
    m_commands->action(C::Close)->setEnabled(true);
    m_extras[ChooseFile]->setEnabled(!none);
    m_extras[Convert]->setEnabled(!none);
}

void TfmCatcApt::BtnInsertClick()
{
    if (m_editing)
        return;
    EditorLayout row;
    for (int i = 0; i < m_kind.items.size(); ++i) {
        row.start.append(0);
        row.size.append(0);
    }
    startEditing(row, true);
}

void TfmCatcApt::BtnEditClick()
{
    if (m_editing || !current())
        return;
    startEditing(*current(), false);
}

void TfmCatcApt::startEditing(const EditorLayout& row, bool isNew)
{
    m_row = row;
    m_oldName = isNew ? QString() : m_row.name;
    m_isNew = isNew;
    setEditing(true);
    showLayout();
    m_name->setFocus();
}

void TfmCatcApt::BtnDeleteClick()
{
    if (m_editing || !current())
        return;
    if (!m_ui.Confirm(QStringLiteral("선택된 설정 내역을 삭제하시겠습니까?"), false))
        return;
    m_kind.remove(current()->name);
    reload();
    updateCommands();
}

void TfmCatcApt::BtnSaveClick()
{
    if (!m_editing)
        return;
    m_grid->setCurrentCell(m_grid->currentRow(), ItemColumn); // ends a cell edit
    EditorLayout l;
    l.name = m_name->text().trimmed();
    l.len = m_len->text().trimmed().toInt();
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        l.start.append(cellNumber(m_grid->item(r, StartColumn)).value_or(0));
        l.size.append(cellNumber(m_grid->item(r, SizeColumn)).value_or(0));
    }
    if (!m_kind.save(l, m_oldName)) {
        m_name->setFocus();
        return;
    }
    setEditing(false);
    reload(l.name);
    if (!m_kind.spreadsheet)
        ChooseFileClick();
    updateCommands();
}

void TfmCatcApt::BtnCancelClick()
{
    if (!m_editing)
        return;
    setEditing(false);
    showLayout();
}

bool TfmCatcApt::ChooseFileClick()
{
    const std::optional<QString> file =
        m_kind.spreadsheet
            ? m_ui.ChooseOpenFile(QStringLiteral("화일선택"), QString(),
                                  "엑셀 (*.xls *.xlsx *.ods *.csv)")
            : m_ui.ChooseOpenFile(QStringLiteral("화일선택"), QString(),
                                  "모든 파일 (*.*);;*.TXT (*.TXT *.txt);;*.CAP (*.CAP *.cap)");
    if (!file)
        return false;
    m_file = *file;
    if (m_kind.spreadsheet) {
        if (current() && m_kind.preview(*current(), m_file, this))
            accept();
        return true;
    }
    readSample();
    return true;
}

void TfmCatcApt::readSample()
{
    const platform::Result<QByteArray> bytes = shell::ReadCp949File(m_file);
    const int len = m_editing ? m_len->text().toInt() : (current() ? current()->len : 0);
    const QList<QByteArray> records =
        bytes ? SampleRecords(*bytes, len, m_kind.sampleWidth) : QList<QByteArray>();
    m_firstLine = records.value(0);
    QStringList lines;
    for (const QByteArray& r : records)
        lines.append(shell::FromCp949(r));
    m_sample->setPlainText(lines.join("\n"));
    for (int r = 0; r < m_grid->rowCount(); ++r)
        refreshContent(r);
    highlight(m_grid->currentRow());
}

QString TfmCatcApt::ContentOf(int row) const
{
    const std::optional<int> start = cellNumber(m_grid->item(row, StartColumn));
    const std::optional<int> size = cellNumber(m_grid->item(row, SizeColumn));
    if (!start || !size)
        return QStringLiteral("설정값 오류 !!");
    const int from = std::min(std::max(*start, 1), int(m_firstLine.size()) + 1) - 1;
    return shell::FromCp949(shell::MidBytes(m_firstLine, from, std::max(*size, 0)));
}

void TfmCatcApt::refreshContent(int row)
{
    if (row < 0 || row >= m_grid->rowCount())
        return;
    const QSignalBlocker block(m_grid);
    m_grid->item(row, ContentColumn)->setText(ContentOf(row));
}

void TfmCatcApt::highlight(int row)
{
    QList<QTextEdit::ExtraSelection> marks;
    const std::optional<int> start =
        row >= 0 ? cellNumber(m_grid->item(row, StartColumn)) : std::nullopt;
    const std::optional<int> size =
        row >= 0 ? cellNumber(m_grid->item(row, SizeColumn)) : std::nullopt;
    if (start && size && *start >= 1 && *size > 0 && !m_firstLine.isEmpty()) {
        // Byte positions to character positions of the first line.
        const int from = int(shell::FromCp949(shell::LeftBytes(m_firstLine, *start - 1)).size());
        const int to =
            int(shell::FromCp949(shell::LeftBytes(m_firstLine, *start - 1 + *size)).size());
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(m_sample->document());
        mark.cursor.setPosition(from);
        mark.cursor.setPosition(std::max(to, from), QTextCursor::KeepAnchor);
        mark.format.setBackground(QColor(255, 230, 120));
        marks.append(mark);
    }
    m_sample->setExtraSelections(marks);
}

void TfmCatcApt::SelectSample(int from, int length)
{
    const QString first = shell::FromCp949(m_firstLine);
    const int row = m_grid->currentRow();
    if (!m_editing || row < 0)
        return;
    if (from + length > first.size()) {
        QApplication::beep();
        return;
    }
    m_grid->item(row, StartColumn)
        ->setText(QString::number(shell::Cp949Length(first.left(from)) + 1));
    m_grid->item(row, SizeColumn)
        ->setText(QString::number(shell::Cp949Length(first.mid(from, length))));
}

void TfmCatcApt::ConvertClick()
{
    if (m_editing || !current())
        return;
    if (m_kind.spreadsheet) {
        // The consent layouts read spreadsheets, chosen through 화일선택.
        m_ui.ShowInfo(QStringLiteral("파일을 선택하십시요!"));
        return;
    }
    if (m_file.isEmpty() && !ChooseFileClick())
        return;
    if (m_kind.preview(*current(), m_file, this))
        accept();
}

void TfmCatcApt::BtnCloseClick()
{
    if (m_editing)
        return;
    QDialog::reject();
}

void TfmCatcApt::reject()
{
    // Esc cancels an edit; it closes the editor only when browsing.
    if (m_editing) {
        BtnCancelClick();
        return;
    }
    QDialog::reject();
}

void TfmCatcApt::moveToNextCell()
{
    // Start, then size, then the next row's start, round to the top.
    int row = std::max(m_grid->currentRow(), 0);
    const int column = m_grid->currentColumn() == StartColumn ? SizeColumn : StartColumn;
    if (column == StartColumn)
        row = (row + 1) % m_grid->rowCount();
    m_grid->setCurrentCell(row, column);
}

bool TfmCatcApt::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress && m_editing) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            moveToNextCell();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace transfer
