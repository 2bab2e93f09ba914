#pragma once
// The DLL's own context, in place of an application framework: its module handle, the module lock
// count that decides when it may be unloaded, and the module-state switch around every call from the
// host, so that string resources and message boxes are the DLL's and not the host program's.

#include <windows.h>

#include <string>

namespace plugin {

// Called from DllMain.
void attachModule(HMODULE module);
void detachModule();
HMODULE moduleHandle();

// Living plug-in objects, class-factory references and graphics attached to the host.
void lockModule();
void unlockModule();
LONG moduleLockCount();

// Set once a plug-in object finds that it lives in a DLL; from then on every host call switches
// the module state.
void enableModuleStateSwitching();
bool isModuleStateSwitching();

// Runs the scope of one call from the host in the DLL's module state (when switching is enabled)
// and restores the caller's state at its end.
class CModuleStateScope {
public:
    CModuleStateScope();
    ~CModuleStateScope();
    CModuleStateScope(const CModuleStateScope&) = delete;
    CModuleStateScope& operator=(const CModuleStateScope&) = delete;

private:
    HMODULE m_Previous;
    bool m_Switched;
};

// The module whose resources are in effect: the DLL inside a switched scope, else the program.
HMODULE resourceModule();
// A string resource of the module in effect; empty when it has none with that id.
std::string loadString(UINT id);
// A message box of the plug-in (no owner window); returns the pressed button.
int messageBox(const std::string& text, const std::string& caption, UINT flags);

} // namespace plugin
