#pragma once

#include "shell/ui.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace testing_support {

// A Ui for tests: answers come from a queue the test fills, every message
// is recorded with its kind, and a question nobody expected fails the test.
class ScriptedUi : public shell::Ui
{
public:
    struct Message
    {
        QString kind; // "info", "error", "plain", "confirm", "ask", "prompt", "wait", "progress", "open"
        QString text;
    };

    // Queue answers in the order the questions will come.
    void answerConfirm(bool yes) { m_answers.append(QVariant(yes)); }
    void answerAsk(Button b) { m_answers.append(QVariant::fromValue(int(b))); }
    void answerPrompt(const QString& text) { m_answers.append(QVariant(text)); }
    void answerPromptCancel() { m_answers.append(QVariant()); }
    void answerChooser(const QString& path) { m_answers.append(QVariant(path)); }
    void answerColor(int color) { m_answers.append(QVariant::fromValue(color)); }

    const QList<Message>& messages() const { return m_messages; }
    QStringList texts(const QString& kind) const;
    bool saw(const QString& kind, const QString& text) const;
    int pendingAnswers() const { return int(m_answers.size()); }
    void clear() { m_messages.clear(); }

    bool waitVisible() const { return m_waitExists && !m_waitHidden; }
    bool waitExists() const { return m_waitExists; }
    int progressPosition() const { return m_position; }
    QString progressLabel() const;

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
    void HideWait() override;
    void ReshowWait() override;
    void CloseWait() override;
    std::optional<QString> ChooseOpenFile(const QString& caption, const QString& dir,
                                          const QString& filter) override;
    std::optional<QString> ChooseSaveFile(const QString& caption, const QString& path,
                                          const QString& filter) override;
    std::optional<QString> ChooseDirectory(const QString& caption, const QString& dir) override;
    std::optional<int> ChooseColor(int initial) override;
    bool OpenDocument(const QString& path) override;

private:
    QVariant next(const QString& kind, const QString& text);

    QList<QVariant> m_answers;
    QList<Message> m_messages;
    bool m_waitExists = false;
    bool m_waitHidden = false;
    int m_min = 0, m_max = 0, m_position = 0;
    bool m_countMode = false;
};

} // namespace testing_support
