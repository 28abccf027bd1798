#pragma once

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace shell {
class Ui;
struct Workspace;
}

namespace shell::ui {

// The one-line input dialog behind the password prompt and the general
// text prompt.
class TfrmUserInput : public QDialog
{
    Q_OBJECT
public:
    struct Options
    {
        QString caption;
        QString label;
        QString initial;
        bool masked = false;
        bool acceptEmpty = false;
        bool compare = false; // the entry must equal `expected`
        QString expected;
        int attempts = 1;
    };

    TfrmUserInput(Ui& ui, const Options& options, QWidget* parent = nullptr);

    QString text() const;
    int failedAttempts() const { return m_failed; }
    QLineEdit* entry() const { return m_entry; }
    QLabel* label() const { return m_label; }

    // " 확 인": checks the entry and closes with OK, or with Cancel once
    // every attempt has failed.
    void BtnOkClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    Ui& m_ui;
    Options m_options;
    QLabel* m_label;
    QLineEdit* m_entry;
    int m_failed = 0;
};

// The program password stored in the workspace's Firm.ini as the prompts
// compare it. A stored value
// that does not read back as the password that was set never counts as no
// password: the user is told (and it is logged), and nullopt comes back, so
// that nothing opens without the password.
std::optional<QString> PasswordForCheck(Ui& ui, const Workspace& ws);

// The program password, three attempts; true when it was given (or none
// is set and the empty entry was confirmed). False without a prompt when
// the stored password cannot be read.
bool AskPassword(Ui& ui, const Workspace& ws, QWidget* parent = nullptr);

// A general one-line input: label = prompt + " :", the entry pre-filled,
// an empty entry not accepted. nullopt for Cancel.
std::optional<QString> PromptTextDialog(Ui& ui, const QString& caption, const QString& prompt,
                                        const QString& initial, bool secret,
                                        QWidget* parent = nullptr);

} // namespace shell::ui
