#include "widgets/dir_list.h"

#include "common/failure.h"
#include "common/folder_listing.h"
#include "common/shown_name.h"

#include <QCollator>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace quellbit {

namespace {

constexpr int kFolderRole = Qt::UserRole;
constexpr int kBytesRole = Qt::UserRole + 1;

QString shown(const std::string &name) { return QString::fromStdString(shownName(name)); }

} // namespace

DirList::DirList(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    header()->hide();
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIndentation(14);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item, int) { openItem(item); });
}

QString DirList::path() const
{
    return shown(path_);
}

QString DirList::folderOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, kFolderRole).toString() : QString();
}

std::string DirList::folderBytesOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, kBytesRole).toByteArray().toStdString() : std::string();
}

void DirList::setPath(const QString &path)
{
    setPathBytes(QFile::encodeName(path).toStdString());
}

void DirList::setPathBytes(const std::string &path)
{
    const std::string clean = cleanFolderPath(path);
    std::vector<std::string> subfolders;
    for (FolderEntry &entry : listFolder(clean))
        if (entry.folder)
            subfolders.push_back(std::move(entry.name));
    QCollator order;
    order.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(subfolders.begin(), subfolders.end(),
              [&order](const std::string &a, const std::string &b) { return order.compare(shown(a), shown(b)) < 0; });
    fill(clean, subfolders);
    if (clean != path_) {
        path_ = clean;
        emit pathChanged(this->path());
    }
}

void DirList::fill(const std::string &path, const std::vector<std::string> &subfolders)
{
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto add = [](QTreeWidgetItem *item, const std::string &folder, const QIcon &icon) {
        item->setIcon(0, icon);
        item->setData(0, kFolderRole, shown(folder));
        item->setData(0, kBytesRole, QByteArray::fromStdString(folder));
    };

    // "/", then each folder of the path one level further in.
    QTreeWidgetItem *parent = new QTreeWidgetItem(this, QStringList(QStringLiteral("/")));
    add(parent, "/", open);
    std::string walked;
    for (std::size_t at = 1; at < path.size();) {
        const std::size_t slash = std::min(path.find('/', at), path.size());
        const std::string part = path.substr(at, slash - at);
        walked += "/" + part;
        auto *item = new QTreeWidgetItem(parent, QStringList(shown(part)));
        add(item, walked, open);
        parent = item;
        at = slash + 1;
    }
    QTreeWidgetItem *current = parent;
    for (const std::string &sub : subfolders) {
        auto *item = new QTreeWidgetItem(current, QStringList(shown(sub)));
        add(item, walked + "/" + sub, closed);
    }
    expandAll();
    setCurrentItem(current);
    scrollToItem(current);
}

void DirList::drawBranches(QPainter *, const QRect &, const QModelIndex &) const
{
    // No expand/collapse marks: the list always shows the whole path.
}

void DirList::openItem(QTreeWidgetItem *item)
{
    if (item)
        setPathBytes(folderBytesOf(item));
}

bool DirList::isNameCut(const QTreeWidgetItem *item) const
{
    if (!item)
        return false;
    const QModelIndex index = indexFromItem(item);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QRect shown = visualRect(index);
    return itemDelegateForIndex(index)->sizeHint(option, index).width() > shown.width();
}

bool DirList::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QTreeWidgetItem *item = itemAt(help->pos());
        if (isNameCut(item))
            QToolTip::showText(help->globalPos(), folderOf(item), viewport(), visualItemRect(item));
        else
            QToolTip::hideText();
        return true;
    }
    return QTreeWidget::viewportEvent(event);
}

void DirList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openItem(currentItem());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

} // namespace quellbit
