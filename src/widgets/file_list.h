#pragma once

// The file list: the names of the files in one folder that match a pattern,
// sorted, with one selectable entry. The pattern matches regardless of
// letter case, so "*.bmp" lists LOGO.BMP.
//
// A file is chosen by a double-click on its name or by Return or keypad
// Enter on the current entry; either way the entry is selected first, then
// fileChosen() is emitted. A click or double-click on the empty part of the
// list changes nothing: the selection stays and nothing is chosen.

#include <QListWidget>
#include <QString>

namespace quellbit {

class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);

    // The folder listed, as it was set (absolute, no trailing separator
    // except for the root "/").
    QString path() const { return path_; }
    // Lists the matching files of `path`; no entry is selected afterwards.
    // Throws Failure naming the folder when it cannot be read.
    void setPath(const QString &path);

    void setPattern(const QString &pattern);

    // The selected entry's name; empty when none is selected.
    QString fileName() const;
    // Selects the entry `name` (exact match); false when it is not listed.
    bool selectFile(const QString &name);

    // Reads the folder again.
    void refresh();

signals:
    // An entry was chosen; it is the selected entry now.
    void fileChosen();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};

} // namespace quellbit
