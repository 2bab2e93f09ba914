#pragma once
// The plug-in's one error type: a failed host operation (error code), the host's result and a message.

#include <windows.h>

#include <string>

class CGeoPlugInException {
public:
    // A freshly prepared value: code 1, result 1 (no call made), empty message, default result E_FAIL.
    CGeoPlugInException() = default;
    CGeoPlugInException(int errorCode, HRESULT result, std::string message = std::string(),
                        HRESULT defaultResult = E_FAIL);
    virtual ~CGeoPlugInException() = default;

    // Shows the message in a box with the caption "Error".
    virtual void report() const;

    // The table text when the host answered S_FALSE or was not called; the system's text otherwise.
    std::string getMessage() const;

    int errorCode() const { return m_ErrorCode; }
    HRESULT result() const { return m_Result; }
    const std::string& message() const { return m_Message; }
    // What an entry point answers the host when it ends with this error.
    HRESULT defaultResult() const { return m_DefaultResult; }

private:
    int m_ErrorCode = 1;
    HRESULT m_Result = S_FALSE;
    std::string m_Message;
    HRESULT m_DefaultResult = E_FAIL;
};

// Throws the error code with the result when the host call failed or answered S_FALSE.
void checkHostResult(HRESULT result, int errorCode);
// Throws code 166 when the wrapper has no host interface to call.
void requireHostInterface(const void* hostInterface);
