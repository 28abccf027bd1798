#include "shell/ui/qt_ui.h"

#include "shell/app_info.h"
#include "shell/ui/basic_color_dialog.h"
#include "shell/ui/file_dialog.h"
#include "shell/ui/user_input.h"
#include "shell/ui/wait_window.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

namespace shell::ui {
namespace {

struct ButtonPair
{
    Ui::Button ours;
    QMessageBox::StandardButton qt;
};

const ButtonPair kButtons[] = {
    {Ui::Ok, QMessageBox::Ok},         {Ui::Cancel, QMessageBox::Cancel},
    {Ui::Yes, QMessageBox::Yes},       {Ui::No, QMessageBox::No},
    {Ui::Abort, QMessageBox::Abort},   {Ui::Retry, QMessageBox::Retry},
    {Ui::Ignore, QMessageBox::Ignore},
};

QMessageBox::StandardButton toQt(Ui::Button b)
{
    for (const ButtonPair& p : kButtons)
        if (p.ours == b)
            return p.qt;
    return QMessageBox::NoButton;
}

Ui::Button fromQt(QMessageBox::StandardButton b)
{
    for (const ButtonPair& p : kButtons)
        if (p.qt == b)
            return p.ours;
    return Ui::NoButton;
}

// The answer a box closed without a button click stands for.
Ui::Button safeAnswer(int buttons)
{
    for (Ui::Button b : {Ui::Cancel, Ui::No, Ui::Abort, Ui::Ignore, Ui::Ok})
        if (buttons & b)
            return b;
    return Ui::NoButton;
}

void letEventsRun()
{
    QCoreApplication::processEvents();
}

} // namespace

int ToBgr(const QColor& c)
{
    return (c.blue() << 16) | (c.green() << 8) | c.red();
}

QColor FromBgr(int bgr)
{
    return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
}

QString DisplayText(const QString& text)
{
    QString t = text;
    t.replace("\r\n", "\n");
    t.replace('\r', '\n');
    return t;
}

QWidget* DialogParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        if (!qobject_cast<TfrmWaitMsg*>(active))
            return active;
    return nullptr;
}

QtUi::QtUi() = default;

QtUi::~QtUi()
{
    delete m_wait.data();
}

void QtUi::message(int icon, const QString& text)
{
    CloseWait();
    if (m_ending)
        return;
    QMessageBox box(QMessageBox::Icon(icon), ApplicationTitle(), DisplayText(text), QMessageBox::Ok,
                    DialogParent());
    box.exec();
}

void QtUi::ShowInfo(const QString& text)
{
    message(QMessageBox::Information, text);
}

void QtUi::ShowError(const QString& text)
{
    message(QMessageBox::Critical, text);
}

void QtUi::ShowPlain(const QString& text)
{
    message(QMessageBox::NoIcon, text);
}

bool QtUi::Confirm(const QString& text, bool defaultYes)
{
    if (m_ending)
        return false;
    HideWait();
    QMessageBox box(QMessageBox::Question, ApplicationTitle(), DisplayText(text),
                    QMessageBox::Yes | QMessageBox::No, DialogParent());
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.exec();
    const bool yes = box.clickedButton() == box.button(QMessageBox::Yes);
    ReshowWait();
    return yes;
}

Ui::Button QtUi::Ask(const QString& text, int buttons, Button defaultButton)
{
    if (m_ending)
        return safeAnswer(buttons);
    HideWait();
    QMessageBox box(QMessageBox::Question, ApplicationTitle(), DisplayText(text),
                    QMessageBox::NoButton, DialogParent());
    for (const ButtonPair& p : kButtons)
        if (buttons & p.ours)
            box.addButton(p.qt);
    if (QAbstractButton* d = box.button(toQt(defaultButton)))
        box.setDefaultButton(qobject_cast<QPushButton*>(d));
    box.exec();
    Button answer = safeAnswer(buttons);
    if (QAbstractButton* clicked = box.clickedButton())
        answer = fromQt(box.standardButton(clicked));
    ReshowWait();
    return answer;
}

std::optional<QString> QtUi::PromptText(const QString& caption, const QString& label,
                                        const QString& initial, bool secret)
{
    if (m_ending)
        return std::nullopt;
    return PromptTextDialog(*this, caption, label, initial, secret, DialogParent());
}

TfrmWaitMsg* QtUi::ensureWait()
{
    if (!m_wait)
        m_wait = new TfrmWaitMsg;
    return m_wait;
}

void QtUi::ShowWaitMessage(const QString& text)
{
    ensureWait()->showMessage(text);
    letEventsRun();
}

void QtUi::ShowProgress(const QString& text, int min, int max, bool countMode)
{
    ensureWait()->showProgress(text, min, max, countMode);
    letEventsRun();
}

void QtUi::StepProgress()
{
    if (!m_wait)
        return;
    m_wait->step();
    // A loop over tens of thousands of rows would otherwise repaint the
    // window at every row; a few dozen times a second keep it live.
    if (!m_sinceEvents.isValid() || m_sinceEvents.elapsed() >= 25) {
        letEventsRun();
        m_sinceEvents.start();
    }
}

void QtUi::HideWait()
{
    if (!m_wait)
        return;
    m_wait->hide();
    letEventsRun();
}

void QtUi::ReshowWait()
{
    if (!m_wait)
        return;
    m_wait->show();
    letEventsRun();
}

void QtUi::CloseWait()
{
    delete m_wait.data();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    letEventsRun();
}

void QtUi::KeepResponsive()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

namespace {

// A file dialog's answer, none when it was cancelled or the program is
// ending (then it is not even shown).
template <typename Ask> std::optional<QString> chosenPath(bool ending, Ask&& ask)
{
    if (ending)
        return std::nullopt;
    const QString path = ask();
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

} // namespace

std::optional<QString> QtUi::ChooseOpenFile(const QString& caption, const QString& dir,
                                            const QString& filter)
{
    return chosenPath(m_ending, [&] { return AskOpenFile(DialogParent(), caption, dir, filter); });
}

std::optional<QString> QtUi::ChooseSaveFile(const QString& caption, const QString& path,
                                            const QString& filter)
{
    return chosenPath(m_ending, [&] { return AskSaveFile(DialogParent(), caption, path, filter); });
}

std::optional<QString> QtUi::ChooseDirectory(const QString& caption, const QString& dir)
{
    return chosenPath(m_ending, [&] { return AskDirectory(DialogParent(), caption, dir); });
}

std::optional<int> QtUi::ChooseColor(int initial)
{
    if (m_ending)
        return std::nullopt;
    const QColor c = QColorDialog::getColor(FromBgr(initial), DialogParent());
    return c.isValid() ? std::optional<int>(ToBgr(c)) : std::nullopt;
}

std::optional<int> QtUi::ChooseBasicColor(int initial)
{
    if (m_ending)
        return std::nullopt;
    BasicColorDialog dialog(FromBgr(initial), DialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ToBgr(dialog.color());
}

bool QtUi::OpenDocument(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool QtUi::OpenInTextEditor(const QString& path)
{
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        QStringList command = QProcess::splitCommand(qEnvironmentVariable(variable));
        if (command.isEmpty())
            continue;
        const QString program = command.takeFirst();
        if (QProcess::startDetached(program, command << path))
            return true;
    }
    return OpenDocument(path);
}

void AnswerOpenQuestionsForEnd(QtUi& ui)
{
    ui.SetEnding(true);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible())
            d->reject();
}

} // namespace shell::ui
