#include "Inifile.h"
#include "InifileManager.h"
#include "strell_exception.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace Inifile;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

std::string get(const CManager& manager, const std::string& section, const std::string& key)
{
    std::string value = "untouched";
    const int code = manager.GetString(section, key, value);
    return code == RC_SUCCESS ? value : "<" + std::to_string(code) + ">";
}

std::string cachedRead(const std::string& file, const std::string& section, const std::string& key)
{
    std::string value;
    const int code = GetString(file, section, key, value);
    return code == RC_SUCCESS ? value : "<" + std::to_string(code) + ">";
}

// Removes the file's cache entry when the test ends.
struct CacheEntry {
    explicit CacheEntry(std::string file) : m_File(std::move(file)) { CacheFile(m_File); }
    ~CacheEntry() { UncacheFile(m_File); }
    std::string m_File;
};

} // namespace

TEST(IniManager, MergesRepeatedSectionsLastKeyWins)
{
    TempDir dir;
    const std::string file = dir.file("m.ini");
    writeFile(file, "lost=1\n[s]\nk=first\nk=second\n[t]\nx=1\n[S]\nlater=2\n[]\nhidden=3\n# c=1\n[u]\n");
    CManager manager;
    manager.Load(file);
    EXPECT_EQ(get(manager, "S", "K"), "second");
    EXPECT_EQ(get(manager, "s", "later"), "2");
    EXPECT_EQ(get(manager, "", "hidden"), "3");
    EXPECT_EQ(get(manager, "t", "c"), "<4>");
    EXPECT_EQ(get(manager, "u", "x"), "<4>");
    EXPECT_EQ(get(manager, "v", "x"), "<3>");
    EXPECT_EQ(manager.GetPath(), file);
    EXPECT_EQ(manager.GetLines().size(), 12u);
    EXPECT_EQ(manager.GetLines()[1], "[s]\n");

    std::string value;
    try {
        manager.GetStringThrow("t", "nokey", value);
        FAIL();
    } catch (const strell::exception& e) {
        EXPECT_EQ(e.text(), "Error retrieving value \"nokey\" from section \"t\", err: 4 VALUE_NOT_FOUND "
                            "[\"./src/Inifile:830:Inifile::CManager::GetStringThrow\"]");
    }
}

TEST(IniManager, LoadFollowsRedirectAndReportsTheResolvedName)
{
    TempDir dir;
    writeFile(dir.file("real.ini"), "[s]\npath={.}\\x\n");
    writeFile(dir.file("link.ini"), "#redirect " + dir.file("real.ini") + "\n");
    CManager manager;
    manager.Load(dir.file("link.ini"));
    EXPECT_EQ(get(manager, "s", "path"), dir.path() + "\\x");
    EXPECT_EQ(manager.GetPath(), dir.file("real.ini"));

    writeFile(dir.file("dead.ini"), "#redirect " + dir.file("gone.ini") + "\n");
    try {
        manager.Load(dir.file("dead.ini"));
        FAIL();
    } catch (const strell::exception& e) {
        EXPECT_EQ(e.text(), "Inifile::CManager::Load(\"" + dir.file("gone.ini") +
                                "\") failed!\n [\"./src/Inifile:749:Inifile::CManager::Load\"]");
    }
    EXPECT_EQ(get(manager, "s", "path"), dir.path() + "\\x"); // a failed load keeps the content
}

TEST(IniManager, SetStringWritesLowerCaseToTheFileOrTheWritePath)
{
    TempDir dir;
    const std::string file = dir.file("w.ini");
    writeFile(file, "[Mixed]\nKey=1\n[low]\nkey=1\n");
    CManager manager;
    manager.Load(file);
    EXPECT_EQ(manager.SetString("LOW", "KEY", "2"), RC_SUCCESS);
    EXPECT_EQ(manager.SetString("Mixed", "Key", "3"), RC_SUCCESS);
    EXPECT_EQ(manager.SetString("New", "N", "4"), RC_SUCCESS);
    EXPECT_EQ(get(manager, "mixed", "key"), "3");
    EXPECT_EQ(get(manager, "new", "n"), "4");
    // The file compares section names exactly: "[Mixed]" gets a lower-case twin.
    EXPECT_EQ(readFile(file), "[Mixed]\r\nKey=1\r\n[low]\r\nkey=2\r\n\r\n[mixed]\r\nkey=3\r\n\r\n[new]\r\nn=4\r\n");

    manager.SetWritePath(dir.file("copy.ini"));
    EXPECT_EQ(manager.GetWritePath(), dir.file("copy.ini"));
    EXPECT_EQ(manager.SetString("a", "b", "c"), RC_SUCCESS);
    EXPECT_EQ(readFile(dir.file("copy.ini")), "\r\n[a]\r\nb=c\r\n");
    manager.SetWritePath(dir.file("nofolder\\x.ini"));
    EXPECT_EQ(manager.SetString("a", "b", "d"), RC_FILE_NOT_FOUND);
    EXPECT_EQ(get(manager, "a", "b"), "d");
}

TEST(IniManager, TagsListsTranslateDump)
{
    TempDir dir;
    const std::string file = dir.file("t.ini");
    writeFile(file, "[List]\nItem0=a\nitem1={who}\nitem2={{ref}}\nitem4=gap\n[Empty]\n");
    CManager manager;
    manager.Load(file);

    std::vector<std::string> items;
    manager.GetList("list", "item", items);
    EXPECT_EQ(items, (std::vector<std::string>{"a", "{who}", "{{ref}}"}));

    std::map<std::string, std::string> tags{{"stale", "x"}};
    EXPECT_EQ(manager.GetTags("LIST", tags), RC_SUCCESS);
    EXPECT_EQ(tags.size(), 4u);
    EXPECT_EQ(tags["item0"], "a");
    EXPECT_EQ(manager.GetTags("none", tags), RC_SECTION_NOT_FOUND);
    std::vector<std::string> names{"kept"};
    EXPECT_EQ(manager.GetTagnames("list", names), RC_SUCCESS);
    EXPECT_EQ(names, (std::vector<std::string>{"kept", "item0", "item1", "item2", "item4"}));
    EXPECT_TRUE(manager.HasSection("EMPTY"));
    EXPECT_FALSE(manager.HasSection("nothing"));

    manager.Translate({{"who", "World"}, {"ref", "who"}});
    EXPECT_EQ(get(manager, "list", "item1"), "World");
    EXPECT_EQ(get(manager, "list", "item2"), "World");

    testsupport::StdoutCapture out;
    manager.Dump();
    EXPECT_EQ(out.text(), "[empty]\n\n\n[list]\n  item0 = a\n  item1 = World\n  item2 = World\n  item4 = gap\n\n\n");
}

TEST(IniCache, ReadsComeFromMemoryUntilUncached)
{
    TempDir dir;
    const std::string file = dir.file("c.ini");
    writeFile(file, "[s]\nk=1\nk=2\n");
    {
        CacheEntry entry(file);
        writeFile(file, "[s]\nk=changed\n");
        EXPECT_EQ(cachedRead(file, "s", "k"), "2"); // the manager's answer: last value, old content
        EXPECT_EQ(cachedRead(dir.path() + "\\.\\c.ini", "s", "k"), "changed"); // another name is not cached

        const CManagerPtr manager = GetCachedManager(file);
        ASSERT_TRUE(manager);
        UncacheFile(file);
        EXPECT_FALSE(GetCachedManager(file));
        EXPECT_EQ(get(*manager, "s", "k"), "2"); // still valid after its entry is gone
        EXPECT_EQ(cachedRead(file, "s", "k"), "changed");
    }
}

TEST(IniCache, FailedLoadIsReportedAndNotCached)
{
    TempDir dir;
    const std::string file = dir.file("absent.ini");
    testsupport::DebugOutputCapture debug;
    CacheFile(file);
    EXPECT_FALSE(GetCachedManager(file));
    EXPECT_EQ(debug.joined(), "Could not cache file \"" + file + "\", error: Inifile::CManager::Load(\"" + file +
                                  "\") failed!\n [\"./src/Inifile:749:Inifile::CManager::Load\"]");
}

TEST(IniTags, FreeFormsUseCacheOrLoadOnce)
{
    TempDir dir;
    const std::string file = dir.file("tags.ini");
    writeFile(file, "[S]\nB=2\na=1\n");
    std::map<std::string, std::string> tags;
    EXPECT_EQ(GetTags(file, "s", tags), RC_SUCCESS);
    EXPECT_EQ(tags, (std::map<std::string, std::string>{{"a", "1"}, {"b", "2"}}));
    std::vector<std::string> names;
    GetTagnamesThrow(file, "S", names);
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(HasSection(file, "s"));
    EXPECT_FALSE(HasSection(file, "t"));

    try {
        GetTagsThrow(file, "t", tags);
        FAIL();
    } catch (const strell::exception& e) {
        EXPECT_EQ(e.text(), "Error getting tags for section \"t\" in file \"" + file +
                                "\", err: 3 SECTION_NOT_FOUND [\"./src/Inifile:594:Inifile::GetTagsThrow\"]");
    }
    try {
        GetTagnamesThrow(file, "t", names);
        FAIL();
    } catch (const strell::exception& e) {
        EXPECT_EQ(e.text(), "Error getting tagnames for section \"t\" in file \"" + file +
                                "\", err: 3 SECTION_NOT_FOUND [\"./src/Inifile:616:Inifile::GetTagnamesThrow\"]");
    }
    // A missing file is reported by the load, not by a result code.
    EXPECT_THROW(HasSection(dir.file("none.ini"), "s"), strell::exception);

    CacheEntry entry(file);
    writeFile(file, "[other]\n");
    EXPECT_TRUE(HasSection(file, "s"));
}
