#include "widgets/dir_list.h"

#include "common/failure.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QToolTip>

namespace quellbit {

namespace {

constexpr int kFolderRole = Qt::UserRole;

std::string text(const QString &s) { return s.toStdString(); }

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

QString DirList::folderOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, kFolderRole).toString() : QString();
}

void DirList::setPath(const QString &path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    const QFileInfo info(clean);
    if (!info.exists())
        throw Failure(text(clean), "the folder does not exist");
    if (!info.isDir())
        throw Failure(text(clean), "this is not a folder");
    QDir dir(clean);
    if (!info.isReadable() || !dir.isReadable())
        throw Failure(text(clean), "the folder cannot be read");
    const QStringList subfolders =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    fill(clean, subfolders);
    if (clean != path_) {
        path_ = clean;
        emit pathChanged(path_);
    }
}

void DirList::fill(const QString &path, const QStringList &subfolders)
{
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

    // "/", then each folder of the path one level further in.
    QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QTreeWidgetItem *parent = new QTreeWidgetItem(this, QStringList(QStringLiteral("/")));
    parent->setIcon(0, open);
    parent->setData(0, kFolderRole, QStringLiteral("/"));
    QString walked;
    for (const QString &part : parts) {
        walked += QLatin1Char('/') + part;
        auto *item = new QTreeWidgetItem(parent, QStringList(part));
        item->setIcon(0, open);
        item->setData(0, kFolderRole, walked);
        parent = item;
    }
    QTreeWidgetItem *current = parent;
    for (const QString &sub : subfolders) {
        auto *item = new QTreeWidgetItem(current, QStringList(sub));
        item->setIcon(0, closed);
        item->setData(0, kFolderRole, walked + QLatin1Char('/') + sub);
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
        setPath(folderOf(item));
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
