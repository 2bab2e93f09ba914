#pragma once
// One call of the plug-in into the host: consults the fault plan and writes the transcript line
// "call <operation>(<arguments>) -> <result>[ <detail>]". A fault took effect when the call answered
// the injected result, or an empty out pointer where it was asked whether to.

#include "host_state.h"

#include <string>

namespace hostsim {

class CHostCall {
public:
    CHostCall(CHostState& host, const char* operation, std::string arguments = std::string());

    // The fault plan wants this call to fail; answer with finish(injected()).
    bool failed() const { return m_Outcome.fail; }
    // The fault plan wants an empty out pointer with S_OK; asked by the calls that can answer one.
    bool nullOut() const
    {
        m_NullOutAsked = m_Outcome.nullOut;
        return m_Outcome.nullOut;
    }
    HRESULT injected() const { return m_Outcome.result; }

    HRESULT finish(HRESULT result, const std::string& detail = std::string());

private:
    CHostState& m_Host;
    std::string m_Operation;
    std::string m_Arguments;
    FaultOutcome m_Outcome;
    mutable bool m_NullOutAsked = false;
};

} // namespace hostsim
