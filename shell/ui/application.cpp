#include "shell/ui/application.h"

#include "shell/ui.h"
#include "shell/workspace.h"
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

bool CheckSettingsAtStart(const Workspace& ws, const QString& program, Ui& ui)
{
    const platform::Result<> checked = CheckSettingsFiles(ws, true);
    if (checked)
        return true;
    QString text = checked.error();
    text.replace('\r', '\n');
    QTextStream(stderr) << program << ": " << text << Qt::endl;
    ui.ShowError(checked.error());
    return false;
}

bool UseKorean(QCoreApplication& app)
{
    const QLocale korean(QLocale::Korean, QLocale::SouthKorea);
    QLocale::setDefault(korean);
    // Loaded by the Korean locale, not by the system's languages, so that a
    // desktop set to English or "C" still gets the Korean file.
    auto* qt = new QTranslator(&app);
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!qt->load(QStringLiteral("qtbase_ko"), dir)) {
        delete qt;
        return false;
    }
    QCoreApplication::installTranslator(qt);
    return true;
}

PelmarApplication::PelmarApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    UseKorean(*this);
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
