#include "plugin/about_text.h"

#include "dll/plugin_version.h"

namespace {
const char* const kLegalNotice = " - © 2009 telvor. Alle Rechte vorbehalten.";
}

std::string aboutText()
{
    return std::string("Quovan Plugin für Geogrid") + kLegalNotice + "\n\n" +
           "Version: " + QUOVAN_VERSION_TEXT + "\n" +
           "Build: " + QUOVAN_BUILD_DATE + " " + QUOVAN_BUILD_TIME;
}
