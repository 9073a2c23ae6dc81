// The window program: the main window is created hidden, its load handler
// puts it into its start-up state and shows it.

#include "app/failure_report.h"
#include "app/form1.h"
#include "app/form1_events.h"
#include "common/output_file.h"

#include <exception>

int main(int argc, char **argv)
{
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
