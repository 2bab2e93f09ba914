#pragma once
// Expansion of braced names ("{name}") in a text through a translator.

#include <string>

namespace strell {

// Answers the text for a name; raises strell::exception when it does not know the name.
class ITranslator {
public:
    virtual ~ITranslator() = default;
    virtual std::string GetValue(const std::string& name) const = 0;
};

// Replaces every braced name by the translator's text; nested braces are expanded inside out,
// unknown names stay braced, a '}' without an open brace is ordinary text, and an opening brace
// that is never closed keeps the rest of the text unchanged.
std::string ExpandPlaceholders(const std::string& text, const ITranslator& translator);

} // namespace strell
