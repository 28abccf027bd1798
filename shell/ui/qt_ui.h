#pragma once

#include "shell/ui.h"
#include "shell/ui/wait_window.h"

#include <QElapsedTimer>
#include <QPointer>

class QWidget;

namespace shell::ui {


// The Ui of the desktop program: message boxes captioned with the
// application title, the wait window, Qt's file and colour choosers.
class QtUi : public Ui
{
public:
    QtUi();
    ~QtUi() override;

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
    void KeepResponsive() override;

    std::optional<QString> ChooseOpenFile(const QString& caption, const QString& dir,
                                          const QString& filter) override;
    std::optional<QString> ChooseSaveFile(const QString& caption, const QString& path,
                                          const QString& filter) override;
    std::optional<QString> ChooseDirectory(const QString& caption, const QString& dir) override;
    std::optional<int> ChooseColor(int initial) override;
    // A chooser that offers only the basic colours.
    std::optional<int> ChooseBasicColor(int initial);

    bool OpenDocument(const QString& path) override;
    bool OpenInTextEditor(const QString& path) override;

    // While the program is being ended from outside no new box is shown:
    // messages are dropped and every question gets its safe answer.
    void SetEnding(bool ending) { m_ending = ending; }
    bool IsEnding() const { return m_ending; }

    // The wait window while it exists (for the screens and the tests).
    TfrmWaitMsg* waitWindow() const { return m_wait; }

private:
    TfrmWaitMsg* ensureWait();
    void message(int icon, const QString& text);

    QPointer<TfrmWaitMsg> m_wait;
    bool m_ending = false;
    QElapsedTimer m_sinceEvents; // since a progress step last let events run
};

// Colour conversions between QColor and the settings file's 0x00BBGGRR.
int ToBgr(const QColor& color);
QColor FromBgr(int bgr);

// The system's texts break lines with "\r"; Qt wants "\n".
QString DisplayText(const QString& text);

// The window message boxes and dialogs belong to.
QWidget* DialogParent();

// An outside end request while a program starts: every question from now on
// takes its safe answer, and the dialogs open now are closed with theirs.
void AnswerOpenQuestionsForEnd(QtUi& ui);

} // namespace shell::ui
