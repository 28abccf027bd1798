#pragma once

#include <QApplication>

#include <functional>

namespace shell {
class Ui;
class WorkspaceLock;
struct Workspace;
} // namespace shell

namespace shell::ui {

// Takes the workspace for the whole run of the desktop program `program`.
// A refusal is written to stderr and shown in a message box; the program
// then ends without having written anything.
bool HoldWorkspace(WorkspaceLock& lock, const QString& program, Ui& ui);
// Reads the settings files at the start of the desktop program `program`,
// which writes them (CheckSettingsFiles); one that is refused is written to
// stderr and shown in a message box, and the program ends.
bool CheckSettingsAtStart(const Workspace& ws, const QString& program, Ui& ui);

// Every screen is Korean, whatever the desktop's locale: the default
// locale (month and day names of the date pickers, numbers) and Qt's own
// texts (the file and folder choosers, Yes/No) are made Korean for the
// whole run. False when Qt's Korean translation file could not be loaded.
bool UseKorean(QCoreApplication& app);

// The application object of the desktop program. It carries the
// program-wide handler: an error that no screen handled is shown and
// logged, and the program keeps running. It speaks Korean (UseKorean).
class PelmarApplication : public QApplication
{
    Q_OBJECT
public:
    PelmarApplication(int& argc, char** argv);

    using ErrorHandler = std::function<void(const QString& message)>;
    void setErrorHandler(ErrorHandler handler) { m_handler = std::move(handler); }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    void report(const QString& message);

    ErrorHandler m_handler;
    bool m_reporting = false;
};

} // namespace shell::ui
