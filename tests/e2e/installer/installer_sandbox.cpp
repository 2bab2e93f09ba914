#include "installer_sandbox.h"

#include "win32_handles.h"

#include <aclapi.h>

#include <atomic>
#include <cstring>
#include <stdexcept>

using namespace testsupport;

namespace installertest {

const std::string kPluginContent = pluginImage("quovan plug-in, new build");

namespace {

std::atomic<int> g_Count{0};

strell::unique_hkey createKey(const std::string& path)
{
    strell::unique_hkey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        throw std::runtime_error("cannot create key " + path);
    return key;
}

void deleteTree(const std::string& path)
{
    // A locked key must be opened up again before it can go.
    strell::unique_hkey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, key.put()) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR sd;
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
        RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &sd);
    }
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return;
    std::vector<std::string> children;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(name);
    }
    key.reset();
    for (const std::string& child : children)
        deleteTree(path + "\\" + child);
    RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

std::string systemFolder()
{
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        throw std::runtime_error("no system folder");
    return std::string(folder, length);
}

} // namespace

std::string nativeSystemFolder()
{
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        throw std::runtime_error("no Windows folder");
    return std::string(folder, length) + "\\Sysnative";
}

SystemMailLibrary::SystemMailLibrary(const std::string& library, const std::string& folder)
    : m_Path((folder.empty() ? systemFolder() : folder) + "\\mapi32.dll"), m_Saved(m_Path + ".quovantest")
{
    // A run that ended before restoring left the original in the saved file: keep that one.
    if (!exists(m_Saved))
        MoveFileA(m_Path.c_str(), m_Saved.c_str());
    DeleteFileA(m_Path.c_str());
    if (!library.empty() && !CopyFileA(library.c_str(), m_Path.c_str(), FALSE))
        throw std::runtime_error("cannot put the mail library into the system folder");
}

SystemMailLibrary::~SystemMailLibrary()
{
    DeleteFileA(m_Path.c_str());
    if (exists(m_Saved))
        MoveFileA(m_Saved.c_str(), m_Path.c_str());
}

namespace {
std::string uniqueName()
{
    return "run" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++g_Count);
}
} // namespace

ReadOnlyFolder readOnlyFolder()
{
    const std::string name = uniqueName();
    ReadOnlyFolder folder{winPath(HOSTILE_DIR) + "\\writable\\" + name, winPath(HOSTILE_DIR) + "\\readonly\\" + name};
    CreateDirectoryA(folder.writable.c_str(), nullptr);
    // Where the view was not mounted read-only, the folder can be made through it as well.
    if (!exists(folder.readOnly) || CreateDirectoryA((folder.readOnly + "\\probe").c_str(), nullptr))
        return ReadOnlyFolder();
    return folder;
}

std::string fullDiskFolder()
{
    const std::string folder = winPath(HOSTILE_DIR) + "\\full\\" + uniqueName();
    CreateDirectoryA(folder.c_str(), nullptr);
    // The file system holds 64 KiB; a plain folder takes this much.
    const std::string probe = folder + "\\probe";
    writeFile(probe, std::string(128 * 1024, 'x'));
    const bool full = readFile(probe).size() < 128 * 1024;
    DeleteFileA(probe.c_str());
    return full ? folder : std::string();
}

std::string forwardSlashes(std::string path)
{
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

InstallerSandbox::InstallerSandbox(bool withPlugin)
{
    m_RegistryPath = "Software\\QuovanTests\\run" + std::to_string(GetCurrentProcessId()) + "_" +
                     std::to_string(++g_Count);
    deleteTree(m_RegistryPath);
    createKey(m_RegistryPath);
    m_BaseKey = "HKCU\\" + m_RegistryPath;

    CreateDirectoryA(installerFolder().c_str(), nullptr);
    // Unsigned, as in development: a signed build would refuse the sandbox's own plug-in.
    useInstaller(signedFile("unsigned.exe"));
    if (withPlugin)
        writeFile(installerFolder() + "\\quovan.dll", kPluginContent);
}

std::string signedFile(const std::string& name)
{
    return winPath(SIGNED_DIR) + "\\" + name;
}

void InstallerSandbox::useInstaller(const std::string& program) const
{
    if (!CopyFileA(program.c_str(), installerPath().c_str(), FALSE))
        throw std::runtime_error("cannot copy the installer " + program + " (made by the fixture signed_files.sh)");
}

InstallerSandbox::~InstallerSandbox()
{
    deleteTree(m_RegistryPath);
}

std::string InstallerSandbox::makeInstallation(const std::string& name, bool withPluginFolder) const
{
    const std::string folder = m_Root.file(name);
    CreateDirectoryA(folder.c_str(), nullptr);
    if (withPluginFolder) {
        CreateDirectoryA((folder + "\\bin").c_str(), nullptr);
        CreateDirectoryA(pluginFolder(folder).c_str(), nullptr);
    }
    return folder;
}

void InstallerSandbox::addProduct(const std::string& product) const
{
    createKey(m_RegistryPath + "\\" + product);
}

void InstallerSandbox::addSubKey(const std::string& product, const std::string& subKey) const
{
    createKey(m_RegistryPath + "\\" + product + "\\" + subKey);
}

void InstallerSandbox::setValue(const std::string& product, const std::string& subKey, const std::string& name,
                                DWORD type, const void* data, DWORD size) const
{
    const strell::unique_hkey key = createKey(m_RegistryPath + "\\" + product + "\\" + subKey);
    RegSetValueExA(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

void InstallerSandbox::setDestDir(const std::string& product, const std::string& subKey,
                                  const std::string& folder) const
{
    setValue(product, subKey, "DestDir", REG_SZ, folder.c_str(), static_cast<DWORD>(folder.size() + 1));
}

std::string InstallerSandbox::addInstallationNamedByFolder(const std::string& product, const std::string& folder) const
{
    const std::string name = forwardSlashes(folder);
    addSubKey(product, name);
    return name;
}

void InstallerSandbox::lockKey(const std::string& relativeKey) const
{
    const strell::unique_hkey key = createKey(m_RegistryPath + "\\" + relativeKey);
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    ACL acl;
    InitializeAcl(&acl, sizeof acl, ACL_REVISION); // no entries: nobody may open it
    SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE);
    RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &sd);
}

ProgramRun InstallerSandbox::run(const std::string& arguments, const std::vector<int>& answers,
                                 const std::string& extraEnvironment) const
{
    const bool namesBaseKey = arguments.find("--basekey") != std::string::npos || arguments.find("-b ") == 0 ||
                              arguments.find(" -b ") != std::string::npos;
    return runPlain(namesBaseKey ? arguments : "--basekey " + quoteArgument(m_BaseKey) + " " + arguments, answers,
                    extraEnvironment);
}

ProgramRun InstallerSandbox::runCopy(const std::string& installer, const std::string& arguments,
                                     const std::vector<int>& answers) const
{
    RunOptions options;
    options.currentFolder = root();
    options.timeoutMs = 60000;
    return runAnsweringBoxes(quoteArgument(installer) + " --basekey " + quoteArgument(m_BaseKey) + " " + arguments,
                             answers, options);
}

ProgramRun InstallerSandbox::runPlain(const std::string& arguments, const std::vector<int>& answers,
                                      const std::string& extraEnvironment) const
{
    RunOptions options;
    options.currentFolder = root();
    options.timeoutMs = 60000;
    // The prefix never loads Wine's own MAPI32.DLL: the installer gets the double that a test put into
    // the system folder (SystemMailLibrary), or none at all.
    options.environment = extraEnvironment;
    return runAnsweringBoxes(quoteArgument(installerPath()) + " " + arguments, answers, options);
}

std::vector<std::string> InstallerSandbox::logLines() const
{
    std::vector<std::string> lines;
    for (const std::string& line : splitLines(logText())) {
        const size_t separator = line.find(" - ");
        lines.push_back(separator == std::string::npos ? line : line.substr(separator + 3));
    }
    return lines;
}

} // namespace installertest
