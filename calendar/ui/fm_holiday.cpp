#include "calendar/ui/fm_holiday.h"

#include "shell/clock.h"
#include "shell/ui.h"
#include "widgets/field_validator.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFont>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace calendar {
namespace {

const QStringList kHints = {
    "휴무일 추가 또는 영업일 지정[Ctrl-I]", "선택한 날 확인, 다시 영업 또는 이름 변경[Ctrl-E]",
    "지점이 등록한 날 삭제[Ctrl-D]",        "입력 또는 수정한 내용 저장 [Ctrl-S]",
    "입력 또는 수정한 내용 취소[Esc]",      "화면 닫기[Ctrl-F4]",
};

QString WeekdayText(const QDate& date)
{
    static const QStringList names = {"월", "화", "수", "목", "금", "토", "일"};
    return names.value(date.dayOfWeek() - 1);
}

} // namespace

FmHoliday::FmHoliday(QSqlDatabase db, shell::Ui& ui, const QString& title, bool viewOnly,
                     QWidget* parent)
    : CodeScreen(title, "fmHoliday", viewOnly, kHints, parent), m_db(std::move(db)), m_ui(ui)
{

    m_year = new QSpinBox(this);
    m_year->setRange(1900, 2100);
    m_year->setValue(shell::Today().year());

    QTableWidget* grid = makeGrid({"날    짜", "요일", "구  분", "출  처", "이       름"});
    grid->setColumnWidth(0, 100);
    grid->setColumnWidth(1, 40);
    grid->setColumnWidth(2, 60);
    grid->setColumnWidth(3, 60);

    m_date = new QDateEdit(this);
    m_date->setDisplayFormat("yyyy-MM-dd");
    m_date->setDateRange(QDate(1900, 1, 1), QDate(2100, 12, 31));
    m_date->setCalendarPopup(true);
    m_kind = new QComboBox(this);
    m_kind->addItems({KindText(true), KindText(false)});
    m_name = new QLineEdit(this);
    m_name->setValidator(new widgets::FieldValidator(40, false, m_name));

    auto* yearRow = new QHBoxLayout;
    yearRow->addWidget(new QLabel("연  도", this));
    yearRow->addWidget(m_year);
    auto* legend = new QLabel("출처 - 고정: 고정 휴일, 음력: 음력 휴일, 공고: 발표된 휴일, "
                              "계산: 규정으로 계산한 대체공휴일 (지점 확인 전), 지점: 지점 등록",
                              this);
    legend->setStyleSheet("color: #555");
    legend->setWordWrap(true);
    yearRow->addWidget(legend, 1);

    auto* form = new QFormLayout;
    form->addRow("날    짜", m_date);
    form->addRow("구    분", m_kind);
    form->addRow("이    름", m_name);

    auto* top = new QVBoxLayout(this);
    top->addWidget(commands()->toolBar());
    top->addLayout(yearRow);
    top->addLayout(form);
    top->addWidget(grid, 1);
    resize(600, 560);

    wire();
    connect(m_year, &QSpinBox::valueChanged, this, [this] {
        if (!commands()->editing())
            reload();
    });
    reload();
}

FmHoliday::~FmHoliday() = default;

const CalendarDay* FmHoliday::current() const
{
    return currentOf(m_days);
}

void FmHoliday::reload(const QDate& select)
{
    QSqlDatabase db = m_db;
    const std::optional<BusinessCalendar> calendar = LoadBusinessCalendar(db, m_ui);
    // A calendar that did not read lists nothing rather than the fixed rules alone.
    m_days = calendar ? calendar->yearList(m_year->value()) : QList<CalendarDay>();
    grid()->setRowCount(int(m_days.size()));
    int selectRow = m_days.isEmpty() ? -1 : 0;
    for (int i = 0; i < m_days.size(); ++i) {
        const CalendarDay& d = m_days[i];
        const QStringList cells = {d.date.toString(Qt::ISODate), WeekdayText(d.date),
                                   KindText(d.closed), SourceText(d.source), d.name};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            // A computed day stands out until the branch confirms, re-opens
            // or replaces it with a row of its own.
            if (d.source == DaySource::Computed) {
                item->setForeground(QColor(Qt::blue));
                QFont font = item->font();
                font.setItalic(true);
                item->setFont(font);
                item->setToolTip("규정으로 계산한 날입니다. 수정하여 저장하면 지점이 확인한 "
                                 "날이 됩니다.");
            } else if (!d.closed) {
                item->setForeground(QColor(Qt::darkGreen));
            }
            grid()->setItem(i, c, item);
        }
        if (d.date == select)
            selectRow = i;
    }
    browseFrom(selectRow);
}

void FmHoliday::showRow(int row)
{
    const CalendarDay& d = rowOrBlank(m_days, row);
    m_date->setDate(d.date.isValid() ? d.date : QDate(m_year->value(), 1, 1));
    m_kind->setCurrentIndex(d.date.isValid() && !d.closed ? 1 : 0);
    m_name->setText(d.name);
}

void FmHoliday::setEditing(bool on)
{
    m_date->setEnabled(on && m_isNew);
    m_kind->setEnabled(on);
    m_name->setEnabled(on);
    m_year->setEnabled(!on);
    setCommandsEditing(on, m_isNew ? static_cast<QWidget*>(m_date) : m_kind, m_days.isEmpty());
    if (on)
        return;
    // Only the branch's own rows can go.
    commands()
        ->action(widgets::ScreenCommands::Delete)
        ->setEnabled(!commands()->viewOnly() && current() &&
                     current()->source == DaySource::Branch);
}

void FmHoliday::BtnInsertClick()
{
    if (!allowed(widgets::ScreenCommands::Insert))
        return;
    m_isNew = true;
    grid()->clearSelection();
    m_date->setDate(current() ? current()->date : QDate(m_year->value(), 1, 1));
    m_kind->setCurrentIndex(0);
    m_name->clear();
    setEditing(true);
}

void FmHoliday::BtnEditClick()
{
    if (!allowed(widgets::ScreenCommands::Edit) || !current())
        return;
    m_isNew = false;
    setEditing(true);
}

void FmHoliday::BtnSaveClick()
{
    if (!commands()->editing())
        return;
    const QDate date = m_isNew ? m_date->date() : current()->date;
    if (!SetBranchDay(m_db, m_ui, date, m_kind->currentIndex() == 0, m_name->text())) {
        m_date->setFocus();
        return;
    }
    m_isNew = false;
    if (date.year() != m_year->value()) {
        const QSignalBlocker quiet(m_year);
        m_year->setValue(date.year());
    }
    reload(date);
}

void FmHoliday::BtnDeleteClick()
{
    const CalendarDay* d = current();
    if (!allowed(widgets::ScreenCommands::Delete) || !d)
        return;
    if (!m_ui.Confirm(d->date.toString(Qt::ISODate) +
                          " 지점 등록을 삭제하시겠습니까?\r삭제하면 원래의 휴일 규정을 따릅니다.",
                      false))
        return;
    const QDate date = d->date;
    if (RemoveBranchDay(m_db, m_ui, date))
        reload(date);
}

} // namespace calendar
