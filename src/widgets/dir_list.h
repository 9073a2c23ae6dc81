#pragma once

// The directory list: the folders of the current path from the root down,
// each one level further in with an open-folder icon, then the subfolders of
// the current folder one level further in with closed-folder icons.
// Double-click or Enter on an entry makes that folder the current path. A
// folder whose name is cut short in the list shows its whole path as a
// tooltip. Each entry keeps its folder's path as the bytes the file system
// holds; names are shown as text (see shownName).

#include <QString>
#include <QTreeWidget>

#include <string>
#include <vector>

namespace quellbit {

class DirList : public QTreeWidget {
    Q_OBJECT
public:
    explicit DirList(QWidget *parent = nullptr);

    // The current path as shown: absolute, without a trailing separator
    // except for the root "/".
    QString path() const;
    // The current path's bytes.
    const std::string &pathBytes() const { return path_; }
    // Makes `path` the current path and lists it. Emits pathChanged() when
    // the path differs from the current one. Throws Failure naming the
    // folder when it does not exist or cannot be listed; the list then
    // stays as it was.
    void setPath(const QString &path);
    void setPathBytes(const std::string &path);

    // The folder an entry stands for, as shown and as bytes.
    static QString folderOf(const QTreeWidgetItem *item);
    static std::string folderBytesOf(const QTreeWidgetItem *item);
    // Whether the entry's name is cut short where the list shows it.
    bool isNameCut(const QTreeWidgetItem *item) const;

signals:
    void pathChanged(const QString &path);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const override;

private:
    void openItem(QTreeWidgetItem *item);
    void fill(const std::string &path, const std::vector<std::string> &subfolders);

    std::string path_;
};

} // namespace quellbit
