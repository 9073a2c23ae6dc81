#pragma once

// The application object of the window program: a failure that escapes any
// event handler is caught once, at the top of the event loop, and shown in a
// message box naming the file and the reason; the program goes on. It also
// takes over the toolkit's screen scaling (widgets/twips.h), so create it
// before any window.

#include <QApplication>

namespace quellbit {

class QuellbitApplication : public QApplication {
    Q_OBJECT
public:
    QuellbitApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace quellbit
