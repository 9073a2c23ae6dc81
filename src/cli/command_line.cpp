#include "cli/command_line.h"

#include "common/failure.h"
#include "common/output_file.h"
#include "common/shown_name.h"
#include "common/version.h"

#include <getopt.h>

#include <algorithm>

namespace quellbit::cli {

namespace {

constexpr std::string_view kProgram = "quellbit-cli";
constexpr int kVersionOption = 0x1000;
constexpr int kFirstLongOnly = 0x1001; // + the option's index in its row

constexpr std::string_view kAbout = "Converts 240 x 128 one-bit BMP pictures into LCD data files and back.";
constexpr std::string_view kExitStatus = R"(Exit status:
  0  done (check: the data file matches)
  1  at least one picture refused: not 240 x 128 with 1 bit per pixel
  2  usage error
  3  a file could not be read, decoded or written (3 wins over 1)
  4  check: the data file differs from what conversion writes
)";

const Option kHelp {"help", 'h', nullptr, "Show this help and exit."};
const Option kVersion {"version", 0, nullptr, "Show the version and exit."};
const Option kQuiet {"quiet", 'q', nullptr, "Say nothing but errors (data asked for with -o - still comes)."};
constexpr int kQuietOption = 'q';

// The hint after a usage error, as GNU programs give it.
std::string tryHelp(std::string_view command)
{
    return "Try '" + std::string(kProgram) + (command.empty() ? "" : " ") + std::string(command)
        + " --help' for more information.";
}

std::string usageLine(const Command &command)
{
    return std::string(kProgram) + " " + command.name + " " + command.operands;
}

// "  -o, --output=OUT" or "      --inverse".
std::string optionWords(const Option &option)
{
    std::string words = option.letter ? std::string("  -") + option.letter + ", " : std::string(6, ' ');
    words += "--";
    words += option.name;
    if (option.value) {
        words += '=';
        words += option.value;
    }
    return words;
}

std::string optionTable(std::vector<Option> options)
{
    options.push_back(kQuiet);
    options.push_back(kHelp);
    options.push_back(kVersion);
    std::size_t width = 0;
    for (const Option &option : options)
        width = std::max(width, optionWords(option).size());
    std::string table = "Options:\n";
    for (const Option &option : options) {
        // The help beside the words, wrapped at 79 columns.
        std::string line = optionWords(option);
        std::string_view help = option.help;
        while (!help.empty()) {
            line.resize(width + 2, ' ');
            std::size_t take = help.size();
            if (line.size() + take > 79)
                take = std::max<std::size_t>(help.rfind(' ', 79 - line.size()), 1);
            line += help.substr(0, take);
            table += line + "\n";
            line.clear();
            help.remove_prefix(std::min(help.size(), take + 1));
        }
    }
    return table;
}

std::string commandHelp(const Command &command)
{
    return "Usage: " + usageLine(command) + "\n" + command.summary + "\n\n" + command.description + "\n\n"
        + optionTable(command.options);
}

std::string programHelp()
{
    std::string help = "Usage: ";
    for (const Command &command : commands())
        help += usageLine(command) + "\n  or:  ";
    help += std::string(kProgram) + " --help | --version\n";
    help += std::string(kAbout) + "\n\nCommands:\n";
    std::size_t width = 0;
    for (const Command &command : commands())
        width = std::max(width, std::string_view(command.name).size());
    for (const Command &command : commands())
        help += "  " + std::string(command.name) + std::string(width + 3 - std::string_view(command.name).size(), ' ')
            + command.summary + "\n";
    help += "\nStandard output carries what a script uses: the data with -o -, otherwise the\n"
            "name of each file written, one a line. Messages go to standard error, each\n"
            "after \"quellbit-cli: \"; -q (--quiet), before or after the command, leaves the\n"
            "errors only. A PICTURE or DATAFILE of \"-\" is standard input (a pipe too),\n"
            "read once; what is made of it goes to standard output unless -o says otherwise.\n";
    help += '\n';
    help += optionTable({});
    help += "\nRun \"" + std::string(kProgram) + " COMMAND --help\" for a command's own options.\n\n";
    help += kExitStatus;
    return help;
}

std::string versionText()
{
    return std::string(kProgram) + " " + std::string(programVersion()) + "\n";
}

} // namespace

std::string readable(std::string_view text)
{
    return shownMessage(text);
}

Invocation::Invocation(const Command &command, std::FILE *out, std::FILE *err)
    : command_(command), out_(out), err_(err)
{
}

bool Invocation::has(std::string_view option) const
{
    return value(option) != nullptr;
}

const std::string *Invocation::value(std::string_view option) const
{
    for (const auto &[name, value] : given_)
        if (name == option)
            return &value;
    return nullptr;
}

void Invocation::print(std::string_view text)
{
    endProgress();
    try {
        StandardOutput(out_).write(text);
    } catch (const Failure &failure) {
        throw OutputLost(failure);
    }
}

void Invocation::flush()
{
    try {
        StandardOutput(out_).commit();
    } catch (const Failure &failure) {
        throw OutputLost(failure);
    }
}

bool Invocation::attempt(const std::function<void()> &step)
{
    try {
        step();
        return true;
    } catch (const OutputLost &) {
        throw;
    } catch (const Failure &failure) {
        report(failure.what());
        return false;
    } catch (const std::exception &failure) { // out of memory, most likely
        report(failure.what());
        return false;
    }
}

bool Invocation::isStandardOutput(const std::string &path, const std::optional<FileId> &file) const
{
    if (path == "-")
        return true;
    if (!outputFile_)
        outputFile_ = fileIdOf(out_);
    return outputFile_->has_value() && file == *outputFile_;
}

void Invocation::report(std::string_view message)
{
    endProgress();
    const std::string line = std::string(kProgram) + ": " + readable(message) + "\n";
    std::fwrite(line.data(), 1, line.size(), err_);
    std::fflush(err_);
}

void Invocation::note(std::string_view message)
{
    if (!quiet_)
        report(message);
}

void Invocation::wrote(const std::string &path)
{
    if (!quiet_)
        print(shownName(path) + "\n");
}

int Invocation::usageError(std::string_view message)
{
    report(std::string(command_.name) + ": " + std::string(message) + "\nUsage: " + usageLine(command_) + "\n"
           + tryHelp(command_.name));
    return kExitUsage;
}

void Invocation::showProgress(std::size_t done, std::size_t total, std::string_view name)
{
    if (total < 2)
        return;
    if (errIsTerminal_ < 0)
        errIsTerminal_ = isTerminal(err_) ? 1 : 0;
    if (errIsTerminal_ == 0)
        return;
    const std::string line
        = "\r\x1b[K[" + std::to_string(done) + "/" + std::to_string(total) + "] " + shownName(name);
    std::fwrite(line.data(), 1, line.size(), err_);
    std::fflush(err_);
    progressShown_ = true;
}

void Invocation::endProgress()
{
    if (!progressShown_)
        return;
    std::fputs("\r\x1b[K", err_);
    std::fflush(err_);
    progressShown_ = false;
}

int Invocation::parse(int argc, char **argv, bool quiet)
{
    quiet_ = quiet;
    const std::vector<Option> &options = command_.options;
    std::vector<option> longOptions;
    std::string shortOptions = ":h"; // ':' first: a missing value is told apart from an unknown option
    for (std::size_t i = 0; i < options.size(); ++i) {
        const Option &o = options[i];
        longOptions.push_back({o.name, o.value ? required_argument : no_argument, nullptr,
                               o.letter ? o.letter : kFirstLongOnly + static_cast<int>(i)});
        if (o.letter) {
            shortOptions += o.letter;
            if (o.value)
                shortOptions += ':';
        }
    }
    shortOptions += kQuietOption;
    longOptions.push_back({kQuiet.name, no_argument, nullptr, kQuietOption});
    longOptions.push_back({kHelp.name, no_argument, nullptr, 'h'});
    longOptions.push_back({kVersion.name, no_argument, nullptr, kVersionOption});
    longOptions.push_back({nullptr, 0, nullptr, 0});

    const auto find = [&](int code) -> const Option * {
        for (std::size_t i = 0; i < options.size(); ++i)
            if (code == (options[i].letter ? options[i].letter : kFirstLongOnly + static_cast<int>(i)))
                return &options[i];
        return nullptr;
    };
    // How the user wrote an option: "--output" when they used the long
    // name, "-o" otherwise.
    const auto written = [&](const Option &o) {
        const std::string_view word = optind > 0 && optind <= argc ? argv[optind - 1] : "";
        return word.starts_with("--") || !o.letter ? "--" + std::string(o.name) : std::string("-") + o.letter;
    };

    optind = 0; // start afresh (glibc), so the program can be run more than once in one process
    opterr = 0;
    for (;;) {
        const int code = ::getopt_long(argc, argv, shortOptions.c_str(), longOptions.data(), nullptr);
        if (code == -1)
            break;
        if (code == 'h') {
            print(commandHelp(command_));
            return kExitOk;
        }
        if (code == kVersionOption) {
            print(versionText());
            return kExitOk;
        }
        if (code == kQuietOption) {
            quiet_ = true;
            continue;
        }
        if (code == ':') {
            const Option *o = find(optopt);
            return usageError((o ? written(*o) : std::string("an option")) + " needs a value");
        }
        if (code == '?') {
            const Option *o = find(optopt);
            if (o && !o->value)
                return usageError(written(*o) + " takes no value");
            const std::string word = optopt != 0 ? std::string("-") + static_cast<char>(optopt) : argv[optind - 1];
            return usageError("unknown option \"" + word + "\"");
        }
        const Option *o = find(code);
        if (o->value && has(o->name))
            return usageError(written(*o) + " given twice");
        given_.emplace_back(o->name, o->value ? optarg : "");
    }
    for (int i = optind; i < argc; ++i)
        operands_.emplace_back(argv[i]);
    return -1;
}

int run(int argc, char **argv, std::FILE *out, std::FILE *err)
{
    // -q before the command's name counts as after it.
    const bool quiet = argc > 1 && (std::string_view(argv[1]) == "-q" || std::string_view(argv[1]) == "--quiet");
    if (quiet) {
        --argc;
        ++argv;
    }
    const std::string_view first = argc > 1 ? argv[1] : "";
    const auto usage = [&](const std::string &message) {
        const std::string text = std::string(kProgram) + ": " + readable(message) + "\n" + tryHelp({}) + "\n";
        std::fputs(text.c_str(), err);
        return kExitUsage;
    };
    try {
        if (first == "--help" || first == "-h") {
            StandardOutput output(out);
            output.write(programHelp());
            output.commit();
            return kExitOk;
        }
        if (first == "--version") {
            StandardOutput output(out);
            output.write(versionText());
            output.commit();
            return kExitOk;
        }
        if (argc < 2)
            return usage("no command given");
        if (first.starts_with('-'))
            return usage("unknown option \"" + std::string(first) + "\"");
        const auto &table = commands();
        const auto command = std::find_if(table.begin(), table.end(), [&](const Command &c) { return first == c.name; });
        if (command == table.end())
            return usage("unknown command \"" + std::string(first) + "\"");

        Invocation invocation(*command, out, err);
        // The command's name stands where getopt expects the program's.
        const int parsed = invocation.parse(argc - 1, argv + 1, quiet);
        const int status = parsed >= 0 ? parsed : command->run(invocation);
        invocation.flush();
        return status;
    } catch (const Failure &failure) {
        // Standard output failed (OutputLost), or a step a command did not
        // attempt on its own.
        const std::string line = std::string(kProgram) + ": " + readable(failure.what()) + "\n";
        std::fputs(line.c_str(), err);
        return kExitBroken;
    }
}

} // namespace quellbit::cli
