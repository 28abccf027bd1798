#pragma once

#include <QString>

#include <functional>
#include <map>

class QWidget;

namespace codes {
struct CodeLists;
}
namespace shell {
class Ui;
}
namespace store {
class TDM1;
}

namespace shell::ui {

// The working screens the main window opens. Each subsystem that brings a
// screen registers how to open it; a menu entry whose screen nobody has
// registered stays greyed out.
enum class Screen {
    Transmission,        // mode 0 send, 1 send and receive, 2 receive, 3 re-receive
    TransmissionResults, // the link's report of past transmissions
    Collections,         // 수납 현황: the month collected per institution
    ChangeRecord,        // 변경 이력 조회: who changed what, when
    ConsentRegister,
    BankCodes,
    CodeTable,           // codeKind 21 (outcome) or 16 (result codes)
    FollowUpRules,       // the follow-up of failed lines by result code; readOnly under 업무
    Institutions,
    EvidenceKey,
    Backup,
    Restore,
    Reorganise,
    HelpDeskDataSend,
    HelpDeskFileSend,
    MemoEditor,          // file empty: the memo file; readOnly for a viewer
    ConsentTemplate,
    Holidays,            // the branch's business calendar; readOnly under 업무
};

// The two screens that live inside the main window.
enum class ChildKind { TransferBatches, BatchGroups };

struct ScreenRequest
{
    QWidget* parent = nullptr;
    Ui* ui = nullptr;
    store::TDM1* dm = nullptr;
    QString caption;
    bool readOnly = false;
    int mode = 0;
    int codeKind = 0;
    QString file;
    const codes::CodeLists* codes = nullptr; // the main window's institution and bank lists
};

class ScreenCatalog
{
public:
    using Opener = std::function<void(const ScreenRequest&)>;
    // Builds the child screen's widget (which should implement widgets::ChildScreen).
    using ChildFactory = std::function<QWidget*(const ScreenRequest&)>;
    // The guard before a send; shows its own message when it says no.
    using SendTimeCheck = std::function<bool(Ui&, store::TDM1&)>;

    void add(Screen screen, Opener opener) { m_screens[screen] = std::move(opener); }
    void addChild(ChildKind kind, ChildFactory factory) { m_children[kind] = std::move(factory); }
    void setSendTimeCheck(SendTimeCheck check) { m_sendTimeCheck = std::move(check); }

    bool has(Screen screen) const { return m_screens.count(screen) > 0; }
    bool hasChild(ChildKind kind) const { return m_children.count(kind) > 0; }
    const Opener* opener(Screen screen) const;
    const ChildFactory* child(ChildKind kind) const;
    const SendTimeCheck& sendTimeCheck() const { return m_sendTimeCheck; }

private:
    std::map<Screen, Opener> m_screens;
    std::map<ChildKind, ChildFactory> m_children;
    SendTimeCheck m_sendTimeCheck;
};

} // namespace shell::ui
