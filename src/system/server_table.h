#pragma once
// The five server programs, by index. The same indexes are the module ids of
// the control channel, and every loop over the servers runs in this order.

#include <array>
#include <string_view>

namespace tovex {

struct ComponentFlags;

inline constexpr int kServerCount = 5;
inline constexpr int kSmtpServer = 0;
inline constexpr int kPop3Server = 1;
inline constexpr int kControlServer = 2;
inline constexpr int kImServer = 3;
inline constexpr int kGroupWareServer = 4;

struct ServerRow {
  std::string_view serviceName;
  std::string_view programFile;
  std::string_view displayName;  // fixed texts, never translated
  std::string_view description;
  std::string_view windowClass;  // the console program's main window
  std::string_view windowTitle;
};

inline constexpr std::array<ServerRow, kServerCount> kServerTable{{
    {"TovexSMTP", "smtp.exe", "Tovex SMTP", "Provides support for MTA and SMTP protocol.", "TSMTPForm", "SMTP"},
    {"TovexPOP3", "pop3.exe", "Tovex POP3 / IMAP", "Provides support for POP3 and IMAP protocols.", "TPOP3Form",
     "POP3"},
    {"TovexControl", "control.exe", "Tovex Control / Web / FTP",
     "Provides support for remote administration, web and ftp services.", "TControlForm", "Control"},
    {"TovexIM", "im.exe", "Tovex IM / VoIP", "Provides support for Instant Messaging and VoIP.", "TIMForm",
     "Instant Messaging"},
    {"TovexCalendar", "cal.exe", "Tovex GroupWare Server", "Provides support for GroupWare.", "TGroupWareForm",
     "GroupWare"},
}};

// The operating system's own SMTP service, which listens on server 0's port.
inline constexpr std::string_view kConflictingSmtpService = "SMTPSVC";

// True when the component flag of the server's row keeps it from being
// installed or started (NoInstallMail covers SMTP and POP3).
bool IsServerExcluded(const ComponentFlags& flags, int index);

}  // namespace tovex
