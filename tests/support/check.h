#pragma once

// A small test harness for the core and the command line, which build and
// test without Qt. Related cases run as named rows of one table (CONTRIBUTING.md
// shows one): ROW names the row, and each case without rows and each row
// counts once. CHECK and CHECK_EQ note a failure and return false (a row that
// cannot go on writes `if (!CHECK(...)) continue;`); REQUIRE and REQUIRE_EQ end
// the case. The run ends with "N passed, N failed" and exits non-zero on a
// failure.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace check {

struct Abort { }; // thrown by REQUIRE to end the case

struct State {
    std::vector<std::pair<const char *, void (*)()>> cases;
    std::string currentCase, currentRow;
    bool unitFailed = false;
    int passed = 0, failed = 0;
};

inline State &state()
{
    static State s;
    return s;
}

inline bool add(const char *name, void (*run)()) { return state().cases.emplace_back(name, run), true; }

// The end of one unit (a case without rows, or one row).
inline void closeUnit()
{
    (state().unitFailed ? state().failed : state().passed) += 1;
    state().unitFailed = false;
}

inline void startRow(std::string name)
{
    if (!state().currentRow.empty())
        closeUnit();
    state().currentRow = std::move(name);
}

// A value as a failure shows it: text quoted, control and non-ASCII bytes
// escaped, cut after 160 bytes.
template <typename T> std::string show(const T &value)
{
    std::ostringstream out;
    if constexpr (std::is_convertible_v<const T &, std::string_view>) {
        const std::string_view text(value);
        out << '"';
        for (const char c : text.substr(0, 160)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            out << (c == '\r' ? "\\r" : c == '\n' ? "\\n" : c >= 0x20 && c < 0x7F ? std::string(1, c) : hex);
        }
        out << '"' << (text.size() > 160 ? "... (" + std::to_string(text.size()) + " bytes)" : "");
    } else if constexpr (std::is_enum_v<T>)
        out << static_cast<long long>(value);
    else
        out << value;
    return out.str();
}

inline void fail(const char *file, int line, const std::string &what)
{
    const State &s = state();
    state().unitFailed = true;
    std::cerr << file << ":" << line << ": FAIL " << s.currentCase
              << (s.currentRow.empty() ? "" : " [" + s.currentRow + "]") << ": " << what << "\n";
}

template <typename A, typename B>
bool equal(const A &actual, const B &expected, const char *actualText, const char *expectedText, const char *file,
           int line)
{
    if (actual == expected)
        return true;
    fail(file, line, std::string(actualText) + " == " + expectedText + "\n    actual:   " + show(actual)
                         + "\n    expected: " + show(expected));
    return false;
}

inline int run()
{
    State &s = state();
    for (const auto &[name, body] : s.cases) {
        s.currentCase = name;
        s.currentRow.clear();
        try {
            body();
        } catch (const Abort &) {
        } catch (const std::exception &e) {
            fail(__FILE__, __LINE__, std::string("an exception escaped: ") + e.what());
        }
        closeUnit();
    }
    std::cout << s.passed << " passed, " << s.failed << " failed\n";
    return s.failed == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}

} // namespace check

#define TEST_CASE(name)                                                                                                \
    static void name();                                                                                                \
    [[maybe_unused]] static const bool name##Registered = ::check::add(#name, name);                                  \
    static void name()
#define ROW(name) ::check::startRow(name)
#define CHECK(condition) ((condition) ? true : (::check::fail(__FILE__, __LINE__, "CHECK(" #condition ")"), false))
#define CHECK_EQ(actual, expected) ::check::equal((actual), (expected), #actual, #expected, __FILE__, __LINE__)
#define REQUIRE(condition) (CHECK(condition) ? void() : throw ::check::Abort {})
#define REQUIRE_EQ(actual, expected) (CHECK_EQ(actual, expected) ? void() : throw ::check::Abort {})
#define CHECK_MAIN int main() { return ::check::run(); }
