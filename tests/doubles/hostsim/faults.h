#pragma once
// Failures of host operations on demand: a rule makes an operation (for example "Menu.AddItem")
// answer a chosen result, on every call or on its n-th call only, or succeed with an empty out
// pointer. The hook that applies a rule reports it (tookEffect), so that a rule which never took
// effect, because the operation was not called or its hook is not in place, fails the script.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace hostsim {

struct FaultOutcome {
    bool fail = false;       // answer result instead of doing the work
    bool nullOut = false;    // do nothing, answer S_OK with an empty out pointer
    HRESULT result = S_OK;
};

class CFaultPlan {
public:
    // nth 0: every call from now on; else only the nth call from now on (1 = the next).
    void fail(const std::string& operation, HRESULT result, int nth);
    void nullOut(const std::string& operation, int nth);
    // The operation must not be called; a call is answered as without a rule.
    void forbid(const std::string& operation);
    void clear(const std::string& operation);

    // Counts the call and tells what to do with it.
    FaultOutcome onCall(const std::string& operation);
    // The hook has answered the outcome onCall gave it.
    void tookEffect(const std::string& operation);
    // What did not go as the rules said, one line each in the order it came to light: "fault <operation>
    // never took effect" for a rule replaced, cleared or still set without having taken effect, and
    // "forbidden <operation> was called".
    std::vector<std::string> unmet() const;

private:
    struct Rule {
        FaultOutcome outcome;
        int nth = 0;
        int calls = 0;
        bool tookEffect = false;
        bool forbidden = false;
    };
    static std::string unmetText(const std::string& operation, const Rule& rule);
    void set(const std::string& operation, const Rule& rule);
    void noteUnmet(const std::string& operation);

    std::map<std::string, Rule> m_Rules;
    std::vector<std::string> m_Unmet;
};

} // namespace hostsim
