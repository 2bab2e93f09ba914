#include "error_report.h"

#include "system_library.h"

#include <windows.h>
#include <mapi.h>

#include <vector>

namespace installer {

namespace {
// MAPI takes non-const texts; keep writable copies alive for the call.
std::vector<char> writable(const std::string& text)
{
    return std::vector<char>(text.c_str(), text.c_str() + text.size() + 1);
}
} // namespace

bool sendErrorReport(const std::string& sender, const std::string& recipient, const std::string& subject,
                     const std::string& body, const std::string& attachment)
{
    try {
        // The library stays loaded: the mail system may keep threads of its own running.
        const HMODULE mapi = loadSystemLibrary("MAPI32.DLL").release();
        if (!mapi)
            return false;
        const auto sendMail = libraryFunction<LPMAPISENDMAIL>(mapi, "MAPISendMail");
        if (!sendMail)
            return false;

        std::vector<char> recipientText = writable(recipient);
        std::vector<char> senderText = writable(sender);
        std::vector<char> subjectText = writable(subject);
        std::vector<char> bodyText = writable(body);
        std::vector<char> attachmentText = writable(attachment);

        MapiRecipDesc to = {};
        to.ulRecipClass = MAPI_TO;
        to.lpszAddress = recipientText.data();

        MapiRecipDesc from = {};
        from.ulRecipClass = MAPI_ORIG;
        from.lpszAddress = senderText.data();

        MapiFileDesc file = {};
        file.nPosition = static_cast<ULONG>(-1);
        file.lpszPathName = attachmentText.data();

        MapiMessage message = {};
        message.lpszSubject = subjectText.data();
        message.lpszNoteText = bodyText.data();
        message.lpOriginator = &from;
        message.nRecipCount = 1;
        message.lpRecips = &to;
        if (!attachment.empty()) {
            message.nFileCount = 1;
            message.lpFiles = &file;
        }

        return sendMail(0, 0, &message, 0, 0) == SUCCESS_SUCCESS;
    } catch (...) {
        return false;
    }
}

} // namespace installer
