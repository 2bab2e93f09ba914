#pragma once
// The text of the plug-in's About box.

#include <string>

std::string aboutText();
