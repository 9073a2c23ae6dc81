#include "app/quellbit_application.h"

#include "app/failure_report.h"
#include "widgets/twips.h"

#include <exception>

namespace quellbit {

namespace {

// The toolkit's scaling has to be taken over before the application object
// exists; this runs first in the constructor's initialisation.
int &beforeTheApplication(int &argc)
{
    takeOverScreenScaling();
    return argc;
}

} // namespace

QuellbitApplication::QuellbitApplication(int &argc, char **argv) : QApplication(beforeTheApplication(argc), argv)
{
    // The name of the installed desktop entry, by which a Wayland desktop
    // shows the window with the entry's name and icon.
    setDesktopFileName(QStringLiteral("org.quellbit.quellbit"));
}

bool QuellbitApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &failure) {
        reportFailure(activeWindow(), failure);
    } catch (...) {
        reportFailure(activeWindow(), QStringLiteral("An operation failed for an unknown reason."));
    }
    return false;
}

} // namespace quellbit
