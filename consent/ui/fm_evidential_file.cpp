#include "consent/ui/fm_evidential_file.h"

#include "shell/clock.h"
#include "shell/ui.h"
#include "widgets/column_memory.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTableWidget>
#include <QVBoxLayout>

namespace consent {

fmEvidentialFile::fmEvidentialFile(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws,
                                   QWidget* parent)
    : QDialog(parent), m_files(db, ui, ws), m_ui(ui), m_ws(ws)
{
    setWindowTitle(QStringLiteral("증빙파일관리"));
    setObjectName("fmEvidentialFile");

    m_institution = new QComboBox(this);
    m_institution->addItem(QStringLiteral("전부"), QString());
    QSqlQuery q(db);
    if (q.exec("select name,apid10  from usercode   group by name,apid10"))
        while (q.next())
            m_institution->addItem(q.value(0).toString(), q.value(1).toString());
    m_institution->setMinimumWidth(180);
    m_code = new QLabel(this);
    m_code->setMinimumWidth(90);
    connect(m_institution, &QComboBox::currentIndexChanged, this,
            [this](int i) { m_code->setText(m_institution->itemData(i).toString()); });

    auto* filterBox = new QGroupBox(QStringLiteral("자료등록구분"), this);
    auto* filterLayout = new QHBoxLayout(filterBox);
    m_filter = new QButtonGroup(this);
    const QString filters[3] = {"전체명단", "자료 미등록자 명단", "자료 등록자 명단"};
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(filters[i], filterBox);
        m_filter->addButton(r, i);
        filterLayout->addWidget(r);
    }
    m_filter->button(0)->setChecked(true);

    m_search = new QComboBox(this);
    m_search->addItems({"이름", "납부자번호", "계좌번호"});
    m_text = new QLineEdit(this);
    auto* query = new QPushButton(QStringLiteral("조회"), this);
    auto* save = new QPushButton(QStringLiteral("저장"), this);
    auto* close = new QPushButton(QStringLiteral("닫기"), this);
    for (QPushButton* b : {query, save, close})
        b->setAutoDefault(false);
    connect(query, &QPushButton::clicked, this, &fmEvidentialFile::BtnQueryClick);
    connect(save, &QPushButton::clicked, this, &fmEvidentialFile::BtnSaveClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_text, &QLineEdit::returnPressed, this, &fmEvidentialFile::BtnQueryClick);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("기관코드"), this));
    top->addWidget(m_institution);
    top->addWidget(m_code);
    top->addWidget(filterBox);
    top->addWidget(new QLabel(QStringLiteral("추가조건"), this));
    top->addWidget(m_search);
    top->addWidget(m_text, 1);
    top->addWidget(query);
    top->addWidget(save);
    top->addWidget(close);

    m_grid = new QTableWidget(0, ColumnCount, this);
    m_grid->setHorizontalHeaderLabels({"성명", "기관코드", "은행코드", "은행명", "계좌번호",
                                       "납부자번호", "실명번호", "증빙파일종류", "증빙파일명",
                                       "최근전송일", "변경사항", "파일전송상태", "파일정상여부"});
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(22);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {70, 90, 60, 90, 120, 90, 95, 90, 190, 80, 60, 85};
    for (int c = 0; c < ColumnCount - 1; ++c)
        m_grid->setColumnWidth(c, widths[c]);
    widgets::RestoreColumns(m_grid->horizontalHeader(), "EvidentialFile");
    connect(m_grid, &QTableWidget::cellClicked, this, [this](int row, int col) {
        if (col == ColKind)
            ChooseKind(row);
    });
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this](int row, int col) {
        if (col == ColFile)
            AttachFile(row);
    });

    auto* notes = new QHBoxLayout;
    auto* warn = new QLabel(
        QStringLiteral("전송하신 증빙 자료는 7일 이내에 1회만 사용이 가능 합니다."), this);
    warn->setStyleSheet("color: #b00000; font-weight: bold");
    auto* how = new QLabel(QStringLiteral("[증빙파일 등록은 증빙파일 종류를 선택 하신 후\n"
                                          "증빙파일명을 빠르게 두번클릭(더블클릭) 하시면 됩니다."),
                           this);
    how->setStyleSheet("color: #1f4e9c");
    notes->addWidget(warn);
    notes->addStretch();
    notes->addWidget(how);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addLayout(notes);
    resize(1240, 640);

    m_files.Open();
}

fmEvidentialFile::~fmEvidentialFile()
{
    widgets::SaveColumns(m_grid->horizontalHeader(), "EvidentialFile");
}

void fmEvidentialFile::BtnQueryClick()
{
    m_rows = m_files.Query(m_institution->currentData().toString(),
                           EvidenceFilter(qMax(0, m_filter->checkedId())),
                           EvidenceSearch(m_search->currentIndex()), m_text->text());
    showRows();
}

void fmEvidentialFile::showRows()
{
    const QDateTime now = shell::Now();
    m_grid->setRowCount(int(m_rows.size()));
    for (int i = 0; i < m_rows.size(); ++i) {
        const EvidenceRow& r = m_rows[i];
        const EvidenceKind* kind = EvidenceKindByCode(r.AUTHTYPE);
        const QStringList cells = {r.NAME,
                                   r.Giganid,
                                   r.Bankcd,
                                   r.BankName,
                                   r.Bankno,
                                   r.NapbuNo,
                                   r.JuminNo,
                                   kind ? kind->name : QString(),
                                   r.AUTHFILE,
                                   r.SENDDATE,
                                   r.changed ? "1" : "",
                                   SendStateText(r.SENDSTATE, r.SENDDATE, now),
                                   FileCheckText(m_ws, r.AUTHFILE)};
        for (int c = 0; c < cells.size(); ++c) {
            if (m_grid->cellWidget(i, c))
                m_grid->removeCellWidget(i, c);
            m_grid->setItem(i, c, new QTableWidgetItem(cells[c]));
        }
    }
}

void fmEvidentialFile::ChooseKind(int row)
{
    if (row < 0 || row >= m_rows.size() || m_grid->cellWidget(row, ColKind))
        return;
    auto* box = new QComboBox(m_grid);
    for (const EvidenceKind& k : EvidenceKinds())
        box->addItem(k.name);
    const EvidenceKind* current = EvidenceKindByCode(m_rows[row].AUTHTYPE);
    box->setCurrentIndex(current ? box->findText(current->name) : -1);
    m_grid->setCellWidget(row, ColKind, box);
    connect(box, &QComboBox::activated, this, [this, row, box](int) {
        const QString name = box->currentText();
        m_grid->removeCellWidget(row, ColKind);
        SetKind(row, name);
    });
    box->showPopup();
}

void fmEvidentialFile::SetKind(int row, const QString& kindName)
{
    const EvidenceKind* kind = EvidenceKindByName(kindName);
    if (!kind || row < 0 || row >= m_rows.size())
        return;
    if (kind->code != m_rows[row].AUTHTYPE.trimmed()) {
        m_rows[row].AUTHTYPE = kind->code;
        m_rows[row].changed = true;
    }
    showRows();
}

void fmEvidentialFile::AttachFile(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    const EvidenceKind* kind = EvidenceKindByCode(m_rows[row].AUTHTYPE);
    if (!kind) {
        m_ui.ShowPlain(QStringLiteral("파일 등록 전에 종류를 선택 하여야 합니다."));
        return;
    }
    const auto path = m_ui.ChooseOpenFile(windowTitle(), QString(), QtFilter(*kind));
    if (!path || path->isEmpty())
        return;
    m_files.Attach(m_rows, row, *path);
    showRows();
}

void fmEvidentialFile::BtnSaveClick()
{
    // After a failure the unsaved choices stay on screen.
    if (m_files.Save(m_rows))
        BtnQueryClick();
}

} // namespace consent
