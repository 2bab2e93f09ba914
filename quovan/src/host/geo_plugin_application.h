#pragma once
// Checked calls on the host application itself: its message box and its settings.

#include "geo_host_interfaces.h"

#include <string>

// Shows the text in the host's message box (error 203).
void showHostMessage(geohost::IGeoApplication* application, const std::string& text, const std::string& caption);
// Stores a text in the host's settings (error 215).
void writeHostSetting(geohost::IGeoApplication* application, const std::string& section, const std::string& key,
                      const std::string& text);
