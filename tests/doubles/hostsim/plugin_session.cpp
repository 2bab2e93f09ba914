#include "plugin_session.h"

#include "bstr_text.h"
#include "process_launcher.h"
#include "stringex.h"
#include "transcript.h"
#include "transcript_text.h"
#include "win32_handles.h"

namespace hostsim {

namespace {

// The registered file of the class, read wide as COM reads it.
std::wstring inprocServer(REFCLSID classId)
{
    wchar_t text[64] = {};
    StringFromGUID2(classId, text, 64);
    const std::wstring key = std::wstring(L"CLSID\\") + text + L"\\InprocServer32";
    wchar_t value[MAX_PATH * 4] = {};
    LONG size = sizeof value;
    if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS)
        return std::wstring();
    return std::wstring(value, wcsnlen(value, MAX_PATH * 4 - 1));
}

} // namespace

bool CPlugInSession::registerPlugIns(const std::string& installation)
{
    const std::string folder = strell::joinPath(strell::joinPath(installation, "bin"), "PlugIn");
    WIN32_FIND_DATAA found;
    strell::unique_hfind find(FindFirstFileA(strell::joinPath(folder, "*.dll").c_str(), &found));
    if (!find) {
        m_Transcript.line("regsvr32: no plug-in in " + quote(folder));
        return false;
    }
    bool allRegistered = true;
    do {
        const std::string path = strell::joinPath(folder, found.cFileName);
        const int code = testsupport::runAndWait("regsvr32.exe /s \"" + path + "\"", 60000);
        m_Transcript.line("regsvr32 " + quote(path) + " -> exit " + std::to_string(code));
        allRegistered = allRegistered && code == 0;
    } while (FindNextFileA(find.get(), &found));
    return allRegistered;
}

bool CPlugInSession::create(const std::string& progId)
{
    m_PlugIn.reset();
    HRESULT result = CLSIDFromProgID(toWide(progId).c_str(), &m_ClassId);
    if (SUCCEEDED(result))
        result = CoCreateInstance(m_ClassId, nullptr, CLSCTX_INPROC_SERVER, geohost::IID_IGeoPlugIn, m_PlugIn.putVoid());
    m_Transcript.line("create " + quote(progId) + " -> " + resultName(result));
    if (FAILED(result))
        return false;
    const std::wstring path = inprocServer(m_ClassId);
    m_Module = GetModuleHandleW(path.c_str());
    m_Transcript.line("plug-in module " + quote(toNarrow(path.c_str(), path.size())) +
                      (m_Module ? " loaded" : " not found"));
    return true;
}

void CPlugInSession::release()
{
    if (!m_PlugIn) {
        m_Transcript.line("no plug-in held");
        return;
    }
    const ULONG count = m_PlugIn.detach()->Release();
    m_Transcript.line("plug-in released, count " + std::to_string(count));
}

void CPlugInSession::holdFactory()
{
    const HRESULT result =
        CoGetClassObject(m_ClassId, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, m_Factory.putVoid());
    m_Transcript.line("factory held -> " + resultName(result));
}

void CPlugInSession::releaseFactory()
{
    if (!m_Factory) {
        m_Transcript.line("no factory held");
        return;
    }
    m_Factory.reset();
    m_Transcript.line("factory released");
}

void CPlugInSession::probeUnload()
{
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    const CanUnloadNow canUnloadNow =
        m_Module ? reinterpret_cast<CanUnloadNow>(reinterpret_cast<void*>(GetProcAddress(m_Module, "DllCanUnloadNow")))
                 : nullptr;
    if (!canUnloadNow) {
        m_Transcript.line("DllCanUnloadNow not found");
        return;
    }
    m_Transcript.line("DllCanUnloadNow -> " + resultName(canUnloadNow()));
}

} // namespace hostsim
