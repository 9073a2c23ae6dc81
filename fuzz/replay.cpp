// A fuzz target's entry point outside libFuzzer: every input named, and
// every file in each folder named, goes through it in turn, so that the
// target's own checks run on every input it once found. A target aborts
// when a check fails; the input's name is then said on standard error.

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

const char *current = "";

extern "C" void sayInput(int signal)
{
    const char *what[] = {"replay: ended by a signal on ", current, "\n"};
    for (const char *text : what)
        (void)!::write(2, text, std::strlen(text));
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!fs::is_directory(argv[i])) {
            inputs.emplace_back(argv[i]);
            continue;
        }
        std::vector<std::string> files;
        for (const fs::directory_entry &entry : fs::directory_iterator(argv[i]))
            files.push_back(entry.path().string());
        std::sort(files.begin(), files.end());
        inputs.insert(inputs.end(), files.begin(), files.end());
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "replay: no inputs, nothing replayed\n");
        return 1;
    }
    for (const int signal : {SIGABRT, SIGSEGV, SIGFPE, SIGILL, SIGBUS})
        std::signal(signal, sayInput);
    for (const std::string &input : inputs) {
        current = input.c_str();
        std::ifstream in(input, std::ios::binary);
        const std::vector<char> bytes(std::istreambuf_iterator<char>(in), {});
        if (!in.good() && !in.eof()) {
            std::fprintf(stderr, "replay: %s cannot be read\n", current);
            return 1;
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
