#include "transfer/ui/tfm_apt2.h"

#include "codes/bank_groups.h"
#include "reports/spreadsheet_writer.h"
#include "shell/ui.h"
#include "store/tdm1.h"
#include "transfer/line_import.h"
#include "transfer/ui/row_table_model.h"
#include "transfer/ui/screen_helpers.h"
#include "transfer/ui/tfm_catc_apt.h"
#include "transfer/ui/transfer_dialogs.h"
#include "widgets/column_memory.h"
#include "widgets/field_validator.h"
#include "widgets/field_widgets.h"
#include "widgets/screen_commands.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include <optional>

namespace transfer {
namespace {

using Model = RowTableModel<TransferItem>;
using C = widgets::ScreenCommands;

const QString kConsentWarning = QStringLiteral("출금동의 등록이 안된 데이타가 발견되었습니다");

// The choices of 정 렬 and the order each gives.
QList<QPair<QString, int>> sortChoices()
{
    return {{"정렬 안함", int(LineOrder::None)},
            {"계좌번호 순으로 정렬", int(LineOrder::Account)},
            {"동-호수 순으로 정렬", int(LineOrder::DongHo)},
            {"입주자명 순으로 정렬", int(LineOrder::Name)}};
}

QLineEdit* makeEdit(QWidget* parent, int maxBytes)
{
    auto* e = new QLineEdit(parent);
    e->setValidator(new widgets::FieldValidator(maxBytes, false, e));
    return e;
}

QLabel* display(QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setFrameShape(QFrame::StyledPanel);
    l->setMinimumWidth(90);
    return l;
}

} // namespace

QString TfmApt2::CaptionFor(const QString& institutionName)
{
    return LinesCaption(institutionName);
}

TfmApt2::TfmApt2(store::TDM1& dm, shell::Ui& ui, int aptId, QWidget* parent)
    : TfmApt2(dm, ui, aptId, nullptr, parent)
{
}

TfmApt2::TfmApt2(store::TDM1& dm, shell::Ui& ui, const TransferGroup& group, QWidget* parent)
    : TfmApt2(dm, ui, group.AptID, &group, parent)
{
}

TfmGroupApt2::TfmGroupApt2(store::TDM1& dm, shell::Ui& ui, const TransferGroup& group,
                           QWidget* parent)
    : TfmApt2(dm, ui, group, parent)
{
}

QString TfmGroupApt2::CaptionFor(const QString& groupName)
{
    return "Veltrin그룹관리-" + groupName + " 이체자료";
}

TfmApt2::TfmApt2(store::TDM1& dm, shell::Ui& ui, int aptId, const TransferGroup* group,
                 QWidget* parent)
    : QDialog(parent), m_dm(dm), m_ui(ui),
      m_lines(dm, ui, aptId, group ? LineTable::Group : LineTable::Batch), m_group(group)
{
    Batches batches(dm, ui);
    if (group) {
        setObjectName("TfmGroupApt2");
        m_batch = group->lineHead();
        setWindowTitle(TfmGroupApt2::CaptionFor(group->GroupName));
    } else {
        setObjectName("TfmApt2");
        m_batch = batches.Find(aptId).value_or(TransferBatch{});
        m_batch.AptID = aptId;
        // An institution that does not read leaves the caption without its
        // name, under the message.
        const platform::Result<std::optional<codes::Institution>> inst =
            batches.Institution(m_batch.GiganID10);
        if (!inst)
            ui.ShowError(inst.error());
        setWindowTitle(CaptionFor(inst && *inst ? (*inst)->Name : QString()));
    }
    m_banks = codes::BankCodes(dm.db(), ui, QString()).List().value_or(QList<codes::BankCodeEntry>());
    // Groups are kept for the own bank groups only (codes 10 to 15).
    if (m_group)
        m_banks.erase(
            std::remove_if(m_banks.begin(), m_banks.end(),
                           [](const codes::BankCodeEntry& b) { return !codes::IsOwnBank(b.Id); }),
            m_banks.end());

    m_model = new Model(
        {{"출금동의", [](const TransferItem& l) { return l.cStatus; }},
         {"동", [](const TransferItem& l) { return l.Dong; }},
         {"호", [](const TransferItem& l) { return l.Ho; }},
         {"입주자명", [](const TransferItem& l) { return l.Bigo; }},
         {"실명번호", [](const TransferItem& l) { return l.NapbuNo; }},
         {"은 행 명", [](const TransferItem& l) { return l.BankName; }},
         {"계 좌 번 호",
          [this](const TransferItem& l) { return m_group ? l.BankNo : l.MBankNo; }},
         {"예금주명", [](const TransferItem& l) { return l.Kita; }},
         {"이체금액", [](const TransferItem& l) { return FormatAmount(l.IcheMoney); }, true},
         {"상  태", [](const TransferItem& l) { return l.Stat; }}},
        this);
    // Lines without a completed consent stand out while browsing.
    m_model->setColours([this](const TransferItem& l) -> std::pair<QVariant, QVariant> {
        if (m_editing || !l.consentMissing())
            return {};
        return {QColor(Qt::yellow), QColor(Qt::red)};
    });
    m_grid = MakeGrid(this, m_model);
    const int widths[] = {70, 45, 45, 90, 110, 110, 140, 90, 100};
    for (int i = 0; i < 9; ++i)
        m_grid->setColumnWidth(i, widths[i]);
    widgets::RestoreColumns(m_grid->horizontalHeader(), m_group ? "GroupApt2" : "Apt2");
    if (m_group) {
        // No consent or state column; the account as it is stored.
        m_grid->setColumnHidden(0, true);
        m_grid->setColumnHidden(9, true);
    }

    m_dong = makeEdit(this, 4);
    m_ho = makeEdit(this, 4);
    m_napbuNo = new QLineEdit(this);
    m_napbuNo->setReadOnly(!m_group);
    m_napbuNo->setMaxLength(13);
    m_cNapbuNo = new QLineEdit(this);
    m_cNapbuNo->setReadOnly(true);
    m_bigo = makeEdit(this, 12);
    m_bankList = new QComboBox(this);
    m_bankList->setMaxVisibleItems(8);
    for (const codes::BankCodeEntry& b : m_banks)
        m_bankList->addItem(b.Name, b.Id);
    m_bankCode = makeEdit(this, 2);
    m_bankCode->setMaximumWidth(40);
    m_bankNo = makeEdit(this, 16);
    m_money = new QLineEdit(this);
    m_money->setAlignment(Qt::AlignRight);
    m_money->setMaxLength(20);
    m_kita = makeEdit(this, 20);
    m_yebuName = display(this);
    m_resultName = display(this);
    m_consent = new QCheckBox("출금 동의 등록여부 검사", this);
    m_status = new QLabel(this);
    m_status->setObjectName("status");
    m_status->setFrameShape(QFrame::StyledPanel);
    m_status->setStyleSheet("color: red;");

    auto* bank = new QHBoxLayout;
    bank->addWidget(m_bankList, 1);
    bank->addWidget(m_bankCode);
    auto* dongHo = new QHBoxLayout;
    dongHo->addWidget(m_dong);
    dongHo->addWidget(new QLabel("/", this));
    dongHo->addWidget(m_ho);
    auto* detail = new QGridLayout;
    const auto row = [&](int r, int c, const char* label, auto* what) {
        detail->addWidget(new QLabel(QString::fromUtf8(label), this), r, c * 2);
        if constexpr (std::is_base_of_v<QLayout, std::remove_pointer_t<decltype(what)>>)
            detail->addLayout(what, r, c * 2 + 1);
        else
            detail->addWidget(what, r, c * 2 + 1);
    };
    row(0, 0, "동 / 호", dongHo);
    row(0, 1, "실명번호", m_napbuNo);
    row(0, 2, "납부번호", m_cNapbuNo);
    row(1, 0, m_group ? "입주자명" : "입주자명(기장)", m_bigo);
    row(1, 1, "은 행 명", bank);
    row(1, 2, "계좌번호", m_bankNo);
    row(2, 0, "이체금액", m_money);
    row(2, 1, "예금주명", m_kita);
    row(2, 2, "이체여부", m_yebuName);
    row(3, 0, "처리결과", m_resultName);
    detail->addWidget(m_consent, 3, 3, 1, 3);
    for (QWidget* w : {static_cast<QWidget*>(m_consent), static_cast<QWidget*>(m_yebuName),
                       static_cast<QWidget*>(m_resultName), static_cast<QWidget*>(m_cNapbuNo)})
        w->setVisible(!m_group);
    if (m_group)
        for (QLayoutItem* label :
             {detail->itemAtPosition(0, 4), detail->itemAtPosition(2, 4), detail->itemAtPosition(3, 0)})
            if (label && label->widget())
                label->widget()->hide();
    for (int c : {1, 3, 5})
        detail->setColumnStretch(c, 1);

    buildCommands();
    auto* top = new QVBoxLayout(this);
    top->addWidget(m_commands->toolBar());
    top->addLayout(detail);
    top->addWidget(m_grid, 1);
    top->addWidget(m_status);
    resize(980, 640);

    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!m_editing) {
            showLine(current());
            updateCommands();
        }
    });
    connect(m_bankList, &QComboBox::activated, this,
            [this](int i) { m_bankCode->setText(m_bankList->itemData(i).toString()); });
    connect(m_bankCode, &QLineEdit::textEdited, this, [this](const QString& code) {
        m_bankList->setCurrentIndex(m_bankList->findData(code.trimmed()));
    });
    const auto napbu = [this] {
        m_cNapbuNo->setText(m_dong->text().trimmed() + m_ho->text().trimmed());
    };
    connect(m_dong, &QLineEdit::textChanged, this, napbu);
    connect(m_ho, &QLineEdit::textChanged, this, napbu);
    connect(m_consent, &QCheckBox::clicked, this, &TfmApt2::ConsentClick);

    reload();
    m_grid->setFocus();
}

TfmApt2::~TfmApt2()
{
    widgets::SaveColumns(m_grid->horizontalHeader(), m_group ? "GroupApt2" : "Apt2");
}

void TfmApt2::buildCommands()
{
    m_commands = new widgets::ScreenCommands(this);
    CompactToolBar(m_commands->toolBar());

    auto* convert = new QMenu(this);
    m_import = convert->addAction("데이타 읽기(*.prn)");
    m_export = convert->addAction("엑셀로 내보내기");
    connect(m_import, &QAction::triggered, this, &TfmApt2::ImportClick);
    connect(m_export, &QAction::triggered, this, &TfmApt2::BtnExportClick);

    auto* sortMenu = new QMenu(this);
    QList<QPair<QString, int>> choices = sortChoices();
    if (m_group)
        choices.removeLast(); // groups are not sorted by name
    m_sorting = widgets::SortChoices(sortMenu, choices, [this](int o) { SortBy(LineOrder(o)); });

    m_extras[Continuous] =
        m_commands->addCommand("개별입력", {}, QStyle::SP_BrowserReload, C::Insert);
    m_extras[Continuous]->setCheckable(true);
    connect(m_extras[Continuous], &QAction::toggled, this,
            [this](bool on) { m_extras[Continuous]->setText(on ? "연속입력" : "개별입력"); });
    m_extras[Copy] = m_commands->addCommand("복 사", QKeySequence(Qt::CTRL | Qt::Key_Y),
                                            QStyle::SP_FileDialogNewFolder, C::Save);
    m_extras[Convert] = m_commands->addCommand("자료변환", QKeySequence(Qt::CTRL | Qt::Key_O),
                                               QStyle::SP_DialogOpenButton, C::Save,
                                               m_group ? nullptr : convert);
    m_extras[Find] = m_commands->addCommand("검 색", QKeySequence(Qt::CTRL | Qt::Key_F),
                                            QStyle::SP_FileDialogInfoView, C::Save);
    m_extras[Failed] =
        m_commands->addCommand("불능자료", {}, QStyle::SP_MessageBoxWarning, C::Save);
    m_extras[Sort] = m_commands->addCommand("정 렬", {}, QStyle::SP_ArrowDown, C::Save, sortMenu);
    m_extras[SelectAll] = new QAction("전체선택", this);
    m_extras[SelectAll]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    m_extras[BadAccount] = new QAction("오류 계좌 검색", this);
    m_extras[BadAccount]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    m_extras[SetAmount] = new QAction("선택자료 이체금액 수정", this);
    m_extras[SetAmount]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    for (Extra e : {SelectAll, BadAccount, SetAmount})
        m_commands->addContextAction(m_extras[e]);
    m_commands->attachContextMenu(m_grid);

    // The key opens the choices; a click on the button drops them down itself.
    if (m_group)
        connect(m_extras[Convert], &QAction::triggered, this, &TfmApt2::ImportClick);
    else
        connect(m_extras[Convert], &QAction::triggered, this,
                [this, convert] { PopupBelow(m_commands->toolBar(), m_extras[Convert], convert); });
    m_extras[Failed]->setVisible(!m_group);
    connect(m_extras[Copy], &QAction::triggered, this, &TfmApt2::BtnCopyClick);
    connect(m_extras[Find], &QAction::triggered, this, &TfmApt2::BtnFindClick);
    connect(m_extras[Failed], &QAction::triggered, this, &TfmApt2::BtnFailedClick);
    connect(m_extras[SelectAll], &QAction::triggered, this, &TfmApt2::SelectAllClick);
    connect(m_extras[BadAccount], &QAction::triggered, this, &TfmApt2::BadAccountClick);
    connect(m_extras[SetAmount], &QAction::triggered, this, &TfmApt2::SetAmountClick);
    m_commands->setHandlers({[this] { BtnInsertClick(); }, [this] { BtnEditClick(); },
                             [this] { BtnDeleteClick(); }, [this] { BtnSaveClick(); },
                             [this] { BtnCancelClick(); }, [this] { BtnCloseClick(); }});
}

QAction* TfmApt2::sortAction(LineOrder order) const
{
    return m_sorting.choice(int(order));
}

QLineEdit* TfmApt2::field(LineField f) const
{
    return widgets::WidgetFor<QLineEdit>(f, {{LineField::Dong, m_dong},
                                             {LineField::Ho, m_ho},
                                             {LineField::Bigo, m_bigo},
                                             {LineField::BankCode, m_bankCode},
                                             {LineField::BankNo, m_bankNo},
                                             {LineField::IcheMoney, m_money},
                                             {LineField::Kita, m_kita}});
}

void TfmApt2::BtnExportClick()
{
    reports::SheetRows rows;
    for (const TransferItem& l : lines())
        rows.append(ExportRow(l));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    reports::ExportToSpreadsheet(m_ui, reports::ExportKind::TransferLines, rows,
                                 m_dm.workspace().tempDir());
    QApplication::restoreOverrideCursor();
}

const QList<TransferItem>& TfmApt2::lines() const
{
    return m_model->rows();
}

int TfmApt2::currentRow() const
{
    return CurrentRow(m_grid);
}

const TransferItem* TfmApt2::current() const
{
    return m_model->rowAt(currentRow());
}

QList<int> TfmApt2::chosenIds() const
{
    QList<int> ids;
    for (int row : SelectedOrCurrent(m_grid))
        ids.append(lines()[row].Apt2ID);
    return ids;
}

void TfmApt2::reload(int selectApt2Id)
{
    const int keepRow = currentRow();
    const int want = selectApt2Id ? selectApt2Id : (current() ? current()->Apt2ID : 0);
    // Lines that do not read show none, under the message that says why.
    QList<TransferItem> rows = m_lines.List(order()).value_or(QList<TransferItem>());
    if (m_consentOn && m_lines.FillConsent(rows, m_batch.GiganID10).value_or(false))
        showConsentWarning();
    m_model->setRows(std::move(rows));
    int row = -1;
    for (int i = 0; i < lines().size(); ++i)
        if (lines()[i].Apt2ID == want) {
            row = i;
            break;
        }
    if (row < 0 && !lines().isEmpty())
        row = qBound(0, keepRow, int(lines().size()) - 1);
    MoveTo(m_grid, row);
    showLine(current());
    updateCommands();
    checkWholeBatch();
}

void TfmApt2::showLine(const TransferItem* l)
{
    const TransferItem empty;
    const TransferItem& r = l ? *l : empty;
    m_dong->setText(r.Dong);
    m_ho->setText(r.Ho);
    m_napbuNo->setText(r.NapbuNo);
    m_cNapbuNo->setText(l ? r.cNapbuNo() : QString());
    m_bigo->setText(r.Bigo);
    m_bankCode->setText(l ? r.BankCode : QString());
    m_bankList->setCurrentIndex(l ? m_bankList->findData(r.BankCode) : -1);
    m_bankNo->setText(r.BankNo);
    m_money->setText(l ? FormatAmount(r.IcheMoney) : QString());
    m_kita->setText(r.Kita);
    m_yebuName->setText(r.YebuName);
    m_resultName->setText(r.ResultName);
}

void TfmApt2::setEditing(bool on)
{
    m_editing = on;
    m_grid->setEnabled(!on);
    updateCommands();
    // The consent colours are drawn only while browsing.
    m_model->refresh();
}

void TfmApt2::updateCommands()
{
    for (QWidget* w : {m_dong, m_ho, m_bigo, m_bankCode, m_bankNo, m_money, m_kita})
        w->setEnabled(m_editing);
    m_bankList->setEnabled(m_editing);
    m_napbuNo->setEnabled(m_editing);
    m_cNapbuNo->setEnabled(m_editing);

    const bool empty = lines().isEmpty();
    // Sent and answered batches are read-only: their received results must
    // not be deleted, nor lines added that would never be sent.
    const bool open = m_batch.editable();
    if (m_editing) {
        m_commands->setEditing();
        m_commands->action(C::Close)->setEnabled(false);
        for (QAction* a : m_extras)
            a->setEnabled(a == m_extras[Continuous]);
    } else {
        m_commands->setBrowse(empty);
        const TransferItem* l = current();
        m_commands->action(C::Insert)->setEnabled(open);
        m_commands->action(C::Edit)->setEnabled(open && l && l->State < BatchState::Sent);
        m_commands->action(C::Delete)->setEnabled(open && !empty);
        m_extras[Continuous]->setEnabled(true);
        m_extras[Copy]->setEnabled(open && !empty && l);
        m_extras[Convert]->setEnabled(open);
        m_import->setEnabled(open);
        m_extras[Find]->setEnabled(!empty);
        m_extras[Sort]->setEnabled(!empty);
        m_extras[Failed]->setEnabled(!m_group && !empty && l && l->State > BatchState::Sent);
        m_extras[BadAccount]->setEnabled(!empty);
    }
    m_extras[SelectAll]->setEnabled(m_commands->action(C::Delete)->isEnabled());
    m_extras[SetAmount]->setEnabled(m_commands->action(C::Edit)->isEnabled());
    m_sorting.setEnabled(m_extras[Sort]->isEnabled());
}

void TfmApt2::checkWholeBatch()
{
    // Groups are never sent, so their consents are not looked at.
    // A check that could not read has shown its message.
    if (!m_group && m_lines.MissingConsent().value_or(false))
        showConsentWarning();
}

void TfmApt2::showConsentWarning()
{
    // Once shown, the warning stays while the window is open.
    m_status->setText(kConsentWarning);
}

void TfmApt2::BtnInsertClick()
{
    if (m_editing || !m_commands->action(C::Insert)->isEnabled())
        return;
    m_row = m_lines.NewLine(m_batch);
    m_isNew = true;
    m_grid->clearSelection();
    setEditing(true);
    showLine(&m_row);
    m_money->clear();
    m_dong->setFocus();
    checkWholeBatch();
}

void TfmApt2::BtnEditClick()
{
    if (m_editing || !m_commands->action(C::Edit)->isEnabled() || !current())
        return;
    m_row = *current();
    m_isNew = false;
    setEditing(true);
    m_dong->setFocus();
    checkWholeBatch();
}

void TfmApt2::BtnSaveClick()
{
    if (!m_editing)
        return;
    const std::optional<qint64> amount = ParseAmount(m_money->text());
    if (!amount) {
        m_ui.ShowInfo(QStringLiteral("이체금액이 적절하지 않습니다."));
        m_money->setFocus();
        return;
    }
    m_row.Dong = m_dong->text();
    m_row.Ho = m_ho->text();
    m_row.Bigo = m_bigo->text();
    m_row.BankCode = m_bankCode->text();
    m_row.BankNo = m_bankNo->text();
    m_row.IcheMoney = *amount;
    m_row.Kita = m_kita->text();
    if (m_group)
        m_row.NapbuNo = m_napbuNo->text();
    const bool wasNew = m_isNew;
    const LineSave r = m_lines.Save(m_row, m_isNew);
    if (!r.saved) {
        if (QLineEdit* e = field(r.focus))
            e->setFocus();
        return;
    }
    m_isNew = false;
    setEditing(false);
    reload(m_row.Apt2ID);
    if (wasNew && m_extras[Continuous]->isChecked())
        BtnInsertClick();
    else
        m_grid->setFocus();
}

void TfmApt2::BtnCancelClick()
{
    if (!m_editing)
        return;
    m_isNew = false;
    setEditing(false);
    showLine(current());
    m_grid->setFocus();
}

void TfmApt2::BtnDeleteClick()
{
    if (m_editing || !m_commands->action(C::Delete)->isEnabled())
        return;
    if (!m_lines.Delete(chosenIds(), windowTitle()))
        return;
    m_grid->clearSelection();
    reload();
}

void TfmApt2::BtnCopyClick()
{
    if (m_editing || !m_extras[Copy]->isEnabled() || !current())
        return;
    const std::optional<int> id = m_lines.CopyLine(current()->Apt2ID, m_batch);
    m_grid->clearSelection();
    reload(id.value_or(0));
}

void TfmApt2::BtnFindClick()
{
    if (m_editing || !m_extras[Find]->isEnabled())
        return;
    TfmFindApt2 dialog(m_ui, lines(), m_grid, this);
    dialog.exec();
}

void TfmApt2::BtnFailedClick()
{
    if (m_editing || !m_extras[Failed]->isEnabled())
        return;
    const int row = currentRow();
    {
        TfmTongMic2 dialog(lines(), this);
        dialog.exec();
    }
    // Back on the line that was current, with only that line selected.
    MoveTo(m_grid, row);
}

void TfmApt2::SortBy(LineOrder order)
{
    if (m_editing)
        return;
    m_sorting.choose(int(order));
    reload();
}

void TfmApt2::SelectAllClick()
{
    if (m_editing || !m_extras[SelectAll]->isEnabled())
        return;
    m_grid->selectAll();
    MoveTo(m_grid, 0, false);
}

void TfmApt2::BadAccountClick()
{
    if (m_editing || !m_extras[BadAccount]->isEnabled())
        return;
    const int found = m_lines.FindBadAccount(lines(), std::max(0, currentRow()));
    if (found >= 0)
        MoveTo(m_grid, found);
}

void TfmApt2::SetAmountClick()
{
    if (m_editing || !m_extras[SetAmount]->isEnabled() || !current())
        return;
    const std::optional<QString> text =
        m_ui.PromptText(QStringLiteral("이체금액 입력"), QStringLiteral("이체금액"),
                        QString::number(current()->IcheMoney), false);
    if (!text)
        return;
    if (!m_lines.SetAmount(chosenIds(), *text))
        return;
    m_grid->clearSelection();
    reload();
}

void TfmApt2::ImportClick()
{
    if (m_editing || !m_batch.editable())
        return;
    TfmCatcApt editor(m_ui, TfmCatcApt::LineKind(m_dm, m_ui), this);
    if (editor.exec() != QDialog::Accepted || !editor.current())
        return;
    const std::optional<ImportLayout> layout = FindLayout(m_dm, editor.current()->name);
    if (!layout)
        return;
    {
        // The toolbar, the grid and the consent marks come back however the
        // import ends, also after a read error.
        const auto restore = qScopeGuard([this] {
            m_commands->toolBar()->setEnabled(true);
            m_grid->setUpdatesEnabled(true);
        });
        m_commands->toolBar()->setEnabled(false);
        m_grid->setUpdatesEnabled(false);
        m_consent->setChecked(false);
        m_consentOn = false;
        LineImport(m_dm, m_ui, m_group ? ImportTarget::Group : ImportTarget::Batch,
                   m_batch.AptID, m_batch.IcheDate, m_lines.limit())
            .Import(*layout, editor.fileName(), windowTitle());
    }
    reload();
    if (m_group)
        return;
    m_consent->setChecked(true);
    ConsentClick(true);
}

void TfmApt2::ConsentClick(bool checked)
{
    if (checked && !m_ui.Confirm(QStringLiteral("출금동의 등록여부를 검사하시겠습니까?"), false)) {
        m_consent->setChecked(false);
        return;
    }
    m_consentOn = checked;
    reload();
}

void TfmApt2::BtnCloseClick()
{
    // 닫 기 waits until the edit in progress is saved or cancelled.
    if (m_editing || !m_commands->action(C::Close)->isEnabled())
        return;
    reject();
}

void TfmApt2::reject()
{
    // Closed by its frame, or by the program ending, the window drops an
    // edit in progress rather than stay open.
    BtnCancelClick();
    if (!m_closed) {
        m_closed = true;
        if (m_group && m_batch.editable())
            Groups(m_dm, m_ui).RecomputeTotals(m_batch.AptID);
        else if (m_batch.editable())
            Batches(m_dm, m_ui).RecomputeTotals(m_batch.AptID);
    }
    QDialog::reject();
}

void TfmApt2::keyPressEvent(QKeyEvent* event)
{
    // Esc is 취 소; it never closes the window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace transfer
