#include "host_call.h"

#include "transcript_text.h"

#include <utility>

namespace hostsim {

CHostCall::CHostCall(CHostState& host, const char* operation, std::string arguments)
    : m_Host(host), m_Operation(operation), m_Arguments(std::move(arguments)), m_Outcome(host.faults.onCall(operation))
{
}

HRESULT CHostCall::finish(HRESULT result, const std::string& detail)
{
    std::string line = "call " + m_Operation + "(" + m_Arguments + ") -> " + resultName(result);
    if (m_Outcome.fail)
        line += " injected";
    else if (m_Outcome.nullOut)
        line += " null";
    if (!detail.empty())
        line += " " + detail;
    m_Host.log(line);
    if ((m_Outcome.fail && result == m_Outcome.result) || m_NullOutAsked)
        m_Host.faults.tookEffect(m_Operation);
    return result;
}

} // namespace hostsim
