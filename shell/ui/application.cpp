#include "shell/ui/application.h"

#include "shell/ui.h"
#include "shell/workspace_lock.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

#include <exception>

namespace shell::ui {

bool HoldWorkspace(WorkspaceLock& lock, const QString& program, Ui& ui)
{
    if (lock.Take(program))
        return true;
    QString text = lock.refusal();
    text.replace('\r', '\n');
    QTextStream(stderr) << program << ": " << text << Qt::endl;
    ui.ShowError(lock.refusal());
    return false;
}

PelmarApplication::PelmarApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // Qt's own dialogs and buttons (file and folder choosers, Yes/No) in
    // Korean, as the branch staff know them; without the translation files
    // they stay in English.
    auto* qt = new QTranslator(this);
    if (qt->load(QLocale(QLocale::Korean, QLocale::SouthKorea), "qtbase", "_",
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qt);
}

bool PelmarApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        report(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        report(QStringLiteral("알 수 없는 오류가 발생하였습니다."));
    }
    return false;
}

void PelmarApplication::report(const QString& message)
{
    // An error raised while its own box is up must not stack boxes.
    if (!m_handler || m_reporting)
        return;
    m_reporting = true;
    m_handler(message);
    m_reporting = false;
}

} // namespace shell::ui
