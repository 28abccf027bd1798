#pragma once

#include <QString>

namespace shell {

struct Workspace;

// Addresses and numbers that differ between deployments, kept in the
// [Site] section of Firm.ini; each falls back to the value below.
struct SiteSettings
{
    QString noticeHost;  // NoticeHost: the server of the notice page
    QString bankHost;    // BankHost: the bank's internet-banking host
    QString helpDeskTel; // HelpDeskTel: shown in the status strip
};

inline constexpr const char* kDefaultNoticeHost = "notice.miradel.example";
inline constexpr const char* kDefaultBankHost = "banking.tervo.example";
inline constexpr const char* kDefaultHelpDeskTel = "02-555-0142";

SiteSettings ReadSiteSettings(const Workspace& ws);

// Base name of the program file up to its first dot; the whole name when
// it has none (Linux executables carry no extension).
QString NoticePageName(const QString& programFile);
// "http://" + host + ":8050/popup/package/" + name + "/" + name + ".htm",
// all in lower case.
QString NoticeAddress(const QString& programFile, const QString& host);
// The bank's transfer-status page.
QString TransferStatusAddress(const QString& bankHost);

} // namespace shell
