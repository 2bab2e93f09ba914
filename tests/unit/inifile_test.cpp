#include "Inifile.h"
#include "InifileManager.h"
#include "folder_contents.h"
#include "strell_exception.h"
#include "test_support.h"
#include "win32_handles.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace Inifile;
using testsupport::CurrentFolder;
using testsupport::folderContents;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::utf16File;
using testsupport::writeFile;

namespace {

// Reads one value; "<code>" when the read fails.
std::string read(const std::string& file, const std::string& section, const std::string& key)
{
    std::string value = "untouched";
    const int code = GetString(file, section, key, value);
    if (code != RC_SUCCESS) {
        EXPECT_EQ(value, "untouched");
        return "<" + std::to_string(code) + ">";
    }
    return value;
}

template <class Operation>
std::string raised(Operation operation)
{
    try {
        operation();
    } catch (const strell::exception& e) {
        return e.text();
    }
    return "<nothing raised>";
}

} // namespace

TEST(IniRead, LineGrammar)
{
    TempDir dir;
    const std::string file = dir.file("g.ini");
    writeFile(file, "early=before any header\r\n"
                    "[Section]\r\n"
                    "key = value \r\n"
                    "  # commented=1\r\n"
                    "\t; also=1\n"
                    "'quoted=1\n"
                    "url=http://x/?a=b\n"
                    "empty=\n"
                    " = no key\n"
                    "no equals sign\n"
                    "  Spaced Key\t=\tv\n"
                    "[ Other ] trailing text\n"
                    "k=other\n"
                    "[]\n"
                    "hidden=1\n");
    EXPECT_EQ(read(file, "section", "KEY"), " value ");
    EXPECT_EQ(read(file, "SECTION", "url"), "http://x/?a=b");
    EXPECT_EQ(read(file, "Section", "empty"), "");
    EXPECT_EQ(read(file, "Section", "spaced key"), "\tv");
    EXPECT_EQ(read(file, "Section", "commented"), "<4>");
    EXPECT_EQ(read(file, "Section", "# commented"), "<4>");
    EXPECT_EQ(read(file, "Section", "also"), "<4>");
    EXPECT_EQ(read(file, "Section", "'quoted"), "<4>");
    EXPECT_EQ(read(file, "Section", ""), "<4>");
    EXPECT_EQ(read(file, "other", "k"), "other");
    EXPECT_EQ(read(file, "", "hidden"), "<3>"); // an empty section name never matches
    EXPECT_EQ(read(file, "nosuch", "k"), "<3>");
    EXPECT_EQ(read(file, "early", "early"), "<3>");
}

// Notepad begins a UTF-8 file with a byte-order mark: it is no part of the first line when read, and
// it stays when a value is written.
TEST(IniRead, ByteOrderMarkIsSkippedAndKept)
{
    TempDir dir;
    const std::string bom = "\xEF\xBB\xBF";
    const std::string file = dir.file("bom.ini");
    writeFile(file, bom + "[parameters]\r\nremove=1\r\n");
    EXPECT_EQ(read(file, "parameters", "remove"), "1");
    CManager manager;
    manager.Load(file);
    EXPECT_EQ(manager.GetLines().front(), "[parameters]\n");
    EXPECT_EQ(SetString(file, "parameters", "silent", "1"), RC_SUCCESS);
    EXPECT_EQ(readFile(file), bom + "[parameters]\r\nsilent=1\r\nremove=1\r\n");

    writeFile(dir.file("other.ini"), "[s]\nk=from other\n");
    writeFile(dir.file("redirect.ini"), bom + "#redirect " + dir.file("other.ini") + "\n");
    EXPECT_EQ(read(dir.file("redirect.ini"), "s", "k"), "from other");
    // Only at the very start, and only whole.
    writeFile(file, "\n" + bom + "[parameters]\nremove=1\n");
    EXPECT_EQ(read(file, "parameters", "remove"), "<3>");
    writeFile(file, "\xEF\xBB[parameters]\nremove=1\n");
    EXPECT_EQ(read(file, "parameters", "remove"), "<3>");
}

// A UTF-16 file reads in the code page (1252 here); a value with a character outside it is an error that
// names file and key, never a stand-in. A write keeps the encoding, and never loses such a character.
TEST(IniRead, Utf16FileReadsInTheCodePageAndStaysUtf16)
{
    TempDir dir;
    const std::string file = dir.file("unicode.ini");
    writeFile(file, utf16File(u"[parameters]\r\nremove=1\r\ngruß=Größe \u20AC\r\nname=\u0141ukasz\r\n"
                              u"emoji=\U0001F600\r\n"));
    EXPECT_EQ(read(file, "parameters", "remove"), "1");
    EXPECT_EQ(read(file, "parameters", "gruß"), "Größe \x80");
    for (const char* key : {"name", "emoji"})
        EXPECT_EQ(raised([&] { std::string v; GetString(file, "parameters", key, v); })
                      .find("Value \"" + std::string(key) + "\" in section \"parameters\" of file \"" + file +
                            "\" holds characters that the system's code page cannot represent"),
                  0u);
    CManager manager;
    EXPECT_NE(raised([&] { manager.Load(file); }).find("Value \"name\" in section \"parameters\""), std::string::npos);
    // Nothing is written that would lose the character.
    const std::string before = readFile(file);
    EXPECT_EQ(SetString(file, "parameters", "silent", "1"), RC_ERROR);
    EXPECT_EQ(readFile(file), before);

    writeFile(file, utf16File(u"[parameters]\r\nremove=1\r\n"));
    manager.Load(file);
    EXPECT_EQ(manager.GetLines().front(), "[parameters]\n");
    EXPECT_EQ(SetString(file, "parameters", "silent", "ja \xE4"), RC_SUCCESS);
    EXPECT_EQ(readFile(file), utf16File(u"[parameters]\r\nsilent=ja \u00E4\r\nremove=1\r\n"));
    // Half a character at the end is no character of the code page either.
    writeFile(file, utf16File(u"[s]\r\nk=v") + "x");
    EXPECT_NE(raised([&] { std::string v; GetString(file, "s", "k", v); }).find("Value \"k\""), std::string::npos);
    // The mark only at the start: elsewhere the bytes are text of the code page.
    writeFile(file, "[s]\nk=\xFF\xFE\n");
    EXPECT_EQ(read(file, "s", "k"), "\xFF\xFE");
}

TEST(IniRead, OnlyTheFirstSectionOfANameAndTheFirstKeyCount)
{
    TempDir dir;
    const std::string file = dir.file("dup.ini");
    writeFile(file, "[s]\nk=first\nk=second\n[t]\nonly_t=1\n[S]\nk=third\nlater=1\n");
    EXPECT_EQ(read(file, "s", "k"), "first");
    EXPECT_EQ(read(file, "s", "later"), "<4>"); // the search ends with the first [s]
    EXPECT_EQ(read(file, "t", "only_t"), "1");
}

TEST(IniRead, FolderPlaceholder)
{
    TempDir dir;
    writeFile(dir.file("app.ini"), "[p]\ndata={.}\\data.bin\ntwice={.};{.}\n[{.}]\nx=1\n");
    EXPECT_EQ(read(dir.file("app.ini"), "p", "data"), dir.path() + "\\data.bin");
    EXPECT_EQ(read(dir.file("app.ini"), "p", "twice"), dir.path() + ";" + dir.path());
    EXPECT_EQ(read(dir.file("app.ini"), dir.path(), "x"), "1");

    CurrentFolder current(dir.path());
    EXPECT_EQ(read("app.ini", "p", "data"), ".\\data.bin");
}

TEST(IniRead, Redirect)
{
    TempDir dir;
    CurrentFolder current(dir.path());
    CreateDirectoryA(dir.file("sub").c_str(), nullptr);
    writeFile(dir.file("other.ini"), "[s]\nk=from other\n");
    writeFile(dir.file("sub\\up.ini"), "#redirect \t ..\\other.ini\r\n[s]\nk=own\n");
    writeFile(dir.file("sub\\abs.ini"), "#redirect " + dir.file("other.ini") + "\n[s]\nk=own\n");
    writeFile(dir.file("sub\\broken.ini"), "#redirect gone.ini\n[s]\nk=own\n");
    writeFile(dir.file("sub\\notfirst.ini"), "\n#redirect " + dir.file("other.ini") + "\n[s]\nk=own\n");
    writeFile(dir.file("sub\\upper.ini"), "#Redirect " + dir.file("other.ini") + "\n[s]\nk=own\n");
    writeFile(dir.file("sub\\chain.ini"), "#redirect " + dir.file("sub\\abs.ini") + "\n");

    {
        testsupport::StdoutCapture out; // the parent reference is traced
        EXPECT_EQ(read(dir.file("sub\\up.ini"), "s", "k"), "from other");
        EXPECT_EQ(out.text(), "ref: " + dir.path() + "\n");
    }
    EXPECT_EQ(read(dir.file("sub\\abs.ini"), "s", "k"), "from other");
    EXPECT_EQ(read(dir.file("sub\\broken.ini"), "s", "k"), "<5>");
    EXPECT_EQ(read(dir.file("sub\\missing.ini"), "s", "k"), "<2>");
    EXPECT_EQ(read(dir.file("sub\\notfirst.ini"), "s", "k"), "own");
    EXPECT_EQ(read(dir.file("sub\\upper.ini"), "s", "k"), "own");
    EXPECT_EQ(read(dir.file("sub\\chain.ini"), "s", "k"), "own"); // followed once: abs.ini is read as it is

    // A bare target is looked for in the current folder.
    writeFile(dir.file("sub\\bare.ini"), "#redirect other.ini\n");
    EXPECT_EQ(read(dir.file("sub\\bare.ini"), "s", "k"), "from other");
    // ... and then in the program's folder.
    const std::string besideProgram = testsupport::programFolder() + "\\redirect_beside_program.ini";
    writeFile(besideProgram, "[s]\nk=beside the program\n");
    writeFile(dir.file("sub\\program.ini"), "#redirect redirect_beside_program.ini\n");
    EXPECT_EQ(read(dir.file("sub\\program.ini"), "s", "k"), "beside the program");
    DeleteFileA(besideProgram.c_str());
}

TEST(IniRead, ConversionsAndThrowForms)
{
    TempDir dir;
    const std::string file = dir.file("n.ini");
    writeFile(file, "[n]\nint= 42x\ntext=abc\nreal=1.5\n");
    int i = -1;
    EXPECT_EQ(GetInt(file, "n", "int", i), RC_SUCCESS);
    EXPECT_EQ(i, 42);
    EXPECT_EQ(GetInt(file, "n", "text", i), RC_SUCCESS);
    EXPECT_EQ(i, 0);
    i = -1;
    EXPECT_EQ(GetInt(file, "n", "none", i), RC_VALUE_NOT_FOUND);
    EXPECT_EQ(i, 0);
    double d = 0;
    EXPECT_EQ(GetDouble(file, "n", "real", d), RC_SUCCESS);
    EXPECT_DOUBLE_EQ(d, 1.5);
    GetIntThrow(file, "n", "int", i);
    EXPECT_EQ(i, 42);
    GetDoubleThrow(file, "n", "real", d);
    EXPECT_DOUBLE_EQ(d, 1.5);
    // The forms with a raise switch: false answers with the code, true raises.
    EXPECT_EQ(GetInt(file, "n", "none", i, false), RC_VALUE_NOT_FOUND);
    EXPECT_EQ(GetInt(file, "n", "int", i, true), RC_SUCCESS);
    EXPECT_EQ(i, 42);
    EXPECT_EQ(GetDouble(file, "n", "none", d, false), RC_VALUE_NOT_FOUND);
    EXPECT_EQ(d, 0.0);
    std::string s;
    EXPECT_EQ(GetString(file, "n", "text", s, true), RC_SUCCESS);
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(GetString(file, "n", "missing", s, false), RC_VALUE_NOT_FOUND);

    EXPECT_EQ(raised([&] { GetStringThrow(file, "n", "missing", s); }),
              "Error retrieving value \"missing\" from section \"n\" in file \"" + file +
                  "\", err: 4 VALUE_NOT_FOUND [\"./src/Inifile:507:Inifile::GetStringThrow\"]");
    EXPECT_EQ(raised([&] { GetIntThrow(file, "x", "k", i); }),
              "Error retrieving value \"k\" from section \"x\" in file \"" + file +
                  "\", err: 3 SECTION_NOT_FOUND [\"./src/Inifile:518:Inifile::GetIntThrow\"]");
    EXPECT_EQ(raised([&] { GetDouble(dir.file("none.ini"), "x", "k", d, true); }),
              "Error retrieving value \"k\" from section \"x\" in file \"" + dir.file("none.ini") +
                  "\", err: 2 FILE_NOT_FOUND [\"./src/Inifile:529:Inifile::GetDoubleThrow\"]");
    EXPECT_EQ(i, 42);
}

TEST(IniRead, ResultTexts)
{
    EXPECT_EQ(ResultText(0), "SUCCESS");
    EXPECT_EQ(ResultText(1), "ERROR");
    EXPECT_EQ(ResultText(2), "FILE_NOT_FOUND");
    EXPECT_EQ(ResultText(3), "SECTION_NOT_FOUND");
    EXPECT_EQ(ResultText(4), "VALUE_NOT_FOUND");
    EXPECT_EQ(ResultText(5), "REDIRECT_FILE_NOT_FOUND");
    EXPECT_EQ(ResultText(6), "Unexpected");
    EXPECT_EQ(ResultText(-1), "Unexpected");
}

TEST(IniRead, LongLinesArriveInPiecesOf1023)
{
    TempDir dir;
    const std::string file = dir.file("long.ini");
    // The second piece of the long line is part of it, never a key line of its own.
    writeFile(file, "[s]\nlong=" + std::string(1018, 'x') + "tail=2\r\nafter=3\r\n");
    EXPECT_EQ(read(file, "s", "long"), std::string(1018, 'x'));
    EXPECT_EQ(read(file, "s", "tail"), "<4>");
    EXPECT_EQ(read(file, "s", "after"), "3");
    // The manager and the writer see the same lines; a long line is replaced whole.
    CManager manager;
    manager.Load(file);
    std::string value;
    EXPECT_EQ(manager.GetString("s", "tail", value), RC_VALUE_NOT_FOUND);
    EXPECT_EQ(SetString(file, "s", "long", "short"), RC_SUCCESS);
    EXPECT_EQ(read(file, "s", "long"), "short");
    EXPECT_EQ(read(file, "s", "after"), "3");
    EXPECT_EQ(readFile(file).find("tail"), std::string::npos);

    // A line of exactly 1023 characters: its line end arrives as an empty piece.
    writeFile(file, "[s]\nk=" + std::string(1021, 'v') + "\r\nnext=1\r\n");
    EXPECT_EQ(read(file, "s", "k"), std::string(1021, 'v'));
    EXPECT_EQ(read(file, "s", "next"), "1");
}

TEST(IniRead, LargeFileAcrossReadBlocksAndGarbage)
{
    TempDir dir;
    const std::string file = dir.file("big.ini");
    std::string content = "[junk]\n";
    content += std::string("\x00\x1a\xff\r\r\n=\n[\n]]\n", 14);
    for (int i = 0; content.size() < 200000; ++i)
        content += "key" + std::to_string(i) + "=value" + std::to_string(i) + "\r\n";
    content += "[end]\r\nlast=found\r\n";
    writeFile(file, content);
    EXPECT_EQ(read(file, "junk", "key5000"), "value5000");
    EXPECT_EQ(read(file, "end", "last"), "found");
    EXPECT_EQ(read(file, "junk", "key" + std::to_string(99999999)), "<4>");
}

TEST(IniWrite, CreatesMissingFile)
{
    TempDir dir;
    EXPECT_EQ(SetString(dir.file("new.ini"), "Sec", "Key", "v 1"), RC_SUCCESS);
    EXPECT_EQ(readFile(dir.file("new.ini")), "\r\n[Sec]\r\nKey=v 1\r\n");
    EXPECT_EQ(read(dir.file("new.ini"), "sec", "key"), "v 1");
    EXPECT_EQ(folderContents(dir.path()), std::vector<std::string>{"new.ini"});
}

TEST(IniWrite, ReplacesInsertsAndAppends)
{
    TempDir dir;
    const std::string file = dir.file("w.ini");
    writeFile(file, "; head\r\n[a]\r\n  KEY = old ; note\r\nx=1\r\n[b]\r\nkey=b\r\n[A]\r\nkey=upper\r\n");
    EXPECT_EQ(SetString(file, "a", "key", "new"), RC_SUCCESS);
    EXPECT_EQ(SetString(file, "a", "added", "2"), RC_SUCCESS);
    EXPECT_EQ(SetString(file, "B", "key", "3"), RC_SUCCESS); // section names compare exactly here
    EXPECT_EQ(SetInt(file, "b", "n", -7), RC_SUCCESS);
    EXPECT_EQ(SetDouble(file, "b", "d", 1.5), RC_SUCCESS);
    EXPECT_EQ(readFile(file), "; head\r\n[a]\r\nadded=2\r\nkey=new\r\nx=1\r\n[b]\r\nd=1.500000\r\nn=-7\r\nkey=b\r\n"
                              "[A]\r\nkey=upper\r\n\r\n[B]\r\nkey=3\r\n");
    EXPECT_EQ(folderContents(dir.path()), std::vector<std::string>{"w.ini"});
}

TEST(IniWrite, KeepsUnrelatedBytesAndHeaderWithoutLineEnd)
{
    TempDir dir;
    const std::string file = dir.file("raw.ini");
    const std::string odd = std::string("x=\x00\x1a\xff\rend", 9);
    writeFile(file, odd + "\n[s]");
    EXPECT_EQ(SetString(file, "s", "k", "v"), RC_SUCCESS);
    EXPECT_EQ(readFile(file), odd + "\r\n[s]\r\nk=v\r\n");
    EXPECT_EQ(read(file, "s", "k"), "v");
}

TEST(IniWrite, RedirectedWriteGoesToTheTarget)
{
    TempDir dir;
    writeFile(dir.file("target.ini"), "[s]\nk=1\n");
    writeFile(dir.file("link.ini"), "#redirect " + dir.file("target.ini") + "\n");
    EXPECT_EQ(SetString(dir.file("link.ini"), "s", "k", "2"), RC_SUCCESS);
    EXPECT_EQ(readFile(dir.file("target.ini")), "[s]\r\nk=2\r\n");
    EXPECT_EQ(readFile(dir.file("link.ini")), "#redirect " + dir.file("target.ini") + "\n");

    writeFile(dir.file("dead.ini"), "#redirect " + dir.file("nofolder\\t.ini") + "\n");
    EXPECT_EQ(SetString(dir.file("dead.ini"), "s", "k", "2"), RC_REDIRECT_FILE_NOT_FOUND);
    EXPECT_EQ(SetString(dir.file("nofolder\\x.ini"), "s", "k", "2"), RC_FILE_NOT_FOUND);
}

TEST(IniWrite, FailureLeavesTheFileIntact)
{
    TempDir dir;
    const std::string file = dir.file("keep.ini");
    const std::string content = "[s]\r\nk=1\r\n";

    writeFile(file, content);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(SetString(file, "s", "k", "2"), RC_FILE_NOT_FOUND);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readFile(file), content);

    // In use by a program that shares nothing: not even readable, so its content must not be lost.
    strell::unique_hfile lock(CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(lock.get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(SetString(file, "s", "k", "2"), RC_FILE_NOT_FOUND);
    lock.reset();
    EXPECT_EQ(readFile(file), content);

    // Readable and writable, but not replaceable.
    lock.reset(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr));
    ASSERT_NE(lock.get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(SetString(file, "s", "k", "2"), RC_FILE_NOT_FOUND);
    lock.reset();
    EXPECT_EQ(readFile(file), content);

    EXPECT_EQ(folderContents(dir.path()), std::vector<std::string>{"keep.ini"});
}

TEST(IniWrite, ThrowForms)
{
    TempDir dir;
    const std::string bad = dir.file("nofolder\\x.ini");
    const std::string part = "\" in file \"" + bad + "\", err: 2 FILE_NOT_FOUND [\"./src/Inifile:";
    EXPECT_EQ(raised([&] { SetStringThrow(bad, "s", "k", "v"); }),
              "Error setting value \"k\"  section \"s" + part + "551:Inifile::SetStringThrow\"]");
    EXPECT_EQ(raised([&] { SetIntThrow(bad, "s", "k", 1); }),
              "Error setting value \"k\"  section \"s" + part + "561:Inifile::SetIntThrow\"]");
    EXPECT_EQ(raised([&] { SetDoubleThrow(bad, "s", "k", 1); }),
              "Error setting value \"k\"  section \"s" + part + "571:Inifile::SetDoubleThrow\"]");
    SetIntThrow(dir.file("ok.ini"), "s", "k", 5);
    EXPECT_EQ(read(dir.file("ok.ini"), "s", "k"), "5");
}
