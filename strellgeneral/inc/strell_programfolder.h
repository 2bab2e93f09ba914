#pragma once
// The folder of the running program, where the library looks for a bare file name that the current
// folder does not hold.

#include <string>

namespace strell {

std::string getExecutableFolder();

} // namespace strell
