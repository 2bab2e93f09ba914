#pragma once
// The simulated host's script: one command per line, "#" starts a comment. Every command is echoed
// to the transcript as "> <line>" before it runs; what the plug-in answers follows as "= <slot> -> <result>".
//
//   initialise [null] [id <n>]      Initialize with the application (or none); plug-in id 7 by default
//   terminate                       Terminate
//   menu <id>                       a menu event with the command id
//   move <x> <y>                    mouse event type 1 at the view position
//   click [<x> <y>]                 mouse event type 2 (at the last position when none is given)
//   mouse <type> [<x> <y>]          mouse event of any type
//   notify graphic|overlay|group|view   one of the four notification slots
//   info [null]                     the plug-in information call (without out parameter: null)
//   create                          a new plug-in object by the programmatic identifier
//   release                         the host lets go of the plug-in object
//   factory hold|release            the host holds (or lets go of) a class factory of the plug-in
//   canunload                       asks the plug-in DLL's DllCanUnloadNow
//   fail <operation> <result> [<n>] the operation answers the result (every call, or only the n-th)
//   null <operation> [<n>]          the operation answers S_OK with an empty out pointer
//   never <operation>               the operation must not be called (it works if it is)
//   pass <operation>                the operation works again
//   A fault that never took effect (its operation not called, or its hook not in place) is named
//   at the end as "fault <operation> never took effect", a forbidden operation that was called as
//   "forbidden <operation> was called"; either fails the script.
//   offer <what> yes|no             application2, control, menu2, coordinates2, graphic-pen,
//                                   graphic-flags, graphic-extensions, document2, info-class
//   document open|none              whether the host has an active document
//   view <first> <second> <unit>    map coordinate of the view's origin and map units per pixel
//   map <name> <path> <scale> <8 corner numbers>   adds an available map (texts in double quotes)
//   locale <name>                   sets the C library's locale of the host process (as a host with
//                                   its own language settings does), e.g. "German_Germany.1252"
//   later <ms> <command ...>        runs the command after the delay, from within the message loop the
//                                   host's thread is in then (for example while the plug-in waits);
//                                   its echo is "later: <command ...>"
//   cancel                          presses the button of the plug-in's wait window, written as
//                                   "wait window "<title>": "<text>" [<button>] pressed" (or "no wait window")
//   show menu|graphics|settings|maps|info|objects|windowqueries  dumps the host's state (objects:
//                                   how many of the host's COM objects are alive; windowqueries: how
//                                   many questions about single windows the plug-in asked the system
//                                   since the last time, see system_faults.h)
//
// The host has a main window that the watchdog of main_window.h watches while the script runs; at the
// end the transcript gets "longest unanswered: <n> ms".
//
// Operations are named "<Object>.<Method>" as the transcript shows them (for example "Menu.AddItem",
// "Application.WriteSetting", "Graphic.SetPenSize", "PlugInInfoClass.Create"). The system calls of
// system_faults.h are "System.EnumWindows", "System.ThreadSnapshot" and "System.ModuleSnapshot" (the
// two kinds of CreateToolhelp32Snapshot); for them the result of "fail" is the Windows error code the
// call leaves (e.g. "fail System.EnumWindows 8"). For "System.ProcessList" (the process list with
// its threads) it is the status the call answers (e.g. "fail System.ProcessList 0xC0000017").

#include "host_classes.h"
#include "host_state.h"
#include "main_window.h"
#include "plugin_session.h"

#include <string>
#include <vector>

namespace hostsim {

class CScript {
public:
    // With timing, each step is followed by the line "time <ms> ms".
    CScript(CHostState& host, CHostClasses& classes, CPlugInSession& session, std::string progId,
            bool timing = false);

    // Runs the script's lines; false at the first line that is not a valid command, or when a fault
    // of the script never took effect.
    bool run(const std::vector<std::string>& lines);

private:
    bool runLines(const std::vector<std::string>& lines);
    bool execute(const std::vector<std::string>& words);
    void slotResult(const char* slot, HRESULT result, const std::string& detail = std::string());
    bool requirePlugIn();
    void mouseEvent(long type);
    void runLater(const std::vector<std::string>& words);
    void pressCancel();

    CHostState& m_Host;
    CHostClasses& m_Classes;
    CPlugInSession& m_Session;
    std::string m_ProgId;
    bool m_Timing;
    ComPtr<geohost::IGeoApplication> m_Application;
    long m_PointerX = 0, m_PointerY = 0;
    CMainWindow m_MainWindow;
};

// Splits a line at blanks; double quotes group words (and are removed).
std::vector<std::string> splitWords(const std::string& line);

} // namespace hostsim
