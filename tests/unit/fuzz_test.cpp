// Deterministic fuzzing (fixed seeds): random and mutated inputs for the tokeniser, the pair parser,
// placeholder expansion and the INI reader and writer. Each case checks invariants that hold for
// every input, never a particular output.

#include "GeneralParser.h"
#include "Inifile.h"
#include "InifileManager.h"
#include "SerializeMap.h"
#include "strell_exception.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace strell;

namespace {

class Random {
public:
    explicit Random(unsigned seed) : m_Engine(seed) {}
    unsigned below(unsigned n) { return static_cast<unsigned>(m_Engine() % n); }
    bool chance(unsigned percent) { return below(100) < percent; }
    char pick(const std::string& alphabet) { return alphabet[below(static_cast<unsigned>(alphabet.size()))]; }
    std::string text(const std::string& alphabet, unsigned maxLength)
    {
        std::string s(below(maxLength + 1), ' ');
        for (char& c : s)
            c = pick(alphabet);
        return s;
    }
    std::string bytes(unsigned maxLength)
    {
        std::string s(below(maxLength + 1), ' ');
        for (char& c : s)
            c = static_cast<char>(below(256));
        return s;
    }
    // Flips, inserts or deletes a few bytes.
    std::string mutate(std::string s, const std::string& alphabet)
    {
        for (unsigned n = below(4) + 1; n > 0; --n) {
            const size_t at = s.empty() ? 0 : below(static_cast<unsigned>(s.size()));
            switch (below(3)) {
            case 0:
                s.insert(at, 1, chance(50) ? pick(alphabet) : static_cast<char>(below(256)));
                break;
            case 1:
                if (!s.empty())
                    s.erase(at, 1);
                break;
            default:
                if (!s.empty())
                    s[at] = pick(alphabet);
            }
        }
        return s;
    }

private:
    std::mt19937 m_Engine;
};

std::vector<std::string> tokens(const std::string& text, char separator, bool quotes)
{
    CGeneralParser parser(separator, quotes, false);
    parser.Split(text);
    std::vector<std::string> result;
    for (int i = 0; i < parser.GetCount(); ++i)
        result.push_back(parser.GetToken(i));
    return result;
}

// The fields of the text between separators, empty ones dropped.
std::vector<std::string> plainFields(const std::string& text, char separator)
{
    std::vector<std::string> fields;
    std::string field;
    for (char c : text) {
        if (c == separator) {
            if (!field.empty())
                fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    if (!field.empty())
        fields.push_back(field);
    return fields;
}

// Answers every name with the name in braces: expansion must then give back its input unchanged.
class EchoTranslator : public ITranslator {
public:
    std::string GetValue(const std::string& name) const override { return "{" + name + "}"; }
};

// Knows no name at all.
class EmptyTranslator : public ITranslator {
public:
    std::string GetValue(const std::string& name) const override
    {
        throwReport("Value not found", "fuzz", 1, "EmptyTranslator::GetValue");
    }
};

} // namespace

TEST(Fuzz, TokeniserSplitsAndRoundTrips)
{
    Random random(20090201);
    const std::string alphabet = "ab \";=\t{}";
    for (int round = 0; round < 3000; ++round) {
        const char separator = round % 2 ? ' ' : ';';
        std::string text = random.chance(20) ? random.bytes(64) : random.text(alphabet, 64);
        if (random.chance(30))
            text = random.mutate(text, alphabet);

        const std::vector<std::string> split = tokens(text, separator, true);
        size_t characters = 0;
        for (const std::string& token : split)
            characters += token.size();
        ASSERT_LE(characters, text.size()) << text;
        // Without quotes, or in a text without any, the fields between separators come out unchanged.
        EXPECT_EQ(tokens(text, separator, false), plainFields(text, separator)) << text;
        if (text.find('"') == std::string::npos) {
            EXPECT_EQ(split, plainFields(text, separator)) << text;
        }

        // Quoting any words (without quotes of their own) and joining them gives them back.
        std::vector<std::string> words;
        std::string line(random.below(3), separator);
        for (unsigned n = random.below(6); n > 0; --n) {
            std::string word = random.text("ab ;=\t{}", 12);
            word.erase(std::remove(word.begin(), word.end(), '"'), word.end());
            words.push_back(word);
            line += "\"" + word + "\"" + std::string(random.below(3) + 1, separator);
        }
        EXPECT_EQ(tokens(line, separator, true), words) << line;
    }
}

TEST(Fuzz, String2HashStoresOnlyPairsOrReports)
{
    Random random(4711);
    const std::string alphabet = "aB=;\"x =";
    for (int round = 0; round < 3000; ++round) {
        std::string text = random.chance(15) ? random.bytes(48) : random.text(alphabet, 48);
        if (random.chance(30))
            text = random.mutate(text, alphabet);
        const bool lower = random.chance(50);
        std::map<std::string, std::string> map;
        try {
            String2Hash(text, map, lower);
        } catch (const strell::exception& e) {
            ASSERT_EQ(e.text().rfind("String2Hash() Not a pair, \"=\" missing in \"", 0), 0u) << e.text();
        }
        for (const auto& pair : map) {
            EXPECT_FALSE(pair.first.empty()) << text;
            EXPECT_EQ(pair.first.find('='), std::string::npos) << text;
            if (lower) {
                EXPECT_EQ(pair.first, toLower(pair.first)) << text;
            }
        }

        // Well-formed pairs are read back exactly; the last one of a name wins.
        std::map<std::string, std::string> expected;
        std::string pairs;
        for (unsigned n = random.below(5); n > 0; --n) {
            const std::string name = std::string(1, random.pick("abc")) + random.text("abc", 2);
            const std::string value = random.text("xy= ", 6);
            expected[name] = value;
            pairs += name + "=" + value + std::string(random.below(2) + 1, ';');
        }
        std::map<std::string, std::string> read;
        String2Hash(pairs, read, false);
        EXPECT_EQ(read, expected) << pairs;
    }
}

TEST(Fuzz, PlaceholderExpansion)
{
    Random random(1995);
    const std::string alphabet = "{}{}ab";
    const std::map<std::string, std::string> map{{"a", "1"}, {"b", "a"}, {"", "{"}, {"{b}", "x"}};
    const CMap2TranslatorAdapter<> adapter(map);
    const EchoTranslator echo;
    const EmptyTranslator none;
    for (int round = 0; round < 4000; ++round) {
        std::string text = random.text(alphabet, 40);
        if (random.chance(30))
            text = random.mutate(text, alphabet);
        EXPECT_EQ(ExpandPlaceholders(text, echo), text);
        EXPECT_EQ(ExpandPlaceholders(text, none), text);
        const std::string expanded = ExpandPlaceholders(text, adapter);
        if (text.find('{') == std::string::npos) {
            EXPECT_EQ(expanded, text);
        }
    }
    // Deep nesting is handled without recursion.
    const std::string deep = std::string(5000, '{') + "a" + std::string(5000, '}');
    EXPECT_EQ(ExpandPlaceholders(deep, echo), deep);
    EXPECT_EQ(ExpandPlaceholders(std::string(200000, '{'), adapter), std::string(200000, '{'));
}

TEST(Fuzz, IniReaderAgreesWithManagerAndWriterRoundTrips)
{
    testsupport::TempDir dir("fuzz");
    const testsupport::CurrentFolder current(dir.path()); // a bare redirect target is written here
    Random random(31337);
    const std::vector<std::string> fragments = {
        "[a]", "[b]", "[ A ]", "[]", "[a", "a]", "k=1", " K = 2 ", "k==", "=x", "x", "#k=3", ";[b]", "'c", "  ",
        "k={.}\\f", "[{.}]", "\t[b] tail", "kk=" + std::string(1100, 'v') + "k=9", "#redirect gone.ini",
        "#redirect " + dir.file("other.ini"), std::string("\0\x1a\xff", 3)};
    const std::vector<std::string> ends = {"\n", "\r\n", "\r", "\r\r\n", ""};
    testsupport::writeFile(dir.file("other.ini"), "[a]\nk=other\n");
    const std::string file = dir.file("f.ini");

    for (int round = 0; round < 600; ++round) {
        std::string content;
        for (unsigned n = random.below(12); n > 0; --n)
            content += (random.chance(10) ? random.bytes(20) : fragments[random.below(fragments.size())]) +
                       ends[random.below(ends.size())];
        if (random.chance(20))
            content = random.mutate(content, "[]=#k\n\r");
        testsupport::writeFile(file, content);

        Inifile::CManager manager;
        bool loaded = true;
        try {
            manager.Load(file);
        } catch (const strell::exception&) {
            loaded = false; // only a redirect to a missing file cannot be loaded
        }
        for (const char* section : {"a", "b", "A"}) {
            for (const char* key : {"k", "K", "kk"}) {
                std::string value;
                const int code = Inifile::GetString(file, section, key, value);
                ASSERT_TRUE(code == 0 || code == 3 || code == 4 || code == 5) << code;
                ASSERT_EQ(code == 5, !loaded) << content;
                if (!loaded)
                    continue;
                std::string cached;
                const int managerCode = manager.GetString(section, key, cached);
                if (code == 0) {
                    EXPECT_LE(value.size(), 1023u);
                    EXPECT_EQ(managerCode, 0) << content;
                } else if (code == 3) {
                    EXPECT_EQ(managerCode, 3) << content;
                } else if (code == 4) {
                    EXPECT_NE(managerCode, 3) << content;
                }
            }
        }

        // Whatever the file holds, a value written can be read back.
        const std::string section = random.text("ab", 2) + "s";
        const std::string key = "w" + random.text("kw", 2);
        const std::string value = random.text("v =;[]", 10);
        const int written = Inifile::SetString(file, section, key, value);
        ASSERT_TRUE(written == 0 || written == 5) << content;
        if (written == 0) {
            std::string read;
            EXPECT_EQ(Inifile::GetString(file, section, key, read), 0) << content;
            EXPECT_EQ(read, value) << content;
        }
    }
    // Writes through the redirect went to the target and kept what was there.
    EXPECT_EQ(testsupport::readFile(dir.file("other.ini")).find("[a]\r\nk=other\r\n"), 0u);
}
