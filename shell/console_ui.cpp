#include "shell/console_ui.h"

#include <cstdio>

namespace shell {

ConsoleUi::ConsoleUi(Answer answer) : m_answer(answer), m_err(stderr) {}

void ConsoleUi::print(const QString& prefix, const QString& text)
{
    QString t = text;
    t.replace("\r\n", "\n");
    t.replace('\r', '\n');
    m_err << prefix << t.trimmed() << Qt::endl;
}

void ConsoleUi::refuse(const QString& question)
{
    print({}, "(answered No; give --yes or --no to answer)");
    if (m_refused.isEmpty())
        m_refused = question;
}

void ConsoleUi::ShowInfo(const QString& text)
{
    m_lastInfo = text;
    if (!m_quiet)
        print({}, text);
}

void ConsoleUi::ShowError(const QString& text)
{
    m_lastError = text;
    print("error: ", text);
}

void ConsoleUi::ShowPlain(const QString& text)
{
    ShowInfo(text);
}

bool ConsoleUi::Confirm(const QString& text, bool)
{
    print("question: ", text);
    if (m_answer == Refuse) {
        refuse(text);
        return false;
    }
    print({}, m_answer == AlwaysYes ? "(--yes)" : "(--no)");
    return m_answer == AlwaysYes;
}

Ui::Button ConsoleUi::Ask(const QString& text, int buttons, Button)
{
    print("question: ", text);
    if (m_answer == Refuse)
        refuse(text);
    if (m_answer == AlwaysYes) {
        for (Button b : {Yes, Ok, Retry, Ignore})
            if (buttons & b)
                return b;
    }
    for (Button b : {No, Cancel, Abort})
        if (buttons & b)
            return b;
    return NoButton;
}

std::optional<QString> ConsoleUi::PromptText(const QString&, const QString& label,
                                             const QString&, bool)
{
    print("prompt refused: ", label);
    return std::nullopt;
}

void ConsoleUi::ShowWaitMessage(const QString& text)
{
    if (!m_quiet)
        print({}, text);
}

void ConsoleUi::ShowProgress(const QString& text, int min, int max, bool countMode)
{
    m_max = max;
    m_pos = min;
    m_countMode = countMode;
    if (!m_quiet)
        print({}, text);
}

void ConsoleUi::StepProgress()
{
    ++m_pos;
}

void ConsoleUi::CloseWait() {}

std::optional<QString> ConsoleUi::ChooseOpenFile(const QString&, const QString&, const QString&)
{
    return std::nullopt;
}

std::optional<QString> ConsoleUi::ChooseSaveFile(const QString&, const QString&, const QString&)
{
    return std::nullopt;
}

std::optional<QString> ConsoleUi::ChooseDirectory(const QString&, const QString&)
{
    return std::nullopt;
}

std::optional<int> ConsoleUi::ChooseColor(int)
{
    return std::nullopt;
}

bool ConsoleUi::OpenDocument(const QString& path)
{
    print("file: ", path);
    return true;
}

} // namespace shell
