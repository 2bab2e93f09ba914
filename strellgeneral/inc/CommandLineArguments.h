#pragma once
// The library's command-line parser. An application declares its arguments, parses, validates,
// may complete the values from an INI file and then reads them by long or short name.
// Errors are thrown as texts (std::string); the variables phase may raise strell::exception,
// which is a text as well.

#include <cstdio>
#include <deque>
#include <map>
#include <string>

// A copy of an argument's value.
struct CommandLineArgumentValue {
    int m_Type = 0;
    int m_IntValue = 0;
    std::string m_TextValue;
    bool m_Set = false;
    float m_FloatValue = 0.0f;
};

typedef bool (*CommandLineValidator)(CommandLineArgumentValue value);

// One declared argument.
class CommandLineArgument {
public:
    enum Type { TYPE_STRING = 0, TYPE_INTEGER = 1, TYPE_BOOL = 2, TYPE_FLOAT = 3 };

    CommandLineArgument(const std::string& shortName, const std::string& longName, int type, bool required,
                        const std::string& description, CommandLineValidator validator = nullptr,
                        const std::string& defaultValue = "");

    const std::string& GetShortName() const { return m_ShortName; }
    const std::string& GetLongName() const { return m_LongName; }
    const std::string& GetDescription() const { return m_Description; }
    bool IsRequired() const { return m_Required; }
    CommandLineValidator GetValidator() const { return m_Validator; }
    int GetType() const { return m_Type; }
    int GetIntValue() const { return m_IntValue; }
    const std::string& GetTextValue() const { return m_TextValue; }
    float GetFloatValue() const { return m_FloatValue; }
    bool IsSet() const { return m_Set; }
    void MarkSet(bool set = true) { m_Set = set; }
    const std::string& GetIniSection() const { return m_IniSection; }
    void SetIniSection(const std::string& section) { m_IniSection = section; }
    void SetIniKey(const std::string& key) { m_IniKey = key; }

    // Stores the text and converts it for integer (atoi) and float (atof) arguments; never fails
    // and leaves the set flag alone.
    void AssignValue(const std::string& text);
    CommandLineArgumentValue GetValue() const;
    // True when the names match: the text equals the long name or the short name.
    bool IsNamed(const std::string& name) const { return name == m_LongName || name == m_ShortName; }
    bool TakesValue() const { return m_Type != TYPE_BOOL; }

    // Names, type and description, as shown in error messages.
    std::string Describe() const;
    // The INI key: the one set, or the long (else short) name without its leading '-'.
    std::string IniKey() const;
    // "string", "integer", "bool", "float" or "".
    static std::string TypeName(int type);

private:
    std::string m_ShortName;
    std::string m_LongName;
    std::string m_Description;
    bool m_Required = false;
    CommandLineValidator m_Validator = nullptr;
    int m_Type = TYPE_STRING;
    int m_IntValue = 0;
    std::string m_TextValue;
    bool m_Set = false;
    float m_FloatValue = 0.0f;
    std::string m_IniSection;
    std::string m_IniKey;
};

class CommandLineArguments {
public:
    // Declares the version argument ("-ver", "--version").
    CommandLineArguments();
    virtual ~CommandLineArguments() = default;

    // Appends a copy; throws "Parameters ambiguous:\n..." when a name is taken. The reference stays
    // valid while the parser lives.
    CommandLineArgument& AddArgument(const CommandLineArgument& argument);
    // Assigns the text to the most recently added argument (its set flag stays as it is).
    void SetDefaultValue(const std::string& text);
    // The most recently added argument; with none: throws when raise is true, else null.
    CommandLineArgument* GetLastArgument(bool raise, const std::string& operation);
    // Declares "-99" / "--variables" and replaces "{name}" in values by the variables given there.
    void AddVariablesArgument();

    // argv[0] stands for the program and is not looked at. Ends the process through ShowVersion
    // when the version argument was given and the whole line was accepted.
    void Parse(const char* const* argv, int argc);
    // Splits the text (blanks separate, double quotes group) and parses it; its first word plays
    // the program's name.
    void ParseCommandLine(const std::string& text);
    // Required arguments and validators, in declaration order.
    void Validate() const;
    // Values found in the INI file (section of the argument, key IniKey) count as given and replace
    // the current ones.
    void LoadFromIni(const std::string& file);
    // A switch's value as an INI file writes it: true for 1, true, yes or on, false for 0, false, no, off
    // or nothing, in any case and with blanks around; any other value throws the error text that names
    // key and value.
    static bool ParseSwitch(const std::string& key, const std::string& value);

    std::string GetString(const std::string& name) const;
    int GetInt(const std::string& name) const;
    float GetFloat(const std::string& name) const;
    bool GetBool(const std::string& name) const;
    // key (long name without up to two leading '-') -> value text, for every argument.
    void GetValueMap(std::map<std::string, std::string>& map) const;
    const std::map<std::string, std::string>& GetVariables() const { return m_Variables; }
    // The argument of that long or short name, or null.
    const CommandLineArgument* FindArgument(const std::string& name) const;

    std::string GetHelpText(const std::string& prefix) const;
    void PrintHelp(std::FILE* stream, const std::string& prefix) const;
    void Dump(std::FILE* stream, const std::string& prefix) const;

    // Prints the version line and an empty line to standard output and ends the process with 0.
    virtual void ShowVersion();

protected:
    CommandLineArgument* findArgument(const std::string& name);
    void readVariables(const char* const* argv, int argc);
    std::string substituteVariables(std::string text) const;

    std::string m_SectionName;
    std::deque<CommandLineArgument> m_Arguments;
    std::map<std::string, std::string> m_Variables;
    bool m_VariablesEnabled = false;
};
