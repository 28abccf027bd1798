#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace shell {

// Every message, question, prompt, chooser and the wait window go through
// this interface, so that core code runs the same behind the Qt screens,
// the console tool and the tests.
class Ui
{
public:
    enum Button {
        NoButton = 0,
        Ok = 0x1,
        Cancel = 0x2,
        Yes = 0x4,
        No = 0x8,
        Abort = 0x10,
        Retry = 0x20,
        Ignore = 0x40,
    };

    virtual ~Ui() = default;

    // Message boxes captioned with the application title. ShowInfo and
    // ShowError close the wait window first; Confirm and Ask only hide it.
    virtual void ShowInfo(const QString& text) = 0;
    virtual void ShowError(const QString& text) = 0;
    // A message box without an icon.
    virtual void ShowPlain(const QString& text) = 0;
    virtual bool Confirm(const QString& text, bool defaultYes = false) = 0;
    // `buttons` is an OR of Button values; returns the pressed one.
    virtual Button Ask(const QString& text, int buttons, Button defaultButton) = 0;
    // A one-line text prompt; nullopt when cancelled.
    virtual std::optional<QString> PromptText(const QString& caption, const QString& label,
                                              const QString& initial, bool secret) = 0;

    // Wait window.
    virtual void ShowWaitMessage(const QString& text) = 0;
    virtual void ShowProgress(const QString& text, int min, int max, bool countMode) = 0;
    virtual void StepProgress() = 0;
    virtual void HideWait() = 0;
    virtual void ReshowWait() = 0;
    virtual void CloseWait() = 0;
    // Called again and again while the core waits for something that shows
    // no progress (another program to end): the screens repaint and take
    // input meanwhile. Nothing to do without a window.
    virtual void KeepResponsive() {}

    // Choosers; nullopt when cancelled. `filter` uses Qt's "Name (*.ext)" form.
    virtual std::optional<QString> ChooseOpenFile(const QString& caption, const QString& dir,
                                                  const QString& filter) = 0;
    virtual std::optional<QString> ChooseSaveFile(const QString& caption, const QString& path,
                                                  const QString& filter) = 0;
    virtual std::optional<QString> ChooseDirectory(const QString& caption,
                                                   const QString& dir) = 0;
    // Colours as 0x00BBGGRR, as the settings file stores them.
    virtual std::optional<int> ChooseColor(int initial) = 0;

    // Open a file with the platform's viewer for its type.
    virtual bool OpenDocument(const QString& path) = 0;
    // Open a text file in the user's text editor; the viewer for its type
    // where no editor is set.
    virtual bool OpenInTextEditor(const QString& path) { return OpenDocument(path); }
};

} // namespace shell
