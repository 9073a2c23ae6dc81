#include "app/failure_report.h"

#include "common/failure.h"
#include "common/shown_name.h"

#include <QMessageBox>

namespace quellbit {

void reportFailure(QWidget *parent, const QString &what)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quellbit"), what, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("FailureBox"));
    box.exec();
}

void reportFailure(QWidget *parent, const std::exception &failure)
{
    QString text;
    if (const auto *f = dynamic_cast<const Failure *>(&failure); f && !f->file().empty())
        text = QStringLiteral("%1\n\n%2").arg(QString::fromStdString(shownName(f->file())),
                                               QString::fromStdString(f->reason()));
    else
        text = QString::fromStdString(failure.what());
    reportFailure(parent, text);
}

} // namespace quellbit
