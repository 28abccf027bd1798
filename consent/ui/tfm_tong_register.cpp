#include "consent/ui/tfm_tong_register.h"

#include "codes/bank_code.h"
#include "codes/code_lists.h"
#include "codes/institution.h"
#include "consent/consent_import.h"
#include "consent/consents_to_review.h"
#include "consent/evidence_transfer.h"
#include "consent/ui/fm_evidential_file.h"
#include "consent/ui/fm_find_register.h"
#include "platform/securelink.h"
#include "reports/spreadsheet_writer.h"
#include "shell/clock.h"
#include "shell/ui.h"
#include "shell/workspace.h"
#include "store/account_numbers.h"
#include "transfer/ui/tfm_catc_apt.h"
#include "transfer/ui/tfm_catc_preview.h"
#include "widgets/column_memory.h"
#include "widgets/field_widgets.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScopeGuard>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace consent {
namespace {

// The button id of the "확인 필요" filter beside the statuses' stored values.
constexpr int kReviewFilter = 100;

const char* const kStatusLabels[store::kConsentStatusCount] = {
    "등록대기(", "등록  중(", "등록완료(", "등록오류(",
    "해지대기(", "해지  중(", "해지완료(", "해지오류("};

QString dateText(const QDateTime& t)
{
    return t.isValid() ? t.toString("yyyy-MM-dd") : QString();
}

QLabel* note(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setStyleSheet("color: #1f4e9c");
    return l;
}

QLineEdit* readOnlyField(QWidget* parent)
{
    auto* e = new QLineEdit(parent);
    e->setReadOnly(true);
    e->setStyleSheet("background: #f0f0f0");
    return e;
}

// A toolbar entry that only opens its drop-down.
QAction* menuAction(QToolBar* bar, QAction* before, const QString& text, QMenu* menu)
{
    auto* action = new QAction(text, bar);
    action->setMenu(menu);
    bar->insertAction(before, action);
    if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action)))
        button->setPopupMode(QToolButton::InstantPopup);
    return action;
}

} // namespace

TfmTongRegister::TfmTongRegister(QSqlDatabase db, shell::Ui& ui, const shell::Workspace& ws,
                                 QWidget* parent)
    : QDialog(parent), m_db(db), m_ui(ui), m_ws(ws), m_register(db, ui)
{
    setWindowTitle(QString::fromUtf8(kConsentRegisterTitle));
    setObjectName("fmTongRegister");

    m_commands = new widgets::ScreenCommands(this);
    QToolBar* bar = m_commands->toolBar();
    m_commands->action(widgets::ScreenCommands::Edit)->setVisible(false);
    m_continuous = new QAction(QStringLiteral("개별입력"), this);
    m_continuous->setCheckable(true);
    bar->insertAction(m_commands->action(widgets::ScreenCommands::Insert), m_continuous);
    connect(m_continuous, &QAction::toggled, this, [this](bool on) {
        m_continuous->setText(on ? QStringLiteral("연속입력") : QStringLiteral("개별입력"));
    });

    QAction* afterDelete = m_commands->action(widgets::ScreenCommands::Save);
    auto* convertMenu = new QMenu(this);
    m_import = convertMenu->addAction(QStringLiteral("데이타 읽기"));
    connect(m_import, &QAction::triggered, this, &TfmTongRegister::ImportClick);
    m_export = convertMenu->addAction(QStringLiteral("엑셀로 내보내기"));
    connect(m_export, &QAction::triggered, this, &TfmTongRegister::ExportClick);
    auto* sortMenu = new QMenu(this);
    m_sorting = widgets::SortChoices(sortMenu,
                                     {{"정렬 안함", int(ConsentOrder::None)},
                                      {"상태+계좌번호", int(ConsentOrder::StatusAccount)},
                                      {"상태+송신일", int(ConsentOrder::StatusSendDate)}},
                                     [this](int order) {
                                         m_sorting.choose(order);
                                         reload();
                                     });

    // The toolbar reads: 개별입력, 입 력, 삭 제, 자료변환, 검 색, 정 렬, 저 장, 취 소, 닫 기.
    m_convert = menuAction(bar, afterDelete, QStringLiteral("자료변환"), convertMenu);
    m_search = new QAction(QStringLiteral("검 색"), this);
    m_search->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(m_search, &QAction::triggered, this, &TfmTongRegister::BtnFindClick);
    bar->insertAction(afterDelete, m_search);
    m_sortMenu = menuAction(bar, afterDelete, QStringLiteral("정 렬"), sortMenu);
    bar->insertSeparator(afterDelete);

    // Entry and status panels.
    auto* entry = new QGroupBox(this);
    buildEntryPanel(entry);

    // Status filter.
    auto* filterBox = new QGroupBox(
        QStringLiteral("상태별 검색 ( [대기] >> [은행송신:등록,해지 중] >> [은행수신:완료,오류] )"),
        this);
    auto* filterLayout = new QGridLayout(filterBox);
    m_statusGroup = new QButtonGroup(this);
    // A button's id is the stored value of the status it filters.
    for (int i = 0; i < store::kConsentStatusCount; ++i) {
        m_status[i] = new QRadioButton(QString::fromUtf8(kStatusLabels[i]) + "0)", filterBox);
        m_statusGroup->addButton(m_status[i], i);
        filterLayout->addWidget(m_status[i], i / 4, i % 4);
    }
    m_all = new QCheckBox(QStringLiteral("전체(0)"), filterBox);
    m_all->setChecked(true);
    filterLayout->addWidget(m_all, 0, 4, 2, 1);
    m_reviewRadio = new QRadioButton(QStringLiteral("확인 필요"), filterBox);
    m_reviewRadio->setToolTip(QStringLiteral(
        "최근 출금이 '동의 확인' 처리결과 코드로 불능된 출금동의 (코드설정 ▸ 불능 처리 규칙)"));
    m_statusGroup->addButton(m_reviewRadio, kReviewFilter);
    filterLayout->addWidget(m_reviewRadio, 2, 0, 1, 4);
    connect(m_statusGroup, &QButtonGroup::idClicked, this, [this](int id) {
        if (id == kReviewFilter)
            FilterReview();
        else
            FilterStatus(store::ConsentStatusFrom(id));
    });
    connect(m_all, &QCheckBox::clicked, this, [this](bool on) {
        if (on)
            FilterStatus(std::nullopt);
        else
            m_all->setChecked(!m_filter.has_value() && !m_review);
    });

    // Grid.
    m_grid = new QTableWidget(0, 10, this);
    m_grid->setHorizontalHeaderLabels({"상태", "성  명", "기관코드", "은 행 명", "계 좌 번 호",
                                       "납부자번호", "실명번호", "송신일", "수신일", "오류코드"});
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(22);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setToolTip(QStringLiteral("[선택은 키보드 CTRL , SHIFT 키를 이용하세요]"));
    const int widths[] = {70, 80, 90, 100, 130, 100, 90, 85, 85};
    for (int c = 0; c < 9; ++c)
        m_grid->setColumnWidth(c, widths[c]);
    widgets::RestoreColumns(m_grid->horizontalHeader(), "TongRegister");
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!m_editing)
            showRow(row);
    });
    connect(m_grid, &QTableWidget::cellClicked, this, [this] {
        refreshSelectionLabel();
        updateDelete();
    });
    connect(m_grid, &QTableWidget::itemSelectionChanged, this, [this] { refreshSelectionLabel(); });

    m_selectionLabel = new QLabel(QStringLiteral("선택갯수:[0]"), this);
    m_selectionLabel->setStyleSheet("color: #b00000; font-weight: bold");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_selectionLabel);
    buttons->addWidget(
        note(QStringLiteral("[선택은  CTRL + 마우스, SHIFT+방향키를 이용하세요]"), this));
    buttons->addStretch();
    const QList<QPair<QString, void (TfmTongRegister::*)()>> defs = {
        {"해지신청(해지대기)", &TfmTongRegister::BtnCancelRequestClick},
        {"등록신청(등록대기)", &TfmTongRegister::BtnRegisterClick},
        {"전체 선택/해제", &TfmTongRegister::BtnSelectAllClick},
        {"주민번호변경", &TfmTongRegister::BtnJuminClick},
        {"증빙파일관리", &TfmTongRegister::BtnEvidenceFilesClick},
        {"증빙파일전송", &TfmTongRegister::BtnEvidenceSendClick},
    };
    for (const auto& [text, slot] : defs) {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
        m_rowButtons.append(b);
    }

    auto* top = new QVBoxLayout(this);
    top->addWidget(bar);
    top->addWidget(entry);
    top->addWidget(filterBox);
    top->addWidget(m_grid, 1);
    top->addLayout(buttons);
    resize(1100, 760);

    m_commands->setHandlers({[this] { BtnInsertClick(); },
                             {},
                             [this] { BtnDeleteClick(); },
                             [this] { BtnSaveClick(); },
                             [this] { BtnCancelClick(); },
                             [this] { reject(); }});
    reload();
}

TfmTongRegister::~TfmTongRegister()
{
    widgets::SaveColumns(m_grid->horizontalHeader(), "TongRegister");
}

void TfmTongRegister::buildEntryPanel(QWidget* panel)
{
    auto* g = new QGridLayout(panel);
    m_bankCode = new QLineEdit(panel);
    m_bankCode->setMaxLength(2);
    m_bankCode->setMaximumWidth(40);
    m_bankName = new QComboBox(panel);
    m_bankName->addItem(QString(), QString());
    for (const codes::BankCodeEntry& b :
         codes::BankCodes(m_db, m_ui, windowTitle()).List().value_or(QList<codes::BankCodeEntry>()))
        m_bankName->addItem(b.Name, b.Id);
    connect(m_bankName, &QComboBox::activated, this,
            [this](int i) { m_bankCode->setText(m_bankName->itemData(i).toString()); });
    connect(m_bankCode, &QLineEdit::textEdited, this, [this](const QString& code) {
        m_bankName->setCurrentIndex(qMax(0, m_bankName->findData(code)));
    });

    const auto digits = [panel](int max) {
        return new QRegularExpressionValidator(QRegularExpression(QString("[0-9]{0,%1}").arg(max)),
                                               panel);
    };
    m_account = new QLineEdit(panel);
    m_account->setValidator(digits(16));
    m_name = new QLineEdit(panel);
    m_name->setMaxLength(10);
    m_institution = new QComboBox(panel);
    m_institution->addItem(QString(), QString());
    for (const codes::Institution& i :
         codes::Institutions(m_db, m_ui).List().value_or(QList<codes::Institution>()))
        m_institution->addItem(i.Name, i.APID10);
    m_institutionCode = readOnlyField(panel);
    m_institutionCode->setMaximumWidth(110);
    connect(m_institution, &QComboBox::activated, this,
            [this](int i) { m_institutionCode->setText(m_institution->itemData(i).toString()); });
    m_requestDate = new QDateEdit(panel);
    m_requestDate->setDisplayFormat("yyyy-MM-dd");
    m_requestDate->setCalendarPopup(true);
    m_jumin = new QLineEdit(panel);
    m_jumin->setValidator(digits(13));
    m_payer = new QLineEdit(panel);
    m_payer->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[A-Za-z0-9]{0,13}"), panel));
    m_autoDay = readOnlyField(panel);
    m_autoDay->setText("0");
    m_autoDay->setMaximumWidth(40);

    int r = 0;
    const auto row = [&](const QString& label, QWidget* w, QWidget* extra = nullptr) {
        g->addWidget(new QLabel(label, panel), r, 0);
        if (extra) {
            auto* h = new QHBoxLayout;
            h->addWidget(w);
            h->addWidget(extra, 1);
            g->addLayout(h, r, 1);
        } else {
            g->addWidget(w, r, 1);
        }
        ++r;
    };
    row(QStringLiteral("은 행 명"), m_bankCode, m_bankName);
    row(QStringLiteral("계좌번호"), m_account);
    row(QStringLiteral("성  명"), m_name);
    row(QStringLiteral("기관업체명"), m_institution, m_institutionCode);
    row(QStringLiteral("신청일자(고객)"), m_requestDate);
    row(QStringLiteral("실명번호"), m_jumin);
    row(QStringLiteral("납부번호"), m_payer,
        note(QStringLiteral("#최대 납부자번호 길이 제한  아파트 : 8자리"), panel));
    row(QStringLiteral("자동납부일자"), m_autoDay, note(QStringLiteral("사용안함(기본:0)"), panel));

    auto* state = new QGroupBox(panel);
    auto* s = new QGridLayout(state);
    m_sendDate = readOnlyField(state);
    m_statusText = readOnlyField(state);
    m_resultText = readOnlyField(state);
    m_receiveDate = readOnlyField(state);
    s->addWidget(new QLabel(QStringLiteral("송신일자"), state), 0, 0);
    s->addWidget(m_sendDate, 0, 1);
    s->addWidget(new QLabel(QStringLiteral("진행상태"), state), 1, 0);
    s->addWidget(m_statusText, 1, 1);
    s->addWidget(new QLabel(QStringLiteral("처리결과"), state), 2, 0);
    s->addWidget(m_resultText, 2, 1);
    s->addWidget(new QLabel(QStringLiteral("수신일자"), state), 3, 0);
    s->addWidget(m_receiveDate, 3, 1);
    s->setRowStretch(4, 1);
    g->addWidget(state, 0, 2, r, 1);
    g->setColumnStretch(1, 2);
    g->setColumnStretch(2, 1);
}

bool TfmTongRegister::keepToReview(QList<ConsentRecord>& all, QStringList& notes) const
{
    const platform::Result<QList<ConsentToReview>> review = ConsentsToReview(m_db);
    if (!review) {
        m_ui.ShowError(review.error());
        return false;
    }
    const auto key = [](const QString& a, const QString& b, const QString& c, const QString& d) {
        return QStringList{a, b, c, d}.join(QChar(0x1f));
    };
    QHash<QString, QString> noteOf;
    for (const ConsentToReview& r : *review)
        noteOf.insert(key(r.giganId, r.bank, r.account, r.payer),
                      QString("%1 [%2] %3")
                          .arg(r.transferDate.toString(Qt::ISODate), r.code, r.codeText));
    QList<ConsentRecord> kept;
    notes.clear();
    for (const ConsentRecord& c : all) {
        const auto found = noteOf.constFind(key(c.Giganid, c.Bankcd, c.Bankno, c.NapbuNO));
        if (found == noteOf.constEnd())
            continue;
        kept.append(c);
        notes.append(*found);
    }
    all = kept;
    return true;
}

void TfmTongRegister::reload()
{
    // A register that does not read shows nothing, under the message.
    m_rows = m_register.List(m_review ? std::nullopt : m_filter, order())
                 .value_or(QList<ConsentRecord>());
    QStringList reviewNotes;
    if (m_review && !keepToReview(m_rows, reviewNotes)) {
        // Never an empty list that looks like nothing to review.
        FilterStatus(std::nullopt);
        return;
    }
    if (m_review)
        m_reviewRadio->setText(QString("확인 필요(%1)").arg(m_rows.size()));
    m_grid->clearSelection();
    m_grid->setRowCount(int(m_rows.size()));
    for (int i = 0; i < m_rows.size(); ++i) {
        const ConsentRecord& c = m_rows[i];
        QString account = store::HyphenateAccount(c.Bankcd, c.Bankno);
        if (account.isEmpty())
            account = c.Bankno;
        const QStringList cells = {c.cStatus(),
                                   c.NAME,
                                   c.Giganid,
                                   m_bankName->itemText(qMax(0, m_bankName->findData(c.Bankcd))),
                                   account,
                                   c.NapbuNO,
                                   c.JuminNO,
                                   dateText(c.Senddate),
                                   dateText(c.Receivedate),
                                   m_review ? reviewNotes[i] : c.cResultCD()};
        for (int col = 0; col < cells.size(); ++col)
            m_grid->setItem(i, col, new QTableWidgetItem(cells[col]));
    }
    if (!m_rows.isEmpty())
        m_grid->setCurrentCell(0, 0, QItemSelectionModel::NoUpdate);
    showRow(m_rows.isEmpty() ? -1 : 0);
    setEditing(false);
    refreshCounts();
    refreshSelectionLabel();
}

void TfmTongRegister::refreshCounts()
{
    const StatusCounts counts = m_register.Counts();
    m_all->setText(QString("전체(%1)").arg(counts.total));
    for (int i = 0; i < store::kConsentStatusCount; ++i)
        m_status[i]->setText(QString::fromUtf8(kStatusLabels[i]) +
                             QString::number(counts.perStatus[size_t(i)]) + ")");
}

void TfmTongRegister::refreshSelectionLabel()
{
    const int selected = int(m_grid->selectionModel()->selectedRows().size());
    m_selectionLabel->setText(QString("선택갯수:[%1]/[%2]").arg(selected).arg(m_rows.size()));
}

void TfmTongRegister::showRow(int row)
{
    const ConsentRecord empty;
    const ConsentRecord& c = row >= 0 && row < m_rows.size() ? m_rows[row] : empty;
    m_bankCode->setText(c.Bankcd);
    m_bankName->setCurrentIndex(qMax(0, m_bankName->findData(c.Bankcd)));
    m_account->setText(c.Bankno);
    m_name->setText(c.NAME);
    m_institution->setCurrentIndex(qMax(0, m_institution->findData(c.Giganid)));
    m_institutionCode->setText(c.Giganid);
    m_requestDate->setDate(c.RequestDate.isValid() ? c.RequestDate.date() : QDate(2000, 1, 1));
    m_jumin->setText(c.JuminNO);
    m_payer->setText(c.NapbuNO);
    m_sendDate->setText(c.Senddate.isValid() ? c.Senddate.toString("yyyy-MM-dd HH:mm:ss")
                                             : QString());
    m_statusText->setText(row >= 0 ? c.cStatus() : QString());
    m_resultText->setText(c.cResultCD());
    m_receiveDate->setText(c.Receivedate.isValid() ? c.Receivedate.toString("yyyy-MM-dd HH:mm:ss")
                                                   : QString());
}

void TfmTongRegister::setEditing(bool on)
{
    m_editing = on;
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_bankCode, m_bankName, m_account, m_name, m_institution,
                                         m_requestDate, m_jumin, m_payer})
        w->setEnabled(on);
    m_grid->setEnabled(!on);
    for (QPushButton* b : m_rowButtons)
        b->setEnabled(!on);
    const bool empty = m_rows.isEmpty();
    m_convert->setEnabled(!on);
    m_sortMenu->setEnabled(!on && !empty);
    m_continuous->setEnabled(!on);
    if (on) {
        m_commands->setEditing();
        m_commands->action(widgets::ScreenCommands::Close)->setEnabled(false);
    } else {
        m_commands->setBrowse(empty);
        updateDelete();
        m_grid->setFocus();
    }
}

void TfmTongRegister::updateDelete()
{
    if (m_editing)
        return;
    const int row = m_grid->currentRow();
    const bool atBank = row >= 0 && row < m_rows.size() && m_rows[row].AtBank();
    m_commands->action(widgets::ScreenCommands::Delete)->setEnabled(!m_rows.isEmpty() && !atBank);
}

QList<ConsentRecord> TfmTongRegister::selectedRows() const
{
    QList<int> indexes;
    for (const QModelIndex& ix : m_grid->selectionModel()->selectedRows())
        indexes.append(ix.row());
    std::sort(indexes.begin(), indexes.end());
    QList<ConsentRecord> out;
    for (int i : indexes)
        if (i < m_rows.size())
            out.append(m_rows[i]);
    return out;
}

transfer::LayoutKind TfmTongRegister::ImportKind(std::shared_ptr<shell::Grid> applied)
{
    transfer::LayoutKind k;
    k.objectName = "fmCatcTongRegister";
    k.caption = QStringLiteral("출금동의신청-일괄등록");
    k.items = ImportColumnNames();
    k.sampleWidth = 100;
    k.spreadsheet = true;
    k.list = [this] {
        QList<transfer::EditorLayout> out;
        for (const ConsentLayout& l : ReadConsentLayouts(m_db)) {
            transfer::EditorLayout e{l.NAME, l.LEN, {}, {}};
            for (int i = 0; i < 10; ++i) {
                e.start.append(l.start[i]);
                e.size.append(l.size[i]);
            }
            out.append(e);
        }
        return out;
    };
    k.save = [this](const transfer::EditorLayout& e, const QString& oldName) {
        ConsentLayout l;
        l.NAME = e.name;
        l.LEN = e.len;
        for (int i = 0; i < 10; ++i) {
            l.start[i] = e.start.value(i);
            l.size[i] = e.size.value(i);
        }
        return SaveConsentLayout(m_db, m_ui, l, oldName);
    };
    k.remove = [this](const QString& name) { return DeleteConsentLayout(m_db, name); };
    k.preview = [this, applied](const transfer::EditorLayout&, const QString& file,
                                QWidget* parent) {
        codes::CodeLists codes;
        codes::ReloadCodeLists(m_db, codes);
        transfer::TfmCatcPreview preview(m_ui, ImportColumnNames(), parent);
        if (!preview.LoadSpreadsheet(
                file, [&codes](const shell::Grid& rows) { return CheckConsentRows(rows, codes); }))
            return false;
        if (preview.exec() != QDialog::Accepted)
            return false;
        *applied = preview.rows();
        return true;
    };
    return k;
}

void TfmTongRegister::ImportClick()
{
    if (m_editing)
        BtnCancelClick();
    auto applied = std::make_shared<shell::Grid>();
    transfer::TfmCatcApt editor(m_ui, ImportKind(applied), this);
    if (editor.exec() != QDialog::Accepted || applied->isEmpty())
        return;
    const QString layout = editor.current() ? editor.current()->name : QString();
    FilterStatus(ConsentStatus::RegisterWaiting);
    {
        // The toolbar comes back however the import ends.
        QToolBar* bar = m_commands->toolBar();
        const auto restore = qScopeGuard([bar] { bar->setEnabled(true); });
        bar->setEnabled(false);
        ImportConsents(m_db, m_ui, *applied, windowTitle(), layout, editor.fileName(),
                       m_ws.tempDir());
    }
    reload();
    refreshCounts();
}

void TfmTongRegister::BtnFindClick()
{
    if (m_editing || m_rows.isEmpty())
        return;
    FmFindRegister find(
        m_ui, m_rows, [this] { return m_grid->currentRow(); },
        [this](int row) {
            m_grid->clearSelection();
            m_grid->setCurrentCell(row, 0);
        },
        this);
    find.exec();
}

void TfmTongRegister::FilterReview()
{
    m_review = true;
    m_filter.reset();
    m_reviewRadio->setChecked(true);
    m_all->setChecked(false);
    reload();
}

void TfmTongRegister::FilterStatus(std::optional<ConsentStatus> status)
{
    m_review = false;
    m_reviewRadio->setText(QStringLiteral("확인 필요"));
    if (!status) {
        m_filter.reset();
        m_statusGroup->setExclusive(false);
        for (QRadioButton* r : m_status)
            r->setChecked(false);
        m_reviewRadio->setChecked(false);
        m_statusGroup->setExclusive(true);
        m_all->setChecked(true);
    } else {
        m_filter = status;
        m_status[store::StoredValue(*status)]->setChecked(true);
        m_all->setChecked(false);
    }
    reload();
}

void TfmTongRegister::BtnInsertClick()
{
    if (m_editing || !m_register.MayInsert(selectedRows()))
        return;
    m_grid->clearSelection();
    showRow(-1);
    m_requestDate->setDate(shell::Today());
    m_statusText->setText(store::ConsentStatusText(ConsentStatus::RegisterWaiting));
    setEditing(true);
    m_name->setFocus();
    m_name->selectAll();
    refreshSelectionLabel();
}

void TfmTongRegister::BtnSaveClick()
{
    if (!m_editing)
        return;
    ConsentRecord row;
    row.Bankcd = m_bankCode->text();
    row.Bankno = m_account->text();
    row.NAME = m_name->text();
    row.Giganid = m_institutionCode->text();
    row.JuminNO = m_jumin->text();
    row.NapbuNO = m_payer->text();
    row.Status = store::StoredValue(ConsentStatus::RegisterWaiting);
    row.RequestDate = QDateTime(m_requestDate->date(), shell::Now().time());
    const ConsentSave r = m_register.Save(row);
    if (!r.saved) {
        if (QWidget* w =
                widgets::WidgetFor<QWidget>(r.focus, {{ConsentField::Bank, m_bankCode},
                                                      {ConsentField::Account, m_account},
                                                      {ConsentField::Jumin, m_jumin},
                                                      {ConsentField::Payer, m_payer},
                                                      {ConsentField::Institution, m_institution}}))
            w->setFocus();
        return;
    }
    reload();
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].key() == row.key())
            m_grid->setCurrentCell(i, 0);
    if (m_continuous->isChecked())
        BtnInsertClick();
}

void TfmTongRegister::BtnCancelClick()
{
    if (!m_editing)
        return;
    setEditing(false);
    showRow(m_grid->currentRow());
}

void TfmTongRegister::BtnDeleteClick()
{
    if (m_editing || m_rows.isEmpty())
        return;
    QList<ConsentRecord> rows = selectedRows();
    const int selected = int(rows.size());
    if (rows.isEmpty() && m_grid->currentRow() >= 0)
        rows.append(m_rows[m_grid->currentRow()]);
    if (m_register.Delete(rows, selected))
        reload();
}

void TfmTongRegister::BtnRegisterClick()
{
    if (m_register.RequestRegistration(selectedRows()))
        reload();
    refreshSelectionLabel();
}

void TfmTongRegister::BtnCancelRequestClick()
{
    if (m_register.RequestCancellation(selectedRows()))
        reload();
    refreshSelectionLabel();
}

void TfmTongRegister::BtnSelectAllClick()
{
    // Compared with the rows shown: whatever row is current, a partial
    // selection becomes the whole list and a whole one is cleared.
    const int selected = int(m_grid->selectionModel()->selectedRows().size());
    if (selected < m_rows.size())
        m_grid->selectAll();
    else
        m_grid->clearSelection();
    refreshSelectionLabel();
}

void TfmTongRegister::BtnJuminClick()
{
    if (m_register.ConvertJumin())
        FilterStatus(std::nullopt);
}

void TfmTongRegister::BtnEvidenceFilesClick()
{
    fmEvidentialFile screen(m_db, m_ui, m_ws, this);
    screen.exec();
}

void TfmTongRegister::BtnEvidenceSendClick()
{
    QList<ConsentKey> keys;
    for (const ConsentRecord& r : selectedRows())
        keys.append(r.key());
    platform::SecurelinkLibrary library(DefaultSecurelinkPath(m_ws));
    SendEvidence(m_db, m_ui, library, {m_ws.programDir, library.path()}, keys);
}

void TfmTongRegister::ExportClick()
{
    const std::optional<QList<ConsentRecord>> all = m_register.List(std::nullopt, order());
    if (!all)
        return;
    reports::SheetRows rows;
    for (const ConsentRecord& c : *all)
        rows.append(ConsentExportRow(c));
    reports::ExportToSpreadsheet(m_ui, reports::ExportKind::ConsentList, rows, m_ws.tempDir());
}

void TfmTongRegister::reject()
{
    BtnCancelClick();
    QDialog::reject();
}

} // namespace consent
