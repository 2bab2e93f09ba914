#pragma once
// Addresses of the maker used by the installer's error-report mail.

namespace installer {

// Sender of the error report.
constexpr char kOfficeMailAddress[] = "office@telvor.de";
// Recipient of the error report, also named in the mail question.
constexpr char kSupportMailAddress[] = "support@telvor.de";

} // namespace installer
