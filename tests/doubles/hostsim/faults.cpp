#include "faults.h"

namespace hostsim {

void CFaultPlan::fail(const std::string& operation, HRESULT result, int nth)
{
    Rule rule;
    rule.outcome.fail = true;
    rule.outcome.result = result;
    rule.nth = nth;
    m_Rules[operation] = rule;
}

void CFaultPlan::nullOut(const std::string& operation, int nth)
{
    Rule rule;
    rule.outcome.nullOut = true;
    rule.nth = nth;
    m_Rules[operation] = rule;
}

void CFaultPlan::clear(const std::string& operation)
{
    m_Rules.erase(operation);
}

FaultOutcome CFaultPlan::onCall(const std::string& operation)
{
    const auto found = m_Rules.find(operation);
    if (found == m_Rules.end())
        return FaultOutcome();
    Rule& rule = found->second;
    ++rule.calls;
    if (rule.nth != 0 && rule.calls != rule.nth)
        return FaultOutcome();
    return rule.outcome;
}

} // namespace hostsim
