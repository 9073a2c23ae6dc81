#pragma once

// The file list: the names of the files in one folder that match a pattern,
// sorted, with one selectable entry. The pattern matches regardless of
// letter case, so "*.bmp" lists LOGO.BMP.
//
// A file is chosen by a double-click on its name or by Return or keypad
// Enter on the current entry; either way the entry is selected first, then
// fileChosen() is emitted. A click or double-click on the empty part of the
// list changes nothing: the selection stays and nothing is chosen.
//
// Every name the folder holds is listed, also one that is not UTF-8: shown
// as text (see shownName), kept as its bytes for opening.

#include <QListWidget>
#include <QString>

#include <string>

namespace quellbit {

class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);

    // The folder listed, as shown (absolute, no trailing separator except
    // for the root "/"), and as bytes.
    QString path() const;
    const std::string &pathBytes() const { return path_; }
    // Lists the matching files of `path`; no entry is selected afterwards.
    // Throws Failure naming the folder when it cannot be listed.
    void setPath(const QString &path);
    void setPathBytes(const std::string &path);

    void setPattern(const QString &pattern);

    // The selected entry's name as shown and as bytes; empty when none is
    // selected.
    QString fileName() const;
    std::string fileNameBytes() const;
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
    std::string path_;
    QString pattern_ = QStringLiteral("*.*");
};

} // namespace quellbit
