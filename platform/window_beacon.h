#pragma once

#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace platform {

// Stands in for the search of a top-level window by its title: a running
// main window raises a per-user local socket named after its title, and a
// program starting up asks whether anyone answers on that name.
class WindowBeacon
{
public:
    WindowBeacon();
    ~WindowBeacon();
    WindowBeacon(const WindowBeacon&) = delete;
    WindowBeacon& operator=(const WindowBeacon&) = delete;

    // The socket name for a title: user id and a digest of the title, so
    // that neither other users nor odd characters get in the way.
    static QString ServerName(const QString& title);
    // True when a live beacon of that title answers.
    static bool Exists(const QString& title, int timeoutMs = 300);
    // Asks the live beacon of that title to bring its window to the front
    // (the request "raise"); true when one took the request.
    static bool AskToRaise(const QString& title, int timeoutMs = 300);

    // What the window does when another start asks it to come to the front.
    void SetRaiseHandler(std::function<void()> handler) { m_onRaise = std::move(handler); }

    // Starts answering under `title`; a socket left behind by a crashed
    // program is cleared first. False when another live beacon holds it.
    bool Raise(const QString& title);
    void Lower();
    bool IsRaised() const;

private:
    std::unique_ptr<QLocalServer> m_server;
    std::function<void()> m_onRaise;
};

} // namespace platform
