#pragma once
// One call of the plug-in into the host: consults the fault plan and writes the transcript line
// "call <operation>(<arguments>) -> <result>[ <detail>]".

#include "host_state.h"

#include <string>

namespace hostsim {

class CHostCall {
public:
    CHostCall(CHostState& host, const char* operation, std::string arguments = std::string());

    // The fault plan wants this call to fail; answer with finish(injected()).
    bool failed() const { return m_Outcome.fail; }
    // The fault plan wants an empty out pointer with S_OK.
    bool nullOut() const { return m_Outcome.nullOut; }
    HRESULT injected() const { return m_Outcome.result; }

    HRESULT finish(HRESULT result, const std::string& detail = std::string());

private:
    CHostState& m_Host;
    std::string m_Operation;
    std::string m_Arguments;
    FaultOutcome m_Outcome;
};

} // namespace hostsim
