#pragma once

#include <QString>

#include <exception>

class QWidget;

namespace quellbit {

// Shows a failure in a modal message box: which file, and why, in plain
// words. The program goes on afterwards.
void reportFailure(QWidget *parent, const QString &what);
void reportFailure(QWidget *parent, const std::exception &failure);

} // namespace quellbit
