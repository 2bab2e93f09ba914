#include "faults.h"

#include <algorithm>

namespace hostsim {

void CFaultPlan::fail(const std::string& operation, HRESULT result, int nth)
{
    Rule rule;
    rule.outcome.fail = true;
    rule.outcome.result = result;
    rule.nth = nth;
    set(operation, rule);
}

void CFaultPlan::nullOut(const std::string& operation, int nth)
{
    Rule rule;
    rule.outcome.nullOut = true;
    rule.nth = nth;
    set(operation, rule);
}

void CFaultPlan::forbid(const std::string& operation)
{
    Rule rule;
    rule.forbidden = true;
    set(operation, rule);
}

void CFaultPlan::clear(const std::string& operation)
{
    noteUnmet(operation);
    m_Rules.erase(operation);
}

FaultOutcome CFaultPlan::onCall(const std::string& operation)
{
    const auto found = m_Rules.find(operation);
    if (found == m_Rules.end())
        return FaultOutcome();
    Rule& rule = found->second;
    ++rule.calls;
    if (rule.forbidden || (rule.nth != 0 && rule.calls != rule.nth))
        return FaultOutcome();
    return rule.outcome;
}

void CFaultPlan::tookEffect(const std::string& operation)
{
    const auto found = m_Rules.find(operation);
    if (found != m_Rules.end())
        found->second.tookEffect = true;
}

std::vector<std::string> CFaultPlan::unmet() const
{
    std::vector<std::string> lines = m_Unmet;
    for (const auto& rule : m_Rules) {
        const std::string line = unmetText(rule.first, rule.second);
        if (!line.empty() && std::find(lines.begin(), lines.end(), line) == lines.end())
            lines.push_back(line);
    }
    return lines;
}

std::string CFaultPlan::unmetText(const std::string& operation, const Rule& rule)
{
    if (rule.forbidden)
        return rule.calls > 0 ? "forbidden " + operation + " was called" : std::string();
    return rule.tookEffect ? std::string() : "fault " + operation + " never took effect";
}

void CFaultPlan::set(const std::string& operation, const Rule& rule)
{
    noteUnmet(operation);
    m_Rules[operation] = rule;
}

void CFaultPlan::noteUnmet(const std::string& operation)
{
    const auto found = m_Rules.find(operation);
    if (found == m_Rules.end())
        return;
    const std::string line = unmetText(operation, found->second);
    if (!line.empty() && std::find(m_Unmet.begin(), m_Unmet.end(), line) == m_Unmet.end())
        m_Unmet.push_back(line);
}

} // namespace hostsim
