#include "host/geo_plugin_exception.h"

#include "com/plugin_module.h"
#include "host/error_table.h"
#include "stringex.h"

#include <utility>

namespace {

// The system's text for a result, as it gives it; empty when it has none.
std::string systemText(HRESULT result)
{
    char buffer[400] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(result), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        buffer, sizeof buffer, nullptr);
    return std::string(buffer, length);
}

} // namespace

CGeoPlugInException::CGeoPlugInException(int errorCode, HRESULT result, std::string message,
                                         HRESULT defaultResult)
    : m_ErrorCode(errorCode), m_Result(result), m_Message(std::move(message)), m_DefaultResult(defaultResult)
{
}

std::string CGeoPlugInException::getMessage() const
{
    if (m_Result != S_FALSE || m_Result == m_ErrorCode) {
        if (!m_Message.empty())
            return m_Message;
        const std::string text = systemText(m_Result);
        // A result the system has no text for still gets a message that says what happened.
        return text.empty() ? strell::formatString("Unknown error (0x%08lX)", static_cast<unsigned long>(m_Result))
                            : text;
    }
    const char* text = findGeoErrorText(m_ErrorCode);
    return text ? text : "Unknown error";
}

void CGeoPlugInException::report() const
{
    std::string text = getMessage();
    if (text.empty())
        text = m_Message;
    plugin::messageBox(text, "Error", MB_OK | MB_SETFOREGROUND);
}

void checkHostResult(HRESULT result, int errorCode)
{
    if (FAILED(result) || result == S_FALSE)
        throw CGeoPlugInException(errorCode, result);
}

void requireHostInterface(const void* hostInterface)
{
    if (!hostInterface)
        throw CGeoPlugInException(geoerror::NotInitialised, S_FALSE);
}
