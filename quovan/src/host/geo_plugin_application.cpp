#include "host/geo_plugin_application.h"

#include "bstr_text.h"
#include "host/error_table.h"
#include "host/geo_plugin_exception.h"

void showHostMessage(geohost::IGeoApplication* application, const std::string& text, const std::string& caption)
{
    requireHostInterface(application);
    const CBstrText message(text);
    const CBstrText title(caption);
    checkHostResult(application->ShowMessage(message.get(), title.get()), geoerror::MessageBoxNotShown);
}

void writeHostSetting(geohost::IGeoApplication* application, const std::string& section, const std::string& key,
                      const std::string& text)
{
    requireHostInterface(application);
    const CBstrText sectionText(section);
    const CBstrText keyText(key);
    const CBstrText value(text);
    checkHostResult(application->WriteSetting(sectionText.get(), keyText.get(), value.get()),
                    geoerror::SettingNotWritten);
}
