#pragma once

#include "shell/ui.h"

#include <QTextStream>

namespace shell {

// The Ui of the command-line tool: messages go to stderr; questions are
// answered by the --yes/--no choice given on the command line, or refused
// (answered No/Cancel with a note) when neither was given.
class ConsoleUi : public Ui
{
public:
    enum Answer { Refuse, AlwaysYes, AlwaysNo };

    explicit ConsoleUi(Answer answer = Refuse);

    void ShowInfo(const QString& text) override;
    void ShowError(const QString& text) override;
    void ShowPlain(const QString& text) override;
    bool Confirm(const QString& text, bool defaultYes) override;
    Button Ask(const QString& text, int buttons, Button defaultButton) override;
    std::optional<QString> PromptText(const QString& caption, const QString& label,
                                      const QString& initial, bool secret) override;
    void ShowWaitMessage(const QString& text) override;
    void ShowProgress(const QString& text, int min, int max, bool countMode) override;
    void StepProgress() override;
    void HideWait() override {}
    void ReshowWait() override {}
    void CloseWait() override;
    std::optional<QString> ChooseOpenFile(const QString&, const QString&,
                                          const QString&) override;
    std::optional<QString> ChooseSaveFile(const QString&, const QString&,
                                          const QString&) override;
    std::optional<QString> ChooseDirectory(const QString&, const QString&) override;
    std::optional<int> ChooseColor(int initial) override;
    bool OpenDocument(const QString& path) override;

    // The text of the last error shown, for the tool's exit message.
    const QString& lastError() const { return m_lastError; }
    // The last information shown (kept back by --quiet): a refusal the
    // screens tell as information is the reason a command failed.
    const QString& lastInfo() const { return m_lastInfo; }
    // The first question refused for want of --yes or --no; empty when none.
    const QString& refusedQuestion() const { return m_refused; }
    void setQuiet(bool quiet) { m_quiet = quiet; }
    bool quiet() const { return m_quiet; }

private:
    void print(const QString& prefix, const QString& text);
    void refuse(const QString& question);

    Answer m_answer;
    QTextStream m_err;
    QString m_lastError;
    QString m_lastInfo;
    QString m_refused;
    bool m_quiet = false;
    int m_max = 0;
    int m_pos = 0;
    bool m_countMode = false;
};

} // namespace shell
