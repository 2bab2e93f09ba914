#pragma once
// Sending the log file by e-mail through the mail system's Simple MAPI.

#include <string>

namespace installer {

// Hands one message to MAPISendMail of "MAPI32.DLL"; true when the mail system accepted it.
bool sendErrorReport(const std::string& sender, const std::string& recipient, const std::string& subject,
                     const std::string& body, const std::string& attachment);

} // namespace installer
