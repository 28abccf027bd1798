#include "audit/ui/tfm_change_record.h"

#include "audit/record.h"
#include "codes/code_lists.h"
#include "reports/print/print_layouts.h"
#include "reports/spreadsheet_writer.h"
#include "reports/ui/tfm_print_option.h"
#include "shell/clock.h"
#include "shell/log.h"
#include "shell/ui.h"
#include "shell/workspace.h"
#include "widgets/first_show.h"
#include "widgets/list_grid.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <QTableWidget>
#include <QVBoxLayout>

namespace audit {
namespace {

const QString kTitle = QStringLiteral("변경 이력 조회");

QComboBox* newChoice(QWidget* parent, int width)
{
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->lineEdit()->setPlaceholderText(QStringLiteral("전체"));
    box->setMinimumWidth(width);
    box->addItem(QString());
    return box;
}

// Adds what the record named that the list lacks, keeping the typed text.
void offer(QComboBox* box, const QSet<QString>& seen)
{
    const QString typed = box->currentText();
    QStringList add;
    for (const QString& s : seen)
        if (!s.isEmpty() && box->findText(s, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
            add.append(s);
    add.sort(Qt::CaseInsensitive);
    box->addItems(add);
    box->setEditText(typed);
}

} // namespace

QStringList EntryCells(const Entry& e)
{
    return {e.time, e.user, e.program, e.action, e.table, e.key, e.field, e.oldValue, e.newValue};
}

TfmChangeRecord::TfmChangeRecord(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws,
                                 QWidget* parent)
    : QDialog(parent), m_db(std::move(db)), m_ui(ui), m_ws(ws)
{
    setObjectName("TfmChangeRecord");
    setWindowTitle(kTitle);

    const QDate today = shell::Today();
    const QDate first(today.year(), today.month(), 1);
    m_from = new QDateEdit(first, this);
    m_to = new QDateEdit(first.addMonths(1).addDays(-1), this);
    for (QDateEdit* d : {m_from, m_to}) {
        d->setDisplayFormat("yyyy-MM-dd");
        d->setCalendarPopup(true);
    }
    m_table = newChoice(this, 130);
    m_institution = newChoice(this, 130);
    m_user = newChoice(this, 100);
    m_search = new QLineEdit(this);
    m_search->setPlaceholderText(QStringLiteral("키, 항목, 값에 든 글자"));
    m_search->setMinimumWidth(180);
    codes::CodeLists lists;
    // The record reads without the list; the institution is then typed.
    if (!codes::ReloadCodeLists(m_db, lists))
        m_ui.ShowError(QStringLiteral("기관 목록을 읽지 못했습니다. 기관코드는 직접 입력하십시오."));
    m_institution->addItems(lists.institutions);

    auto* read = new QPushButton(QStringLiteral(" 조 회"), this);
    m_print = new QPushButton(QStringLiteral(" 인 쇄"), this);
    m_export = new QPushButton(QStringLiteral(" 엑 셀"), this);
    auto* close = new QPushButton(QStringLiteral(" 닫 기"), this);
    for (QPushButton* b : {read, m_print, m_export, close})
        b->setAutoDefault(false);
    read->setDefault(true);

    m_grid = widgets::NewListGrid({"시각", "사용자", "프로그램", "작업", "테이블", "키", "항목",
                                   "이전 값", "새 값"},
                                  this);
    // One line an entry: a whole inserted row is cut here and shown whole
    // in the cell's tooltip.
    m_grid->setWordWrap(false);
    const int widths[] = {140, 70, 80, 60, 100, 150, 80, 160};
    for (int c = 0; c < int(std::size(widths)); ++c)
        m_grid->setColumnWidth(c, widths[c]);
    m_status = new QLabel(this);
    m_status->setObjectName("status");
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setWordWrap(true);

    auto* filters = new QGridLayout;
    filters->addWidget(new QLabel(QStringLiteral("기간 :"), this), 0, 0);
    auto* period = new QHBoxLayout;
    period->addWidget(m_from);
    period->addWidget(new QLabel(QStringLiteral("~"), this));
    period->addWidget(m_to);
    filters->addLayout(period, 0, 1);
    filters->addWidget(new QLabel(QStringLiteral("테이블 :"), this), 0, 2);
    filters->addWidget(m_table, 0, 3);
    filters->addWidget(new QLabel(QStringLiteral("기관코드 :"), this), 0, 4);
    filters->addWidget(m_institution, 0, 5);
    filters->addWidget(new QLabel(QStringLiteral("사용자 :"), this), 1, 2);
    filters->addWidget(m_user, 1, 3);
    filters->addWidget(new QLabel(QStringLiteral("검색 :"), this), 1, 4);
    filters->addWidget(m_search, 1, 5);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {read, m_print, m_export, close})
        buttons->addWidget(b);
    auto* head = new QHBoxLayout;
    head->addLayout(filters);
    head->addStretch(1);
    head->addLayout(buttons);
    auto* top = new QVBoxLayout(this);
    top->addLayout(head);
    top->addWidget(m_grid, 1);
    top->addWidget(m_status);
    resize(1180, 700);

    connect(read, &QPushButton::clicked, this, [this] { FormActivate(); });
    connect(m_search, &QLineEdit::returnPressed, this, [this] { FormActivate(); });
    connect(m_print, &QPushButton::clicked, this, &TfmChangeRecord::BtnPrintClick);
    connect(m_export, &QPushButton::clicked, this, &TfmChangeRecord::BtnExportClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void TfmChangeRecord::SetPeriod(const QDate& from, const QDate& to)
{
    m_from->setDate(from);
    m_to->setDate(to);
}

void TfmChangeRecord::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    widgets::ActivateOnFirstShow(this, m_shown, &TfmChangeRecord::activate);
}

Filter TfmChangeRecord::filter() const
{
    Filter f;
    f.from = m_from->date();
    f.to = m_to->date();
    f.table = m_table->currentText().trimmed();
    f.institution = m_institution->currentText().trimmed();
    f.user = m_user->currentText().trimmed();
    f.text = m_search->text().trimmed();
    return f;
}

QString TfmChangeRecord::periodText() const
{
    return m_from->date().toString("yyyy-MM-dd") + " ~ " + m_to->date().toString("yyyy-MM-dd");
}

bool TfmChangeRecord::FormActivate()
{
    m_grid->setRowCount(0);
    m_entries.clear();
    m_print->setEnabled(false);
    m_export->setEnabled(false);
    const Filter f = filter();
    if (f.from > f.to) {
        m_status->setText(QStringLiteral("기간의 시작일이 종료일보다 늦습니다."));
        m_ui.ShowError(m_status->text());
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    platform::Result<std::vector<Entry>> read = ReadEntries(m_db, f);
    if (!read) {
        // An empty grid would read as "nothing changed": say it on the
        // screen and in a message.
        const QString message = QStringLiteral("변경 이력을 읽을 수 없습니다.\r") + read.error();
        m_status->setStyleSheet("color: red");
        m_status->setText(message);
        restore.dismiss();
        QApplication::restoreOverrideCursor();
        shell::WriteLog(message, true);
        m_ui.ShowError(message);
        return false;
    }
    m_entries = std::move(*read);
    m_grid->setRowCount(int(m_entries.size()));
    for (int r = 0; r < int(m_entries.size()); ++r) {
        const QStringList cells = EntryCells(m_entries[size_t(r)]);
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c].size() > 30 ? cells[c] : QString());
            m_grid->setItem(r, c, item);
        }
    }
    if (!m_entries.empty())
        m_grid->setCurrentCell(0, 0);
    m_status->setStyleSheet(QString());
    m_status->setText(m_entries.empty() ? QStringLiteral("조건에 맞는 변경 이력이 없습니다.")
                                        : QString("%1건").arg(m_entries.size()));
    m_print->setEnabled(!m_entries.empty());
    m_export->setEnabled(!m_entries.empty());
    offerSeen();
    return true;
}

void TfmChangeRecord::offerSeen()
{
    QSet<QString> tables, users, institutions;
    for (const Entry& e : m_entries) {
        tables.insert(e.table);
        users.insert(e.user);
        institutions.insert(e.institution);
    }
    offer(m_table, tables);
    offer(m_user, users);
    offer(m_institution, institutions);
}

void TfmChangeRecord::BtnPrintClick()
{
    if (m_entries.empty()) {
        m_ui.ShowInfo(QStringLiteral("출력할 내용이 없습니다."));
        return;
    }
    // The download record, before the pages exist: a preview may be
    // printed from its window.
    const bool preview = !reports::PrinterAvailable();
    if (const platform::Result<> recorded = RecordDownload(
            action::Print, QStringLiteral("변경 이력"),
            kTitle + " " + periodText() + (preview ? " (미리 보기)" : ""), qint64(m_entries.size()));
        !recorded) {
        m_ui.ShowError(recorded.error());
        return;
    }
    const QString title = kTitle + " " + periodText();
    reports::PrintOrPreview(false, this, [this, title](QPrinter* printer) {
        printer->setDocName(reports::ChangeRecordDocName());
        reports::PaintChangeRecord(printer, title, m_entries);
    });
}

void TfmChangeRecord::BtnExportClick()
{
    if (m_entries.empty()) {
        m_ui.ShowInfo(QStringLiteral("출력할 내용이 없습니다."));
        return;
    }
    reports::SheetRows rows;
    rows.reserve(qsizetype(m_entries.size()));
    for (const Entry& e : m_entries)
        rows.append(EntryCells(e));
    reports::ExportToSpreadsheet(m_ui, reports::ExportKind::ChangeRecord, rows, m_ws.tempDir());
}

} // namespace audit
