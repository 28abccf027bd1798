#include "shell/ui/application.h"

#include <exception>

namespace shell::ui {

PelmarApplication::PelmarApplication(int& argc, char** argv) : QApplication(argc, argv) {}

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
