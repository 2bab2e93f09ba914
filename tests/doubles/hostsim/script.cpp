#include "script.h"

#include "sim_application.h"
#include "sim_events.h"
#include "strell_process.h"
#include "stringex.h"
#include "transcript_text.h"

#include <clocale>
#include <cstdlib>

using namespace geohost;

namespace hostsim {

namespace {

const long kDefaultPlugInId = 7;

bool toLong(const std::string& text, long& value)
{
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 0);
    return !text.empty() && *end == '\0';
}

bool toDouble(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0';
}

double milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

bool yesNo(const std::string& text, bool& value)
{
    value = text == "yes";
    return text == "yes" || text == "no";
}

} // namespace

std::vector<std::string> splitWords(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, inWord = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

CScript::CScript(CHostState& host, CHostClasses& classes, CPlugInSession& session, std::string progId,
                 bool timing)
    : m_Host(host), m_Classes(classes), m_Session(session), m_ProgId(std::move(progId)), m_Timing(timing),
      m_Application(static_cast<IGeoApplication*>(makeSim<CSimApplication>(host).get())),
      m_MainWindow([this](const std::vector<std::string>& words) { runLater(words); })
{
}

void CScript::runLater(const std::vector<std::string>& words)
{
    std::string line;
    for (const std::string& word : words)
        line += (line.empty() ? "" : " ") + word;
    m_Host.log("later: " + line);
    if (!execute(words))
        m_Host.log("script error in a later command");
}

namespace {

BOOL CALLBACK collectWindow(HWND window, LPARAM parameter)
{
    reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
    return TRUE;
}

} // namespace

// The wait window is the thread's window owned by the main window that has a button.
void CScript::pressCancel()
{
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), collectWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
        if (GetWindow(window, GW_OWNER) != m_MainWindow.handle() || !IsWindowVisible(window))
            continue;
        std::vector<HWND> children;
        EnumChildWindows(window, collectWindow, reinterpret_cast<LPARAM>(&children));
        HWND button = nullptr;
        std::string text;
        for (HWND child : children) {
            char name[64] = {};
            GetClassNameA(child, name, sizeof name);
            if (lstrcmpiA(name, "Button") == 0)
                button = child;
            else if (lstrcmpiA(name, "Static") == 0)
                text = strell::getWindowText(child);
        }
        if (!button)
            continue;
        m_Host.log("wait window " + quote(strell::getWindowText(window)) + ": " + quote(text) + " [" + strell::getWindowText(button) +
                   "] pressed");
        SendMessageA(button, BM_CLICK, 0, 0);
        return;
    }
    m_Host.log("no wait window");
}

bool CScript::run(const std::vector<std::string>& lines)
{
    m_MainWindow.startWatchdog();
    const bool ran = runLines(lines);
    m_MainWindow.stopWatchdog();
    m_Host.log("longest unanswered: " + std::to_string(m_MainWindow.longestUnanswered()) + " ms");
    return ran;
}

bool CScript::runLines(const std::vector<std::string>& lines)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = strell::trim(lines[i]);
        if (line.empty() || line[0] == '#')
            continue;
        m_Host.log("> " + line);
        LARGE_INTEGER started, ended;
        QueryPerformanceCounter(&started);
        if (!execute(splitWords(line))) {
            m_Host.log("script error in line " + std::to_string(i + 1) + ": " + quote(line));
            return false;
        }
        QueryPerformanceCounter(&ended);
        // The host's own loop takes its messages between two steps.
        m_MainWindow.pump();
        if (m_Timing)
            m_Host.log(strell::formatString("time %.3f ms", milliseconds(started, ended)));
    }
    // A fault that never took effect tests nothing: the script fails, as when a forbidden call came.
    const std::vector<std::string> unmet = m_Host.faults.unmet();
    for (const std::string& line : unmet)
        m_Host.log(line);
    return unmet.empty();
}

void CScript::slotResult(const char* slot, HRESULT result, const std::string& detail)
{
    m_Host.log(std::string("= ") + slot + " -> " + resultName(result) + (detail.empty() ? "" : " " + detail));
}

bool CScript::requirePlugIn()
{
    if (!m_Session.plugIn())
        m_Host.log("no plug-in held");
    return m_Session.plugIn() != nullptr;
}

void CScript::mouseEvent(long type)
{
    if (!requirePlugIn())
        return;
    ComPtr<CSimMouseEvent> event = makeSim<CSimMouseEvent>(m_Host, type, m_PointerX, m_PointerY);
    long result = 0;
    const HRESULT hr = m_Session.plugIn()->HandleMouseEvent(event.get(), &result);
    slotResult("HandleMouseEvent", hr, "result " + std::to_string(result));
}

bool CScript::execute(const std::vector<std::string>& words)
{
    const std::string& command = words[0];
    const size_t count = words.size();

    if (command == "initialise") {
        bool withApplication = true;
        long id = kDefaultPlugInId;
        for (size_t i = 1; i < count; ++i) {
            if (words[i] == "null")
                withApplication = false;
            else if (words[i] == "id" && i + 1 < count && toLong(words[i + 1], id))
                ++i;
            else
                return false;
        }
        if (requirePlugIn())
            slotResult("Initialize",
                       m_Session.plugIn()->Initialize(withApplication ? m_Application.get() : nullptr, id));
        return true;
    }
    if (command == "terminate" && count == 1) {
        if (requirePlugIn())
            slotResult("Terminate", m_Session.plugIn()->Terminate());
        return true;
    }
    if (command == "menu" && count == 2) {
        long id = 0;
        if (!toLong(words[1], id))
            return false;
        if (requirePlugIn()) {
            ComPtr<CSimMenuEvent> event = makeSim<CSimMenuEvent>(m_Host, id);
            long result = 0;
            const HRESULT hr = m_Session.plugIn()->HandleMenuEvent(event.get(), &result);
            slotResult("HandleMenuEvent", hr, "result " + std::to_string(result));
        }
        return true;
    }
    if ((command == "move" && count == 3) || (command == "click" && (count == 1 || count == 3)) ||
        (command == "mouse" && (count == 2 || count == 4))) {
        const size_t first = command == "mouse" ? 2 : 1;
        long type = command == "move" ? kMouseMoved : kMouseClicked;
        if (command == "mouse" && !toLong(words[1], type))
            return false;
        if (count > first && (!toLong(words[first], m_PointerX) || !toLong(words[first + 1], m_PointerY)))
            return false;
        mouseEvent(type);
        return true;
    }
    if (command == "notify" && count == 2) {
        using Slot = HRESULT (STDMETHODCALLTYPE IGeoPlugIn::*)(IUnknown*, long*);
        Slot slot = nullptr;
        const char* name = nullptr;
        if (words[1] == "graphic")
            slot = &IGeoPlugIn::HandleGraphicEvent, name = "HandleGraphicEvent";
        else if (words[1] == "overlay")
            slot = &IGeoPlugIn::HandleOverlayEvent, name = "HandleOverlayEvent";
        else if (words[1] == "group")
            slot = &IGeoPlugIn::HandleGroupEvent, name = "HandleGroupEvent";
        else if (words[1] == "view")
            slot = &IGeoPlugIn::HandleViewEvent, name = "HandleViewEvent";
        else
            return false;
        if (requirePlugIn()) {
            ComPtr<CSimNotification> event = makeSim<CSimNotification>();
            long result = 0;
            const HRESULT hr = (m_Session.plugIn()->*slot)(event.get(), &result);
            slotResult(name, hr, "result " + std::to_string(result));
        }
        return true;
    }
    if (command == "info" && (count == 1 || (count == 2 && words[1] == "null"))) {
        if (requirePlugIn()) {
            ComPtr<IGeoPlugInInfo> info;
            const HRESULT hr = m_Session.plugIn()->GetPlugInInfo(count == 1 ? info.put() : nullptr);
            slotResult("GetPlugInInfo", hr, count == 2 ? "" : info ? "info object" : "no info object");
        }
        return true;
    }
    if (command == "later" && count >= 3) {
        long delay = 0;
        if (!toLong(words[1], delay) || delay < 0)
            return false;
        m_MainWindow.later(static_cast<DWORD>(delay), std::vector<std::string>(words.begin() + 2, words.end()));
        return true;
    }
    if (command == "cancel" && count == 1) {
        pressCancel();
        return true;
    }
    if (command == "create" && count == 1) {
        m_Session.create(m_ProgId);
        return true;
    }
    if (command == "release" && count == 1) {
        m_Session.release();
        return true;
    }
    if (command == "factory" && count == 2 && (words[1] == "hold" || words[1] == "release")) {
        if (words[1] == "hold")
            m_Session.holdFactory();
        else
            m_Session.releaseFactory();
        return true;
    }
    if (command == "canunload" && count == 1) {
        m_Session.probeUnload();
        return true;
    }
    if (command == "fail" && (count == 3 || count == 4)) {
        HRESULT result;
        long nth = 0;
        if (!parseResult(words[2], result) || (count == 4 && (!toLong(words[3], nth) || nth < 1)))
            return false;
        m_Host.faults.fail(words[1], result, static_cast<int>(nth));
        return true;
    }
    if (command == "null" && (count == 2 || count == 3)) {
        long nth = 0;
        if (count == 3 && (!toLong(words[2], nth) || nth < 1))
            return false;
        m_Host.faults.nullOut(words[1], static_cast<int>(nth));
        return true;
    }
    if (command == "never" && count == 2) {
        m_Host.faults.forbid(words[1]);
        return true;
    }
    if (command == "pass" && count == 2) {
        m_Host.faults.clear(words[1]);
        return true;
    }
    if (command == "offer" && count == 3) {
        bool offer;
        if (!yesNo(words[2], offer))
            return false;
        Offers& offers = m_Host.offers;
        const std::string& what = words[1];
        if (what == "application2") offers.application2 = offer;
        else if (what == "control") offers.control = offer;
        else if (what == "menu2") offers.menu2 = offer;
        else if (what == "coordinates2") offers.coordinates2 = offer;
        else if (what == "graphic-pen") offers.graphicPen = offer;
        else if (what == "graphic-flags") offers.graphicFlags = offer;
        else if (what == "graphic-extensions") offers.graphicExtensions = offer;
        else if (what == "document2") offers.document2 = offer;
        else if (what == "info-class") m_Classes.offerPlugInInfo(offer);
        else return false;
        return true;
    }
    if (command == "document" && count == 2 && (words[1] == "open" || words[1] == "none")) {
        m_Host.documentOpen = words[1] == "open";
        return true;
    }
    if (command == "view" && count == 4) {
        ViewTransform view;
        if (!toDouble(words[1], view.originFirst) || !toDouble(words[2], view.originSecond) ||
            !toDouble(words[3], view.unitsPerPixel) || view.unitsPerPixel == 0.0)
            return false;
        m_Host.view = view;
        return true;
    }
    if (command == "map" && count == 12) {
        MapRecord map;
        map.name = words[1];
        map.dataPath = words[2];
        if (!toLong(words[3], map.scale))
            return false;
        for (int i = 0; i < 4; ++i)
            if (!toDouble(words[4 + 2 * i], map.corners[i].first) || !toDouble(words[5 + 2 * i], map.corners[i].second))
                return false;
        m_Host.maps.push_back(map);
        return true;
    }
    if (command == "locale" && count == 2) {
        const char* set = std::setlocale(LC_ALL, words[1].c_str());
        m_Host.log(set ? "locale " + quote(set) : "locale " + quote(words[1]) + " not available");
        return true;
    }
    if (command == "show" && count == 2) {
        if (words[1] == "menu") m_Host.showMenu();
        else if (words[1] == "graphics") m_Host.showGraphics();
        else if (words[1] == "settings") m_Host.showSettings();
        else if (words[1] == "maps") m_Host.showMaps();
        else if (words[1] == "info") m_Host.showInfo();
        else if (words[1] == "objects") m_Host.log("host objects alive " + std::to_string(liveHostObjects()));
        else if (words[1] == "windowqueries") {
            m_Host.log("window queries " + std::to_string(m_Host.windowQueries));
            m_Host.windowQueries = 0;
        }
        else return false;
        return true;
    }
    return false;
}

} // namespace hostsim
