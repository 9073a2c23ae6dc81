#pragma once

// A read-out for a file's path. Its text is always the whole path; where the
// path is wider than the label it is shown so that the file name stays in
// view: broken after a separator onto a second line when the label has room
// for two, otherwise with the middle of the folder part left out ("…"). The
// whole path is the label's tooltip. A path that fits is shown as any label
// shows its text.

#include <QLabel>
#include <QStringList>

class QFontMetrics;

namespace quellbit {

class PathLabel : public QLabel {
    Q_OBJECT
public:
    explicit PathLabel(QWidget *parent = nullptr);

    // The lines shown for `path` in `lines` lines (1 or 2) of `width` pixels:
    // each fits the width, and the last one ends with the file name (itself
    // shortened in the middle only when it is wider than a line).
    static QStringList fitPath(const QString &path, const QFontMetrics &metrics, int width, int lines);

    // The lines this label shows for its text now.
    QStringList shownLines() const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int lineCount() const;
};

} // namespace quellbit
