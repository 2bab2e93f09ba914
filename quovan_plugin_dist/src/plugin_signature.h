#pragma once
// Whether the plug-in file beside the installer comes from the installer's own publisher. The installer
// runs with administrator rights and copies the file into Program Files, where every map program loads
// it; the folder that holds both is usually writable for any program of the user.

#include <windows.h>

#include <string>

namespace installer {

enum class SignatureVerdict {
    SamePublisher,     // intact signature, made with the certificate that signed the installer
    InstallerUnsigned, // development and test builds: nothing to compare with, not checked
    Refused,           // no signature, a changed file, or another signer
};

struct SignatureCheck {
    SignatureVerdict verdict = SignatureVerdict::Refused;
    // For the log: the calls' results and what was decided from them.
    std::string detail;
};

// file: the plug-in, opened by the caller and held open for the check.
SignatureCheck checkPluginSignature(const std::string& path, HANDLE file);

} // namespace installer
