#include "app/form1_events.h"

#include "app/failure_report.h"

#include <exception>

namespace quellbit {

QuellbitApplication::QuellbitApplication(int &argc, char **argv) : QApplication(argc, argv)
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
