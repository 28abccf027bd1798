#pragma once

#include <QApplication>

#include <functional>

namespace shell {
class Ui;
class WorkspaceLock;
} // namespace shell

namespace shell::ui {

// Takes the workspace for the whole run of the desktop program `program`.
// A refusal is written to stderr and shown in a message box; the program
// then ends without having written anything.
bool HoldWorkspace(WorkspaceLock& lock, const QString& program, Ui& ui);

// The application object of the desktop program. It carries the
// program-wide handler: an error that no screen handled is shown and
// logged, and the program keeps running.
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
