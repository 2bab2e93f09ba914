// The installer's own functions where a case can go wrong in more ways than a whole run shows: the
// folder a sub-key names, the base key, the silent switch, the plug-in file check on crafted headers,
// the judgement of running processes and the internal mail call.

#include "pe_image.h"
#include "test_support.h"

#include "installations.h"
#include "installer_log.h"
#include "mail_process.h"
#include "options.h"
#include "plugin_file.h"
#include "running_check.h"

#include "ansi_path.h"
#include "strell_exception.h"
#include "strell_systeminfo.h"
#include "stringex.h"
#include "win32_handles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace testsupport;

TEST(InstallerCore, FolderFromSubKeyNameAndBaseKey)
{
    const std::pair<const wchar_t*, const wchar_t*> folders[] = {
        {L"C:/Programme/Top50", L"C:\\Programme\\Top50"},
        {L"Top50 D:/Maps", L"D:\\Maps"}, // only the character before the first colon comes along
        {L"C:/a:b", L"C:\\a:b"},
        {L"x:", L"x:"},
        {L":C/Maps", L""},
        {L"Installation1", L""},
        {L"", L""},
    };
    for (const auto& c : folders)
        EXPECT_EQ(installer::folderFromSubKeyName(c.first), c.second) << strell::toAnsiText(c.first);

    EXPECT_EQ(installer::normaliseBaseKey("HKCU\\Software\\Maker"), "HKCU\\Software\\Maker");
    EXPECT_EQ(installer::normaliseBaseKey("HKCU\\Software\\Maker\\\\\\"), "HKCU\\Software\\Maker");
    EXPECT_EQ(installer::normaliseBaseKey("\\\\"), "");
    EXPECT_EQ(installer::normaliseBaseKey(""), "");
}

// Silent is decided before anything is parsed: from the command line's words, or from the option
// file's switch, where anything but a plain "off" counts.
TEST(InstallerCore, SilentFromTheCommandLineOrTheOptionFile)
{
    const TempDir folder("silent");
    const std::string file = folder.file("options.ini");
    EXPECT_TRUE(installer::silentRequested("-r -s", file));
    EXPECT_TRUE(installer::silentRequested("--basekey \"HKCU\\a b\" --silent", file));
    EXPECT_FALSE(installer::silentRequested("--silently -S --basekey \"-s x\"", file));
    EXPECT_FALSE(installer::silentRequested("", file)); // no option file

    const std::pair<const char*, bool> values[] = {
        {"1", true}, {" On ", true}, {"YES", true}, {"true", true}, {"maybe", true},
        {"0", false}, {"", false},   {"off", false}, {"No", false},  {" FALSE", false},
    };
    for (const auto& c : values) {
        writeFile(file, std::string("[other]\nsilent=1\n[Parameters]\r\nsilent=") + c.first + "\r\n");
        EXPECT_EQ(installer::silentRequested("", file), c.second) << c.first;
    }
    writeFile(file, "\xEF\xBB\xBF[parameters]\nsilent=1\n"); // as Notepad writes it
    EXPECT_TRUE(installer::silentRequested("", file));
    writeFile(file, utf16File(u"[parameters]\r\nsilent=1\r\n"));
    EXPECT_TRUE(installer::silentRequested("", file));
    // A value outside the code page is no switch word either; the run reports it.
    writeFile(file, utf16File(u"[parameters]\r\nsilent=\u0141\r\n"));
    EXPECT_TRUE(installer::silentRequested("", file));
    writeFile(file, "[parameters]\nremove=1\n");
    EXPECT_FALSE(installer::silentRequested("", file));
}

TEST(InstallerCore, PluginFileCheckOnCraftedHeaders)
{
    const TempDir folder("plugin");
    const std::string path = folder.file("quovan.dll");
    const auto inspect = [&] {
        unsigned long error = 0;
        strell::unique_hfile file;
        return installer::inspectPluginFile(path, error, file);
    };
    EXPECT_EQ(inspect(), installer::PluginFileState::Missing);

    const std::string good = pluginImage("a plug-in");
    const size_t nt = sizeof(IMAGE_DOS_HEADER);
    const size_t fileHeader = nt + 4;
    const size_t optionalHeader = fileHeader + sizeof(IMAGE_FILE_HEADER);
    const size_t sizeOfHeaders = optionalHeader + offsetof(IMAGE_OPTIONAL_HEADER, SizeOfHeaders);
    const size_t section = optionalHeader + sizeof(IMAGE_OPTIONAL_HEADER);
    struct Case {
        const char* name;
        std::string image;
    };
    std::vector<Case> damaged;
    const auto patched = [&](const char* name, auto&& patch) {
        std::string image = good;
        patch(image);
        damaged.push_back({name, image});
    };
    patched("negative e_lfanew", [&](std::string& i) { put<LONG>(i, offsetof(IMAGE_DOS_HEADER, e_lfanew), -4); });
    patched("e_lfanew past the end", [&](std::string& i) {
        put<LONG>(i, offsetof(IMAGE_DOS_HEADER, e_lfanew), static_cast<LONG>(i.size() - 8));
    });
    patched("other machine", [&](std::string& i) { put<WORD>(i, fileHeader, kForeignMachine); });
    patched("no DLL", [&](std::string& i) {
        put<WORD>(i, fileHeader + offsetof(IMAGE_FILE_HEADER, Characteristics), IMAGE_FILE_EXECUTABLE_IMAGE);
    });
    patched("other magic", [&](std::string& i) { put<WORD>(i, optionalHeader, IMAGE_ROM_OPTIONAL_HDR_MAGIC); });
    patched("no section", [&](std::string& i) {
        put<WORD>(i, fileHeader + offsetof(IMAGE_FILE_HEADER, NumberOfSections), 0);
    });
    patched("section table past the end", [&](std::string& i) {
        put<WORD>(i, fileHeader + offsetof(IMAGE_FILE_HEADER, SizeOfOptionalHeader), 0xFFF0);
    });
    patched("headers larger than the file", [&](std::string& i) {
        put<DWORD>(i, sizeOfHeaders, static_cast<DWORD>(i.size() + 1));
    });
    patched("section data past the end", [&](std::string& i) {
        put<DWORD>(i, section + offsetof(IMAGE_SECTION_HEADER, SizeOfRawData), static_cast<DWORD>(i.size()));
    });
    patched("section end beyond 4 GiB", [&](std::string& i) {
        put<DWORD>(i, section + offsetof(IMAGE_SECTION_HEADER, PointerToRawData), 0xFFFFFFF0);
        put<DWORD>(i, section + offsetof(IMAGE_SECTION_HEADER, SizeOfRawData), 0x20);
    });
    damaged.push_back({"only the DOS header", good.substr(0, nt)});

    // A certificate table of two entries (20 bytes padded to 24, then 16) after the section's data.
    const size_t directories = optionalHeader + offsetof(IMAGE_OPTIONAL_HEADER, DataDirectory);
    const size_t security = directories + IMAGE_DIRECTORY_ENTRY_SECURITY * sizeof(IMAGE_DATA_DIRECTORY);
    std::string signedImage = good + std::string((8 - good.size() % 8) % 8, '\0');
    const DWORD table = static_cast<DWORD>(signedImage.size());
    signedImage += std::string(40, 'c');
    put<DWORD>(signedImage, optionalHeader + offsetof(IMAGE_OPTIONAL_HEADER, NumberOfRvaAndSizes),
               IMAGE_NUMBEROF_DIRECTORY_ENTRIES);
    put<DWORD>(signedImage, security, table);
    put<DWORD>(signedImage, security + 4, 40);
    put<DWORD>(signedImage, table, 20);
    put<DWORD>(signedImage, table + 24, 16);
    const auto patchedTable = [&](const char* name, auto&& patch) {
        std::string image = signedImage;
        patch(image);
        damaged.push_back({name, image});
    };
    patchedTable("signature cut off", [&](std::string& i) { i.resize(table + 30); });
    patchedTable("cut inside the certificate header", [&](std::string& i) { i.resize(table + 4); });
    patchedTable("table size 1 MiB past the end", [&](std::string& i) { put<DWORD>(i, security + 4, 40 + 0x100000); });
    patchedTable("table offset 0xFFFFFFF0", [&](std::string& i) { put<DWORD>(i, security, 0xFFFFFFF0); });
    patchedTable("table inside the section data", [&](std::string& i) { put<DWORD>(i, security, table - 8); });
    patchedTable("offset without size", [&](std::string& i) { put<DWORD>(i, security + 4, 0); });
    patchedTable("signature zeroed", [&](std::string& i) { std::fill(i.begin() + table, i.end(), '\0'); });
    patchedTable("entry longer than the table", [&](std::string& i) { put<DWORD>(i, table + 24, 17); });
    for (const Case& c : damaged) {
        writeFile(path, c.image);
        EXPECT_EQ(inspect(), installer::PluginFileState::Damaged) << c.name;
    }
    // Data after the last section (a signature, say) is no damage; nor is a last entry whose padding the
    // table's size leaves out.
    std::string unpadded = signedImage;
    put<DWORD>(unpadded, table + 24, 12);
    put<DWORD>(unpadded, security + 4, 36);
    for (const std::string& image : {good, good + std::string(300, 's'), signedImage, unpadded}) {
        writeFile(path, image);
        EXPECT_EQ(inspect(), installer::PluginFileState::Usable);
    }
}

// A map application is found by its command line; one whose command line tells nothing, by its image
// name; and a process list that cannot be read may hide one.
TEST(InstallerCore, RunningMapApplicationsAreNeverMissed)
{
    using installer::ObservedProcess;
    EXPECT_TRUE(installer::isMapApplication({"anything.exe", "\"C:\\Geogrid\\d2vexcrd.exe\" /map Top50", ""}));
    EXPECT_TRUE(installer::isMapApplication({"", "C:\\Geogrid\\d2vexcrdXexe", ""})); // a pattern, as ever
    EXPECT_FALSE(installer::isMapApplication({"d2vexcrd.exe", "C:\\Geogrid\\D2VEXCRD.EXE", ""}));
    EXPECT_TRUE(installer::isMapApplication({"D2VEXCRD.EXE", "", ""}));
    EXPECT_FALSE(installer::isMapApplication({"d2vexcrd.exe.bak", "", ""}));
    EXPECT_FALSE(installer::isMapApplication({"explorer.exe", "", ""}));

    const TempDir folder("running");
    installer::InstallerLog log(folder.file("quovan.log"));
    const installer::RunningApplications found = installer::findMapApplications(log, [] {
        return std::vector<ObservedProcess>{{"explorer.exe", "explorer.exe", "C:\\windows\\explorer.exe"},
                                            {"d2vexcrd.exe", "", "C:\\Geogrid\\d2vexcrd.exe"}};
    });
    EXPECT_EQ(found.state, installer::RunningState::Running);
    EXPECT_EQ(found.programPaths, std::vector<std::string>{"C:\\Geogrid\\d2vexcrd.exe"});

    const installer::RunningApplications unknown =
        installer::findMapApplications(log, []() -> std::vector<ObservedProcess> {
            throw strell::exception("CreateToolhelp32Snapshot(processes) failed");
        });
    EXPECT_EQ(unknown.state, installer::RunningState::Unknown);
    EXPECT_EQ(unknown.reason, "CreateToolhelp32Snapshot(processes) failed");
    EXPECT_TRUE(unknown.programPaths.empty());
    const std::string text = readFile(log.file());
    EXPECT_NE(text.find(" Running Geogrid Process \"C:\\Geogrid\\d2vexcrd.exe\""), std::string::npos) << text;
    EXPECT_NE(text.find(" Running processes could not be listed: CreateToolhelp32Snapshot(processes) failed"),
              std::string::npos)
        << text;
    EXPECT_TRUE(log.complete());
}

// The mail child takes its work from a pipe of its parent only, and only the log beside the program.
TEST(InstallerCore, MailCallNeedsThePipeOfItsParent)
{
    const auto pipeWith = [](const std::string& work) {
        strell::unique_handle_null readEnd;
        strell::unique_handle_null writeEnd;
        if (!CreatePipe(readEnd.put(), writeEnd.put(), nullptr, 0))
            throw std::runtime_error("no pipe");
        DWORD written = 0;
        WriteFile(writeEnd.get(), work.data(), static_cast<DWORD>(work.size()), &written, nullptr);
        return readEnd;
    };
    const std::string ownLog = strell::joinPath(strell::getExecutableFolder(), "quovan.log");
    std::string attachment = "untouched";
    for (const char* line : {"--quovan-internal-send-report", "--quovan-internal-send-report C:\\windows\\win.ini",
                             "--quovan-internal-send-report 0", "--quovan-internal-send-report 4x",
                             "--quovan-internal-send-report -1", "--quovan-internal-send-report 99999999999"})
        EXPECT_FALSE(installer::isMailCall(line, attachment)) << line;

    // A handle of this process that is no pipe: the file beside the program, say.
    const std::string ownFile = strell::joinPath(strell::getExecutableFolder(), "quovan_mailcall.txt");
    writeFile(ownFile, ownLog);
    {
        strell::unique_hfile file(CreateFileA(ownFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                              nullptr));
        EXPECT_FALSE(installer::isMailCall("--quovan-internal-send-report " +
                                               std::to_string(reinterpret_cast<ULONG_PTR>(file.get())),
                                           attachment));
    }
    DeleteFileA(ownFile.c_str());
    // A pipe with another file in it.
    strell::unique_handle_null other = pipeWith("C:\\windows\\win.ini");
    EXPECT_FALSE(installer::isMailCall(
        "--quovan-internal-send-report " + std::to_string(reinterpret_cast<ULONG_PTR>(other.release())), attachment));
    EXPECT_EQ(attachment, "untouched");

    strell::unique_handle_null parents = pipeWith(ownLog);
    EXPECT_TRUE(installer::isMailCall(
        " --quovan-internal-send-report  " + std::to_string(reinterpret_cast<ULONG_PTR>(parents.release())) + " ",
        attachment));
    EXPECT_EQ(attachment, ownLog);
}
