#include "app/form1_events.h"

#include "app/failure_report.h"

#include <exception>

namespace quellbit {

QuellbitApplication::QuellbitApplication(int &argc, char **argv) : QApplication(argc, argv) { }

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
