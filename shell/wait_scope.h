#pragma once

#include "shell/ui.h"

namespace shell {

// Shows the wait window for the life of the scope, so that it closes
// however the work ends.
class WaitScope
{
public:
    WaitScope(Ui& ui, const QString& text) : m_ui(ui) { m_ui.ShowWaitMessage(text); }
    ~WaitScope() { m_ui.CloseWait(); }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    Ui& m_ui;
};

} // namespace shell
