#include "com/plugin_module.h"

#include "bstr_text.h"

namespace plugin {

namespace {
HMODULE g_Module = nullptr;
volatile LONG g_LockCount = 0;
volatile LONG g_SwitchModuleState = 0;
// Module state of the calling thread: null outside every switched scope.
thread_local HMODULE t_ResourceModule = nullptr;
} // namespace

void attachModule(HMODULE module)
{
    g_Module = module;
}

void detachModule()
{
    g_Module = nullptr;
}

HMODULE moduleHandle()
{
    return g_Module;
}

void lockModule()
{
    InterlockedIncrement(&g_LockCount);
}

void unlockModule()
{
    InterlockedDecrement(&g_LockCount);
}

LONG moduleLockCount()
{
    return InterlockedCompareExchange(&g_LockCount, 0, 0);
}

void enableModuleStateSwitching()
{
    InterlockedExchange(&g_SwitchModuleState, 1);
}

bool isModuleStateSwitching()
{
    return InterlockedCompareExchange(&g_SwitchModuleState, 0, 0) != 0;
}

CModuleStateScope::CModuleStateScope() : m_Previous(t_ResourceModule), m_Switched(isModuleStateSwitching())
{
    if (m_Switched)
        t_ResourceModule = g_Module;
}

CModuleStateScope::~CModuleStateScope()
{
    if (m_Switched)
        t_ResourceModule = m_Previous;
}

HMODULE resourceModule()
{
    return t_ResourceModule ? t_ResourceModule : GetModuleHandleA(nullptr);
}

std::string loadString(UINT id)
{
    // A string table entry is counted UTF-16; read it in place and convert it to the code page.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(resourceModule(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? toNarrow(text, static_cast<size_t>(length)) : std::string();
}

int messageBox(const std::string& text, const std::string& caption, UINT flags)
{
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), flags);
}

} // namespace plugin
