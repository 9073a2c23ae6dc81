#pragma once

// quellbit-cli: a table of commands, each a row (its name, the words it
// takes, a one-line summary, what its help says, its options) and one short
// function. Parsing, the help texts and usage errors all come from the
// table, so a new command is one row and one function.

#include "common/failure.h"
#include "common/file_system.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quellbit::cli {

// Exit status of every command.
enum ExitStatus : int {
    kExitOk = 0,       // everything done, or the data file matches
    kExitRejected = 1, // at least one picture refused by the acceptance test
    kExitUsage = 2,    // the command line itself is wrong
    kExitBroken = 3,   // a file could not be read, decoded or written (wins over 1)
    kExitDiffers = 4,  // check: the data file is not what conversion writes
};

struct Option {
    const char *name;          // the long name: "output" for --output
    char letter;               // the short name ('o' for -o), or 0
    const char *value;         // the value's name in the help ("OUT"), or nullptr for a switch
    const char *help;          // one line
};

class Invocation;

// Standard output has failed: nothing more can be told, the command ends.
class OutputLost : public Failure {
public:
    explicit OutputLost(const Failure &failure) : Failure(failure) { }
};

struct Command {
    const char *name;
    const char *operands;    // what follows the name in a usage line
    const char *summary;     // one line, for the program's help
    const char *description; // the rest of the command's help, lines of at most 79 characters
    std::vector<Option> options;
    int (*run)(Invocation &);
};

// Every command, in the order the help lists them.
const std::vector<Command> &commands();

// One run of a command: its operands and options as given, already checked
// against its row (unknown options, missing values and values given twice
// are usage errors before the command's function runs), and its output.
class Invocation {
public:
    Invocation(const Command &command, std::FILE *out, std::FILE *err);

    const Command &command() const { return command_; }
    const std::vector<std::string> &operands() const { return operands_; }
    // Whether the option (by its long name) was given.
    bool has(std::string_view option) const;
    // Its value, or nullptr when it was not given.
    const std::string *value(std::string_view option) const;

    // Writes what a script consumes (the data itself, a report asked for)
    // to standard output, every write checked: OutputLost ("standard
    // output: " and the system's reason) when it fails.
    void print(std::string_view text);
    // Names a file written, one a line on standard output, unless --quiet.
    void wrote(const std::string &path);
    // Flushes standard output, checked the same way.
    void flush();
    // Runs one step of the command (a file to convert, to draw...): a
    // Failure it throws is reported and gives false; OutputLost goes on.
    bool attempt(const std::function<void()> &step);
    // Whether `path` is "-" or names the file standard output goes to (as
    // /dev/stdout does): what is written there goes out as "-" would.
    // `file` is the file at `path`.
    bool isStandardOutput(const std::string &path, const std::optional<FileId> &file) const;
    // An error on standard error, after "quellbit-cli: "; bytes that are
    // not UTF-8 text (a file name in another encoding) are shown as
    // replacement characters.
    void report(std::string_view message);
    // Anything else a person reads (what was done, how a file differs):
    // the same, unless --quiet.
    void note(std::string_view message);
    bool quiet() const { return quiet_; }
    // Prints "quellbit-cli: COMMAND: message", the command's usage and
    // "Try 'quellbit-cli COMMAND --help' for more information." on standard
    // error and returns kExitUsage.
    int usageError(std::string_view message);
    // "[3/1000] name" on a terminal's standard error during a batch.
    void showProgress(std::size_t done, std::size_t total, std::string_view name);

    // Parses the words after the command's name; an exit status when that
    // is all there is to do (help or version shown, or a usage error),
    // otherwise -1. `quiet`: -q was given before the command.
    int parse(int argc, char **argv, bool quiet = false);

private:
    void endProgress();

    const Command &command_;
    std::vector<std::string> operands_;
    std::vector<std::pair<std::string, std::string>> given_; // option name, value
    std::FILE *out_;
    std::FILE *err_;
    bool progressShown_ = false;
    bool quiet_ = false;
    int errIsTerminal_ = -1; // not asked yet
    // What standard output goes to, once asked (the inner nothing: not a
    // file).
    mutable std::optional<std::optional<FileId>> outputFile_;
};

// The whole program: argv as main() gets it. Standard output and standard
// error are `out` and `err`.
int run(int argc, char **argv, std::FILE *out, std::FILE *err);

// `text` as a terminal can show it: every byte sequence that is not UTF-8
// as U+FFFD, every control character but the line feed escaped.
std::string readable(std::string_view text);

} // namespace quellbit::cli
