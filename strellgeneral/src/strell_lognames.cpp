#include "strell_log.h"

#include "strell_systeminfo.h"
#include "stringex.h"

#include <cstring>

namespace strell {

namespace {

// A NUL-terminated text of at most 255 characters.
struct NameSlot {
    char text[256];
    void set(const std::string& name)
    {
        const size_t length = name.size() < sizeof text - 1 ? name.size() : sizeof text - 1;
        std::memcpy(text, name.data(), length);
        text[length] = '\0';
    }
};

NameSlot g_FacilityName = {};
NameSlot g_SenderName = {};
bool g_SenderNameSet = false;

// Created on first use: a global lock would need a non-trivial constructor.
Cpcondition& nameLock()
{
    static Cpcondition lock;
    return lock;
}

void initialiseSenderName()
{
    if (!g_SenderNameSet) {
        g_SenderName.set(getFileName(getExecutablePath()));
        g_SenderNameSet = true;
    }
}

} // namespace

void SetFacilityName(std::string name)
{
    CLockingProxy<Cpcondition> lock(nameLock(), "strell::SetFacilityName");
    g_FacilityName.set(name);
}

std::string GetFacilityName()
{
    CLockingProxy<Cpcondition> lock(nameLock(), "strell::GetFacilityName");
    return g_FacilityName.text;
}

void SetSenderName(std::string name)
{
    CLockingProxy<Cpcondition> lock(nameLock(), "strell::SetSenderName");
    g_SenderName.set(name);
    g_SenderNameSet = true;
}

std::string GetSenderName()
{
    CLockingProxy<Cpcondition> lock(nameLock(), "strell::GetSenderName");
    initialiseSenderName();
    return g_SenderName.text;
}

} // namespace strell
