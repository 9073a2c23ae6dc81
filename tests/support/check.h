#pragma once

// A small test harness for the core and the command line, which build and
// test without Qt. A test file holds TEST_CASE functions; related cases run
// as named rows of one table:
//
//     TEST_CASE(dataFileName)
//     {
//         struct Row { const char *name; std::string picture, expected; };
//         for (const Row &row : std::initializer_list<Row> {
//                  {"lower-case extension", "logo.bmp", "lcd_logo.txt"},
//                  {"upper-case extension", "LOGO.BMP", "lcd_LOGO.txt"}}) {
//             ROW(row.name);
//             CHECK_EQ(quellbit::dataFileName(row.picture), row.expected);
//         }
//     }
//
// CHECK and CHECK_EQ note a failure, return false and go on (a row that
// cannot go on writes `if (!CHECK(...)) continue;`); REQUIRE and REQUIRE_EQ
// end the whole case. Every test case and every row counts
// once; the run ends with "N passed, N failed" and exits non-zero on a
// failure. Arguments select cases whose name contains one of them.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
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
    std::string currentCase;
    std::string currentRow;
    bool unitFailed = false;
    int passed = 0;
    int failed = 0;
};

inline State &state()
{
    static State s;
    return s;
}

inline bool add(const char *name, void (*run)())
{
    state().cases.emplace_back(name, run);
    return true;
}

// The end of one unit (a case without rows, or one row).
inline void closeUnit()
{
    State &s = state();
    (s.unitFailed ? s.failed : s.passed) += 1;
    s.unitFailed = false;
}

// Starts a new row: the failures from here on are counted against it.
class Row {
public:
    explicit Row(std::string name)
    {
        State &s = state();
        if (!s.currentRow.empty())
            closeUnit();
        s.currentRow = std::move(name);
    }
};

template <typename T>
std::string show(const T &value)
{
    if constexpr (std::is_convertible_v<const T &, std::string_view>) {
        const std::string_view text(value);
        std::string out = "\"";
        for (const char c : text.substr(0, 160)) {
            if (c == '\r')
                out += "\\r";
            else if (c == '\n')
                out += "\\n";
            else if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
                out += hex;
            } else
                out += c;
        }
        out += text.size() > 160 ? "\"... (" + std::to_string(text.size()) + " bytes)" : "\"";
        return out;
    } else if constexpr (std::is_enum_v<T>) {
        return std::to_string(static_cast<long long>(value));
    } else if constexpr (requires(std::ostream &o) { o << value; }) {
        std::ostringstream out;
        out << value;
        return out.str();
    } else {
        return "(a value that cannot be shown)";
    }
}

inline void fail(const char *file, int line, const std::string &what)
{
    State &s = state();
    s.unitFailed = true;
    std::cerr << file << ":" << line << ": FAIL " << s.currentCase
              << (s.currentRow.empty() ? "" : " [" + s.currentRow + "]") << ": " << what << "\n";
}

template <typename A, typename B>
bool equal(const A &actual, const B &expected, const char *actualText, const char *expectedText, const char *file,
           int line)
{
    if (actual == expected)
        return true;
    fail(file, line,
         std::string(actualText) + " == " + expectedText + "\n    actual:   " + show(actual)
             + "\n    expected: " + show(expected));
    return false;
}

inline int run(int argc, char **argv)
{
    State &s = state();
    for (const auto &[name, body] : s.cases) {
        bool selected = argc < 2;
        for (int i = 1; i < argc; ++i)
            selected = selected || std::string_view(name).find(argv[i]) != std::string_view::npos;
        if (!selected)
            continue;
        s.currentCase = name;
        s.currentRow.clear();
        s.unitFailed = false;
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

#define CHECK_CONCAT_INNER(a, b) a##b
#define CHECK_CONCAT(a, b) CHECK_CONCAT_INNER(a, b)

#define TEST_CASE(name)                                                                                                \
    static void name();                                                                                                \
    [[maybe_unused]] static const bool CHECK_CONCAT(name, _registered) = ::check::add(#name, name);                   \
    static void name()

#define ROW(name) const ::check::Row CHECK_CONCAT(checkRow, __LINE__)(name)

#define CHECK(condition)                                                                                               \
    ((condition) ? true : (::check::fail(__FILE__, __LINE__, "CHECK(" #condition ")"), false))
#define CHECK_EQ(actual, expected) ::check::equal((actual), (expected), #actual, #expected, __FILE__, __LINE__)

// End the case at once when the condition fails.
#define REQUIRE(condition)                                                                                             \
    do {                                                                                                               \
        if (!CHECK(condition))                                                                                         \
            throw ::check::Abort {};                                                                                   \
    } while (false)
#define REQUIRE_EQ(actual, expected)                                                                                   \
    do {                                                                                                               \
        if (!CHECK_EQ(actual, expected))                                                                               \
            throw ::check::Abort {};                                                                                   \
    } while (false)

#define CHECK_MAIN                                                                                                     \
    int main(int argc, char **argv) { return ::check::run(argc, argv); }
