// quellbit-cli.exe: the core and the standard library on Windows' own DLLs.
// The arguments come in UTF-16 and go on as UTF-8, which the file edge turns
// back into UTF-16 for each name (common/windows/wide_names.h).

#include "cli/command_line.h"
#include "common/output_file.h"
#include "common/windows/wide_names.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

int wmain(int argc, wchar_t **argv)
{
    // Bytes in and out exactly as they are: a data file's CR LF stays CR LF,
    // a picture on standard input or output keeps every byte.
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    // Messages are UTF-8: a console window shows names in any script.
    const UINT consolePage = ::GetConsoleOutputCP();
    ::SetConsoleOutputCP(CP_UTF8);

    std::vector<std::string> words;
    for (int i = 0; i < argc; ++i)
        words.push_back(quellbit::windows::toNarrow(argv[i]));
    std::vector<char *> pointers;
    for (std::string &word : words)
        pointers.push_back(word.data());
    pointers.push_back(nullptr);

    quellbit::guardTemporaryFiles();
    const int status = quellbit::cli::run(argc, pointers.data(), stdout, stderr);
    ::SetConsoleOutputCP(consolePage);
    return status;
}
