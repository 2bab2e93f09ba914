#include "plugin_signature.h"

#include "system_library.h"

#include "ansi_path.h"
#include "strell_systeminfo.h"
#include "stringex.h"
#include "win32_handles.h"

// In this order: each needs the one before.
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>

#include <vector>

namespace installer {

namespace {

// The signature functions, taken from the system folder (system_library.h) on first use and kept for the
// process.
struct TrustFunctions {
    strell::unique_hmodule wintrust = loadSystemLibrary("wintrust.dll");
    strell::unique_hmodule crypt32 = loadSystemLibrary("crypt32.dll");
    decltype(&WinVerifyTrust) verifyTrust = libraryFunction<decltype(&WinVerifyTrust)>(wintrust.get(), "WinVerifyTrust");
    decltype(&CryptQueryObject) queryObject =
        libraryFunction<decltype(&CryptQueryObject)>(crypt32.get(), "CryptQueryObject");
    decltype(&CryptMsgGetParam) messageParameter =
        libraryFunction<decltype(&CryptMsgGetParam)>(crypt32.get(), "CryptMsgGetParam");
    decltype(&CryptMsgClose) closeMessage = libraryFunction<decltype(&CryptMsgClose)>(crypt32.get(), "CryptMsgClose");
    decltype(&CertFindCertificateInStore) findCertificate =
        libraryFunction<decltype(&CertFindCertificateInStore)>(crypt32.get(), "CertFindCertificateInStore");
    decltype(&CertFreeCertificateContext) freeCertificate =
        libraryFunction<decltype(&CertFreeCertificateContext)>(crypt32.get(), "CertFreeCertificateContext");
    decltype(&CertCloseStore) closeStore = libraryFunction<decltype(&CertCloseStore)>(crypt32.get(), "CertCloseStore");

    bool complete() const
    {
        return verifyTrust && queryObject && messageParameter && closeMessage && findCertificate && freeCertificate &&
               closeStore;
    }
};

const TrustFunctions& trust()
{
    static const TrustFunctions functions;
    return functions;
}

// Owners for what those functions hand out; only made once trust() is complete.
struct CertificateStoreTraits {
    static HCERTSTORE empty() { return nullptr; }
    static void close(HCERTSTORE h) { trust().closeStore(h, 0); }
};
struct CryptMessageTraits {
    static HCRYPTMSG empty() { return nullptr; }
    static void close(HCRYPTMSG h) { trust().closeMessage(h); }
};
struct CertificateTraits {
    static PCCERT_CONTEXT empty() { return nullptr; }
    static void close(PCCERT_CONTEXT h) { trust().freeCertificate(h); }
};
using unique_certstore = strell::unique_handle<HCERTSTORE, CertificateStoreTraits>;
using unique_cryptmsg = strell::unique_handle<HCRYPTMSG, CryptMessageTraits>;
using unique_certificate = strell::unique_handle<PCCERT_CONTEXT, CertificateTraits>;

// The states of the certificate's chain and time: one certificate signed the installer and the plug-in,
// so they hold for both files alike. They are logged, not refused: a PC without a current root store
// (or a certificate past its time) must not lock the customer out of a plug-in from the same publisher.
// Anything else (no signature, a digest that no longer matches, a subject the system cannot read,
// an explicitly distrusted certificate) refuses the file.
bool isChainOrTimeState(LONG result)
{
    switch (static_cast<HRESULT>(result)) {
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_UNTRUSTEDTESTROOT:
    case CERT_E_UNTRUSTEDCA:
    case CERT_E_CHAINING:
    case CERT_E_EXPIRED:
    case CERT_E_VALIDITYPERIODNESTING:
    case CERT_E_REVOCATION_FAILURE:
    case TRUST_E_TIME_STAMP:
        return true;
    default:
        return false;
    }
}

// The digest of the file against its embedded signature, without any user interface and without asking
// the network for revocation lists.
LONG verifyEmbeddedSignature(const std::wstring& path, HANDLE file)
{
    WINTRUST_FILE_INFO fileInfo = {};
    fileInfo.cbStruct = sizeof fileInfo;
    fileInfo.pcwszFilePath = path.c_str();
    fileInfo.hFile = file;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG result = trust().verifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    trust().verifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result;
}

// The encoded certificate of the file's (first) signer; empty when the file carries no readable
// signature. lastError receives the cause then.
std::vector<BYTE> signerCertificate(const std::wstring& path, DWORD& lastError)
{
    lastError = 0;
    unique_certstore store;
    unique_cryptmsg message;
    if (!trust().queryObject(CERT_QUERY_OBJECT_FILE, path.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                          CERT_QUERY_FORMAT_FLAG_BINARY, 0, nullptr, nullptr, nullptr, store.put(), message.put(),
                          nullptr)) {
        lastError = GetLastError();
        return {};
    }
    DWORD size = 0;
    if (!trust().messageParameter(message.get(), CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size) || size == 0) {
        lastError = GetLastError();
        return {};
    }
    std::vector<BYTE> signerBuffer(size);
    if (!trust().messageParameter(message.get(), CMSG_SIGNER_INFO_PARAM, 0, signerBuffer.data(), &size)) {
        lastError = GetLastError();
        return {};
    }
    const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(signerBuffer.data());
    // The signer names its certificate by issuer and serial number; the certificate itself is in the
    // signature's store.
    CERT_INFO wanted = {};
    wanted.Issuer = signer->Issuer;
    wanted.SerialNumber = signer->SerialNumber;
    const unique_certificate certificate(trust().findCertificate(
        store.get(), X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0, CERT_FIND_SUBJECT_CERT, &wanted, nullptr));
    if (!certificate) {
        lastError = GetLastError();
        return {};
    }
    const BYTE* encoded = certificate.get()->pbCertEncoded;
    return std::vector<BYTE>(encoded, encoded + certificate.get()->cbCertEncoded);
}

} // namespace

SignatureCheck checkPluginSignature(const std::string& path, HANDLE file)
{
    // Present on every supported system; where they are not, no check can tell the publisher.
    if (!trust().complete())
        return {SignatureVerdict::Refused, "plug-in signature: the system's signature functions are missing, refused"};
    DWORD ownError = 0;
    const std::vector<BYTE> publisher = signerCertificate(strell::getExecutableWidePath(), ownError);
    if (publisher.empty())
        return {SignatureVerdict::InstallerUnsigned,
                strell::formatString("signature of the plug-in not checked: the installer itself is unsigned "
                                     "(CryptQueryObject 0x%08lX)",
                                     static_cast<unsigned long>(ownError))};

    const std::wstring pluginPath = strell::toWideText(path);
    const LONG trust = verifyEmbeddedSignature(pluginPath, file);
    std::string detail = strell::formatString("plug-in signature: WinVerifyTrust 0x%08lX", static_cast<unsigned long>(trust));
    if (trust != ERROR_SUCCESS && !isChainOrTimeState(trust))
        return {SignatureVerdict::Refused, detail + ", refused"};
    if (trust != ERROR_SUCCESS)
        detail += " (state of the certificate's chain or time, the same as the installer's; not refused)";

    DWORD pluginError = 0;
    const std::vector<BYTE> signer = signerCertificate(pluginPath, pluginError);
    if (signer.empty())
        return {SignatureVerdict::Refused,
                detail + strell::formatString(", signer not readable (CryptQueryObject 0x%08lX), refused",
                                              static_cast<unsigned long>(pluginError))};
    if (signer != publisher)
        return {SignatureVerdict::Refused, detail + ", signed with another certificate than the installer, refused"};
    return {SignatureVerdict::SamePublisher, detail + ", signed with the installer's certificate"};
}

} // namespace installer
