#pragma once
// Failures of host operations on demand: a rule makes an operation (for example "Menu.AddItem")
// answer a chosen result, on every call or on its n-th call only, or succeed with an empty out
// pointer.

#include <windows.h>

#include <map>
#include <string>

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
    void clear(const std::string& operation);

    // Counts the call and tells what to do with it.
    FaultOutcome onCall(const std::string& operation);

private:
    struct Rule {
        FaultOutcome outcome;
        int nth = 0;
        int calls = 0;
    };
    std::map<std::string, Rule> m_Rules;
};

} // namespace hostsim
