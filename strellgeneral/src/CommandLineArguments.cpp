#include "CommandLineArguments.h"

#include "Argv.h"
#include "Inifile.h"
#include "SerializeMap.h"
#include "stringex.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace {
const int kVersionMajor = 1;
const int kVersionMinor = 95;
const char kSectionName[] = "parameters";
} // namespace

CommandLineArgument::CommandLineArgument(const std::string& shortName, const std::string& longName, int type,
                                         bool required, const std::string& description,
                                         CommandLineValidator validator, const std::string& defaultValue)
    : m_ShortName(shortName), m_LongName(longName), m_Description(description), m_Required(required),
      m_Validator(validator), m_Type(type)
{
    AssignValue(defaultValue);
}

void CommandLineArgument::AssignValue(const std::string& text)
{
    m_TextValue = text;
    if (m_Type == TYPE_INTEGER)
        m_IntValue = std::atoi(text.c_str());
    else if (m_Type == TYPE_FLOAT)
        m_FloatValue = static_cast<float>(std::atof(text.c_str()));
}

CommandLineArgumentValue CommandLineArgument::GetValue() const
{
    CommandLineArgumentValue value;
    value.m_Type = m_Type;
    value.m_IntValue = m_IntValue;
    value.m_TextValue = m_TextValue;
    value.m_Set = m_Set;
    value.m_FloatValue = m_FloatValue;
    return value;
}

std::string CommandLineArgument::TypeName(int type)
{
    switch (type) {
    case TYPE_STRING:
        return "string";
    case TYPE_INTEGER:
        return "integer";
    case TYPE_BOOL:
        return "bool";
    case TYPE_FLOAT:
        return "float";
    default:
        return "";
    }
}

std::string CommandLineArgument::Describe() const
{
    std::string text;
    if (!m_LongName.empty())
        text += "\"" + m_LongName + "\" ";
    if (!m_ShortName.empty())
        text += "\"" + m_ShortName + "\" ";
    text += "\n  type       : " + TypeName(m_Type) + " ";
    text += "\n  description: " + m_Description;
    return text;
}

std::string CommandLineArgument::IniKey() const
{
    if (!m_IniKey.empty())
        return m_IniKey;
    const std::string& name = m_LongName.empty() ? m_ShortName : m_LongName;
    const size_t first = name.find_first_not_of('-');
    return first == std::string::npos ? std::string() : name.substr(first);
}

CommandLineArguments::CommandLineArguments() : m_SectionName(kSectionName)
{
    AddArgument(CommandLineArgument("-ver", "--version", CommandLineArgument::TYPE_BOOL, false,
                                    "Show the version of the program"));
}

CommandLineArgument* CommandLineArguments::findArgument(const std::string& name)
{
    for (CommandLineArgument& argument : m_Arguments)
        if (argument.IsNamed(name))
            return &argument;
    return nullptr;
}

const CommandLineArgument* CommandLineArguments::FindArgument(const std::string& name) const
{
    for (const CommandLineArgument& argument : m_Arguments)
        if (argument.IsNamed(name))
            return &argument;
    return nullptr;
}

CommandLineArgument& CommandLineArguments::AddArgument(const CommandLineArgument& argument)
{
    const CommandLineArgument* existing = FindArgument(argument.GetLongName());
    if (!existing)
        existing = FindArgument(argument.GetShortName());
    if (existing)
        throw std::string("Parameters ambiguous:\n" + existing->Describe() + "\n\n" + argument.Describe());
    m_Arguments.push_back(argument);
    CommandLineArgument& stored = m_Arguments.back();
    if (stored.GetIniSection().empty())
        stored.SetIniSection(m_SectionName);
    return stored;
}

CommandLineArgument* CommandLineArguments::GetLastArgument(bool raise, const std::string& operation)
{
    if (m_Arguments.empty()) {
        if (raise)
            throw strell::formatString("%s::Add an argument first! (argument count == 0)", operation.c_str());
        return nullptr;
    }
    return &m_Arguments.back();
}

void CommandLineArguments::SetDefaultValue(const std::string& text)
{
    GetLastArgument(true, "SetDefaultValue")->AssignValue(text);
}

void CommandLineArguments::AddVariablesArgument()
{
    AddArgument(CommandLineArgument("-99", "--variables", CommandLineArgument::TYPE_STRING, false,
                                    "Variables which are replaced in other parameter"));
    m_VariablesEnabled = true;
}

void CommandLineArguments::readVariables(const char* const* argv, int argc)
{
    for (int i = 1; i < argc - 1; ++i) {
        const std::string token = strell::toLower(argv[i]);
        if (token == "--variables" || token == "-99")
            strell::String2Hash(argv[i + 1], m_Variables, false);
    }
}

std::string CommandLineArguments::substituteVariables(std::string text) const
{
    for (const auto& variable : m_Variables)
        text = strell::replaceAll("{" + variable.first + "}", text, variable.second);
    return text;
}

void CommandLineArguments::Parse(const char* const* argv, int argc)
{
    if (m_VariablesEnabled && argc > 2)
        readVariables(argv, argc);

    int i = 1;
    while (i < argc) {
        CommandLineArgument* argument = findArgument(argv[i]);
        if (!argument)
            throw std::string("Unexpected argument found: ") + argv[i];
        const bool takesValue = argument->TakesValue();
        argument->MarkSet();
        if (i + (takesValue ? 1 : 0) >= argc)
            throw std::string("Argument missing for parameter: ") + argument->Describe();
        std::string value = takesValue ? argv[i + 1] : argv[i];
        if (m_VariablesEnabled)
            value = substituteVariables(value);
        argument->AssignValue(value);
        i += takesValue ? 2 : 1;
    }

    const CommandLineArgument* version = FindArgument("--version");
    if (version && version->IsSet())
        ShowVersion();
}

void CommandLineArguments::ParseCommandLine(const std::string& text)
{
    CArgv argv(text);
    if (argv.GetArgc() > 0)
        Parse(argv.GetArgv(), argv.GetArgc());
}

void CommandLineArguments::Validate() const
{
    for (const CommandLineArgument& argument : m_Arguments) {
        if (argument.IsRequired() && !argument.IsSet())
            throw std::string("Required parameter missing: ") + argument.Describe();
        if (argument.GetValidator() && !argument.GetValidator()(argument.GetValue()))
            throw std::string("Invalid value for parameter: ") + argument.Describe() + "\n";
    }
}

// A switch written in an option file: "remove=0" must not switch it on.
bool CommandLineArguments::ParseSwitch(const std::string& key, const std::string& value)
{
    const std::string word = strell::toLower(strell::trim(value));
    if (word == "1" || word == "true" || word == "yes" || word == "on")
        return true;
    if (word.empty() || word == "0" || word == "false" || word == "no" || word == "off")
        return false;
    throw std::string("Invalid value for switch in option file: ") + key + "=" + value +
        "\n  (1, true, yes, on or 0, false, no, off)";
}

void CommandLineArguments::LoadFromIni(const std::string& file)
{
    for (CommandLineArgument& argument : m_Arguments) {
        const std::string section = argument.GetIniSection().empty() ? m_SectionName : argument.GetIniSection();
        std::string value;
        if (Inifile::GetString(file, section, argument.IniKey(), value) != Inifile::RC_SUCCESS)
            continue;
        if (argument.GetType() == CommandLineArgument::TYPE_BOOL) {
            argument.MarkSet(ParseSwitch(argument.IniKey(), value));
            continue;
        }
        argument.MarkSet();
        argument.AssignValue(value);
    }
}

std::string CommandLineArguments::GetString(const std::string& name) const
{
    const CommandLineArgument* argument = FindArgument(name);
    return argument ? argument->GetTextValue() : std::string();
}

int CommandLineArguments::GetInt(const std::string& name) const
{
    const CommandLineArgument* argument = FindArgument(name);
    return argument ? argument->GetIntValue() : 0;
}

float CommandLineArguments::GetFloat(const std::string& name) const
{
    const CommandLineArgument* argument = FindArgument(name);
    return argument ? argument->GetFloatValue() : 0.0f;
}

bool CommandLineArguments::GetBool(const std::string& name) const
{
    const CommandLineArgument* argument = FindArgument(name);
    return argument ? argument->IsSet() : false;
}

void CommandLineArguments::GetValueMap(std::map<std::string, std::string>& map) const
{
    for (const CommandLineArgument& argument : m_Arguments) {
        std::string key = argument.GetLongName();
        for (int dash = 0; dash < 2 && !key.empty() && key[0] == '-'; ++dash)
            key.erase(0, 1);
        std::string text;
        switch (argument.GetType()) {
        case CommandLineArgument::TYPE_STRING:
            text = argument.GetTextValue();
            break;
        case CommandLineArgument::TYPE_INTEGER:
            text = std::to_string(argument.GetIntValue());
            break;
        case CommandLineArgument::TYPE_BOOL:
            text = argument.IsSet() ? "1" : "0";
            break;
        case CommandLineArgument::TYPE_FLOAT: {
            std::ostringstream stream;
            stream << argument.GetFloatValue();
            text = stream.str();
            break;
        }
        default:
            break;
        }
        map[key] = text;
    }
}

namespace {
std::string namesColumn(const CommandLineArgument& argument)
{
    std::string column = argument.GetShortName() + ", " + argument.GetLongName();
    if (argument.GetType() != CommandLineArgument::TYPE_BOOL)
        column += " {" + CommandLineArgument::TypeName(argument.GetType()) + "}";
    return column;
}
} // namespace

std::string CommandLineArguments::GetHelpText(const std::string& prefix) const
{
    size_t width = 0;
    for (const CommandLineArgument& argument : m_Arguments)
        width = std::max(width, namesColumn(argument).size());

    // Each line: prefix, two blanks, the names padded to the widest, " ...", required or optional,
    // ", " and the description.
    std::string text = prefix + "Options:\n";
    for (const CommandLineArgument& argument : m_Arguments) {
        const std::string names = namesColumn(argument);
        text += prefix + "  " + names + std::string(width - names.size(), ' ') + " ..." +
                (argument.IsRequired() ? "required" : "optional") + ", " + argument.GetDescription() + "\n";
    }
    return text;
}

void CommandLineArguments::PrintHelp(std::FILE* stream, const std::string& prefix) const
{
    std::fprintf(stream, "%s", GetHelpText(prefix).c_str());
}

void CommandLineArguments::Dump(std::FILE* stream, const std::string& prefix) const
{
    for (const CommandLineArgument& argument : m_Arguments) {
        const std::string names = argument.GetShortName() + ", " + argument.GetLongName();
        switch (argument.GetType()) {
        case CommandLineArgument::TYPE_STRING:
            std::fprintf(stream, "%s%-20s : %s\n", prefix.c_str(), names.c_str(), argument.GetTextValue().c_str());
            break;
        case CommandLineArgument::TYPE_INTEGER:
            std::fprintf(stream, "%s%-20s : %d\n", prefix.c_str(), names.c_str(), argument.GetIntValue());
            break;
        case CommandLineArgument::TYPE_BOOL:
            std::fprintf(stream, "%s%-20s : %s\n", prefix.c_str(), names.c_str(),
                         argument.IsSet() ? "enabled" : "disabled");
            break;
        case CommandLineArgument::TYPE_FLOAT:
            std::fprintf(stream, "%s%-20s : %f\n", prefix.c_str(), names.c_str(),
                         static_cast<double>(argument.GetFloatValue()));
            break;
        default:
            break;
        }
    }
}

void CommandLineArguments::ShowVersion()
{
    std::printf("Version ");
    std::printf("%s", strell::formatString("%d.%02d\n", kVersionMajor, kVersionMinor).c_str());
    std::printf("\n");
    std::fflush(stdout);
    std::exit(0);
}
