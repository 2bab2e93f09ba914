#pragma once
// The maker's web addresses, kept in this one place, and opening them in the user's browser.

#include <string>

namespace web {

// The maker's web site, without scheme.
const char* const kMakerHost = "www.telvor.de";

// The install page that helps putting the software on the mobile telephone.
std::string installPageUrl();

// The installer of the desktop program, and where it lies as the user reads it (without scheme).
std::string downloadUrl();
std::string downloadLocation();

// Opens the address with the shell's "open" verb in a normal window.
void openUrl(const std::string& url);

} // namespace web
