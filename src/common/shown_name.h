#pragma once

// A file name as a person can read it wherever it is shown: on a terminal,
// in a message box, in a list. Names are bytes; what is shown is text.

#include <string>
#include <string_view>

namespace quellbit {

// `name` as UTF-8 text: each byte sequence that is not UTF-8 becomes U+FFFD,
// each control character its escape ("\n", "\t", "\r", "\x1b"), so that a
// name is one line and cannot steer a terminal. A backslash stays as it is.
std::string shownName(std::string_view name);

// The same for a message of several lines: line feeds stay.
std::string shownMessage(std::string_view text);

} // namespace quellbit
