#include "widgets/path_label.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace quellbit {

PathLabel::PathLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

QStringList PathLabel::fitPath(const QString &path, const QFontMetrics &metrics, int width, int lines)
{
    const auto fits = [&](const QString &s) { return metrics.horizontalAdvance(s) <= width; };
    const auto shortened
        = [&](const QString &s, int room) { return metrics.elidedText(s, Qt::ElideMiddle, room); };
    if (path.isEmpty() || fits(path))
        return {path};

    const qsizetype cut = path.lastIndexOf(QLatin1Char('/')) + 1;
    const QString folder = path.left(cut);
    const QString name = path.mid(cut);
    if (folder.isEmpty() || !fits(name))
        return lines < 2 || folder.isEmpty() ? QStringList {shortened(name, width)}
                                             : QStringList {shortened(folder, width), shortened(name, width)};
    if (lines < 2)
        return {shortened(folder, width - metrics.horizontalAdvance(name)) + name};

    // The places just after a separator, from the right.
    QList<qsizetype> breaks;
    for (qsizetype at = 1; at <= cut; ++at)
        if (path[at - 1] == QLatin1Char('/'))
            breaks.prepend(at);
    // The first line as full as it can be, if the rest then fits the second.
    const auto firstFitting
        = std::find_if(breaks.cbegin(), breaks.cend(), [&](qsizetype at) { return fits(path.left(at)); });
    if (firstFitting != breaks.cend() && fits(path.mid(*firstFitting)))
        return {path.left(*firstFitting), path.mid(*firstFitting)};
    // Otherwise the longest tail that fits the second line, the rest shortened.
    qsizetype tail = cut;
    for (const qsizetype at : breaks)
        if (fits(path.mid(at)))
            tail = at;
    return {shortened(path.left(tail), width), path.mid(tail)};
}

int PathLabel::lineCount() const
{
    return std::clamp(contentsRect().height() / std::max(1, fontMetrics().height()), 1, 2);
}

QStringList PathLabel::shownLines() const
{
    return fitPath(text(), fontMetrics(), contentsRect().width(), lineCount());
}

bool PathLabel::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const auto *help = static_cast<QHelpEvent *>(event);
        if (text().isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text(), this, rect());
        return true;
    }
    return QLabel::event(event);
}

void PathLabel::paintEvent(QPaintEvent *event)
{
    const QStringList lines = shownLines();
    if (lines.size() == 1 && lines.first() == text()) {
        QLabel::paintEvent(event);
        return;
    }
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = contentsRect();
    const int step = std::min(fontMetrics().lineSpacing(), area.height() / int(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRect line(
            area.left(), area.top() + int(i) * step, area.width(), area.height() - int(i) * step);
        style()->drawItemText(
            &painter, line, Qt::AlignLeft | Qt::AlignTop, palette(), isEnabled(), lines[i], foregroundRole());
    }
}

} // namespace quellbit
