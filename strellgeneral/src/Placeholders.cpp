#include "Placeholders.h"

#include "strell_exception.h"

#include <vector>

namespace strell {

namespace {

std::string translate(const std::string& name, const ITranslator& translator)
{
    try {
        return translator.GetValue(name);
    } catch (const strell::exception&) {
        return "{" + name + "}";
    }
}

} // namespace

std::string ExpandPlaceholders(const std::string& text, const ITranslator& translator)
{
    // open[d] collects the (already expanded) text inside the placeholder opened at depth d + 1;
    // an inner placeholder is resolved into its enclosing one when it closes.
    std::string output;
    std::vector<std::string> open;
    size_t outerStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '{') {
            if (open.empty())
                outerStart = i;
            open.emplace_back();
        } else if (c == '}' && !open.empty()) {
            std::string resolved = translate(open.back(), translator);
            open.pop_back();
            (open.empty() ? output : open.back()) += resolved;
        } else {
            (open.empty() ? output : open.back()) += c;
        }
    }
    if (!open.empty())
        output.append(text, outerStart, std::string::npos);
    return output;
}

} // namespace strell
