#pragma once

// The program's version, the project's own (CMake's PROJECT_VERSION), for
// every front end to show.

#include <string>
#include <string_view>

namespace quellbit {

// "0.1.0".
std::string_view programVersion();

// Major and minor: "0.1" of "0.1.0", as the window's caption shows it.
std::string shortProgramVersion();

} // namespace quellbit
