// The window program: the main window is created hidden, its load handler
// puts it into its start-up state and shows it. --help and --version are
// answered first, without a display.

#include "app/failure_report.h"
#include "app/form1.h"
#include "app/quellbit_application.h"
#include "common/failure.h"
#include "common/output_file.h"
#include "common/version.h"

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kHelp = R"(Usage: quellbit [--help | --version]
Opens the window that converts a 240 x 128 BMP picture with 1 bit per pixel
into an LCD data file, and previews a data file as the LCD shows it.

Everything else is chosen in the window. For build pipelines and scripts, the
same conversion is quellbit-cli (see "quellbit-cli --help").

Options:
  -h, --help     Show this help and exit.
      --version  Show the version and exit.
)";

// Prints `text` on standard output; 0, or 3 when it cannot be written.
int answer(std::string_view text)
{
    try {
        quellbit::StandardOutput output;
        output.write(text);
        output.commit();
        return 0;
    } catch (const quellbit::Failure &failure) {
        std::fprintf(stderr, "quellbit: %s\n", failure.what());
        return 3;
    }
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--help" || word == "-h")
            return answer(kHelp);
        if (word == "--version")
            return answer("quellbit " + std::string(quellbit::programVersion()) + "\n");
    }
    quellbit::guardTemporaryFiles();
    quellbit::QuellbitApplication app(argc, argv);
    quellbit::Form1 window;
    try {
        window.Form_Load();
    } catch (const std::exception &failure) {
        // Start-up could not finish (the program's folder cannot be read):
        // say why and show the window as far as it got.
        quellbit::reportFailure(nullptr, failure);
        window.show();
    }
    return app.exec();
}
