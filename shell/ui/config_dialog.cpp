#include "shell/ui/config_dialog.h"

#include "audit/record.h"

#include "shell/file_helpers.h"
#include "shell/firm_ini.h"
#include "shell/ui.h"
#include "shell/ui/qt_ui.h"
#include "shell/ui/user_input.h"
#include "shell/workspace.h"
#include "widgets/ok_cancel_row.h"

#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace shell::ui {
namespace {

QLineEdit* passwordField(QWidget* parent, const char* name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setEchoMode(QLineEdit::Password);
    e->setStyleSheet("lineedit-password-character: 42");
    return e;
}

} // namespace

TfmConfig::TfmConfig(Ui& ui, const Workspace& ws, Page page, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_ws(ws), m_page(page), m_textColor(ReadNoticeTextColor(ws)),
      m_backColor(ReadNoticeBackColor(ws))
{
    setWindowTitle(QStringLiteral("사용 환경 설정"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    layout->addWidget(m_tabs);

    auto* pwPage = new QWidget;
    auto* form = new QFormLayout(pwPage);
    m_old = passwordField(pwPage, "edOldPassword");
    m_new = passwordField(pwPage, "edNewPassword");
    m_confirm = passwordField(pwPage, "edConfirmPassword");
    form->addRow(QStringLiteral("기존 비밀번호"), m_old);
    form->addRow(QStringLiteral("새 비밀번호"), m_new);
    form->addRow(QStringLiteral("새 비밀번호 확인"), m_confirm);
    m_tabs->addTab(pwPage, QStringLiteral("S/W 비밀번호"));

    auto* screenPage = new QWidget;
    auto* grid = new QGridLayout(screenPage);
    grid->addWidget(new QLabel(QStringLiteral("초기화면 그림")), 0, 0, 1, 3);
    m_pictures = new QListWidget(screenPage);
    m_pictures->setObjectName("lbPictures");
    grid->addWidget(m_pictures, 1, 0, 1, 3);
    const auto colorRow = [&](int row, const QString& caption, QFrame*& sample, const char* name) {
        grid->addWidget(new QLabel(caption), row, 0);
        sample = new QFrame(screenPage);
        sample->setFrameShape(QFrame::Box);
        sample->setFixedSize(60, 20);
        sample->setAutoFillBackground(true);
        grid->addWidget(sample, row, 1);
        auto* b = new QPushButton("...", screenPage);
        b->setObjectName(name);
        b->setFixedWidth(30);
        grid->addWidget(b, row, 2);
        return b;
    };
    QPushButton* textButton =
        colorRow(2, QStringLiteral("공지사항 글자색"), m_textSample, "btnTextColor");
    QPushButton* backButton =
        colorRow(3, QStringLiteral("공지사항 바탕색"), m_backSample, "btnBackColor");
    connect(textButton, &QPushButton::clicked, this, &TfmConfig::BtnTextColorClick);
    connect(backButton, &QPushButton::clicked, this, &TfmConfig::BtnBackColorClick);
    m_tabs->addTab(screenPage, QStringLiteral("화 면 설 정"));

    const widgets::OkCancelRow buttons = widgets::MakeOkCancelRow(this, &TfmConfig::BtnOkClick);
    buttons.ok->setObjectName("btnOk");
    buttons.ok->setDefault(true);
    layout->addLayout(buttons.layout);

    QStringList names;
    ListFiles(ws.picturesDir(), "Main*.bmp", names);
    const QString stored = ReadBackgroundPicture(ws);
    m_pictures->addItems(names);
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(stored, Qt::CaseInsensitive) == 0)
            m_pictures->setCurrentRow(i);
    showColor(m_textSample, m_textColor);
    showColor(m_backSample, m_backColor);

    m_tabs->setTabVisible(page == PasswordPage ? 1 : 0, false);
    m_tabs->setCurrentIndex(page == PasswordPage ? 0 : 1);
    if (page == PasswordPage)
        m_old->setFocus();
    else
        m_pictures->setFocus();
    resize(360, 260);
}

void TfmConfig::showColor(QFrame* sample, int bgr)
{
    QPalette pal = sample->palette();
    pal.setColor(QPalette::Window, FromBgr(bgr));
    sample->setPalette(pal);
}

void TfmConfig::BtnTextColorClick()
{
    auto* qt = dynamic_cast<QtUi*>(&m_ui);
    const std::optional<int> c = qt ? qt->ChooseBasicColor(m_textColor) : m_ui.ChooseColor(m_textColor);
    if (c) {
        m_textColor = *c;
        showColor(m_textSample, m_textColor);
    }
}

void TfmConfig::BtnBackColorClick()
{
    if (const std::optional<int> c = m_ui.ChooseColor(m_backColor)) {
        m_backColor = *c;
        showColor(m_backSample, m_backColor);
    }
}

bool TfmConfig::checkAndStorePassword()
{
    const std::optional<QString> stored = PasswordForCheck(m_ui, m_ws);
    if (!stored)
        return false;
    if (m_old->text() != *stored) {
        m_ui.ShowInfo(QStringLiteral("\"기존비밀번호\"가 틀리게 입력되었습니다."));
        m_old->setFocus();
        return false;
    }
    if (m_new->text() != m_confirm->text()) {
        m_ui.ShowInfo(QStringLiteral("\"새 비밀번호\"와 \"확인 비밀번호\"가 틀리게 입력되었습니다."));
        m_new->setFocus();
        return false;
    }
    // Some characters would come back cut from Firm.ini and the password
    // would then read as none.
    if (!IsStorablePassword(m_new->text())) {
        m_ui.ShowInfo(QStringLiteral(
            "\"새 비밀번호\"에 저장할 수 없는 글자가 들어 있습니다.\r"
            "일부 한글(곰, 깔, 놓, 더, 란 등)과 한자, 특수문자는 비밀번호로 쓸 수 없습니다.\r"
            "다른 비밀번호를 입력하십시오."));
        m_new->setFocus();
        m_new->selectAll();
        return false;
    }
    if (!m_old->text().isEmpty() && m_new->text().isEmpty()
        && !m_ui.Confirm(QStringLiteral("비밀번호를 등록하지 않으시겠습니까?"), false))
        return false;
    if (!WritePassword(m_ws, m_new->text())) {
        m_ui.ShowError(
            QStringLiteral("비밀번호를 저장하지 못했습니다. 기존 비밀번호는 그대로입니다.\r") +
            m_ws.firmIniPath());
        return false;
    }
    // Recorded as changed, never with its value.
    if (const platform::Result<> recorded = audit::RecordInWorkspace(
            m_ws, {{audit::action::Update, QStringLiteral("Firm.ini"), QStringLiteral("프로그램"),
                    QString(), QStringLiteral("Password"), QVariant(),
                    m_new->text().isEmpty() ? QStringLiteral("(삭제됨)") : audit::kSecretChanged}});
        !recorded) {
        m_ui.ShowError(recorded.error());
        return false;
    }
    return true;
}

void TfmConfig::BtnOkClick()
{
    // The screen page hides the password fields; checking them there would
    // keep anyone with a password from storing screen settings, so that
    // page leaves the password alone.
    if (m_page == PasswordPage && !checkAndStorePassword())
        return;
    if (m_pictures->count() > 0 && m_pictures->currentItem() && m_pictures->currentItem()->isSelected())
        WriteBackgroundPicture(m_ws, m_pictures->currentItem()->text());
    WriteNoticeTextColor(m_ws, m_textColor);
    WriteNoticeBackColor(m_ws, m_backColor);
    accept();
}

} // namespace shell::ui
