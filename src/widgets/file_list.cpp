#include "widgets/file_list.h"

#include "common/failure.h"
#include "common/folder_listing.h"
#include "common/shown_name.h"

#include <QCollator>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>

#include <algorithm>

namespace quellbit {

namespace {

constexpr int kBytesRole = Qt::UserRole;

QString shown(const std::string &name) { return QString::fromStdString(shownName(name)); }

} // namespace

FileList::FileList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

QString FileList::path() const
{
    return shown(path_);
}

void FileList::setPath(const QString &path)
{
    setPathBytes(QFile::encodeName(path).toStdString());
}

void FileList::setPathBytes(const std::string &path)
{
    const std::string clean = cleanFolderPath(path);
    (void)listFolder(clean); // throws when it cannot be listed
    path_ = clean;
    refresh();
}

void FileList::setPattern(const QString &pattern)
{
    pattern_ = pattern;
    if (!path_.empty())
        refresh();
}

void FileList::refresh()
{
    clear();
    if (path_.empty())
        return;
    const QRegularExpression whole = QRegularExpression::fromWildcard(pattern_, Qt::CaseInsensitive);
    std::vector<std::pair<QString, std::string>> names;
    for (FolderEntry &entry : listFolder(path_)) {
        QString name = shown(entry.name);
        if (!entry.folder && whole.match(name).hasMatch())
            names.emplace_back(std::move(name), std::move(entry.name));
    }
    QCollator order;
    order.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), [&order](const auto &a, const auto &b) { return order.compare(a.first, b.first) < 0; });
    for (const auto &[name, bytes] : names) {
        auto *item = new QListWidgetItem(name, this);
        item->setData(kBytesRole, QByteArray::fromStdString(bytes));
    }
    setCurrentRow(-1);
    clearSelection();
}

QString FileList::fileName() const
{
    const QList<QListWidgetItem *> chosen = selectedItems();
    return chosen.isEmpty() ? QString() : chosen.first()->text();
}

std::string FileList::fileNameBytes() const
{
    const QList<QListWidgetItem *> chosen = selectedItems();
    return chosen.isEmpty() ? std::string() : chosen.first()->data(kBytesRole).toByteArray().toStdString();
}

bool FileList::selectFile(const QString &name)
{
    const QList<QListWidgetItem *> found = findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    setCurrentItem(found.first());
    found.first()->setSelected(true);
    return true;
}

void FileList::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QListWidget::keyPressEvent(event);
        return;
    }
    // Taken here, so that the key never reaches a default button. A held
    // key chooses once.
    event->accept();
    QListWidgetItem *entry = currentItem();
    if (!entry || event->isAutoRepeat())
        return;
    entry->setSelected(true);
    emit fileChosen();
}

void FileList::mousePressEvent(QMouseEvent *event)
{
    if (!itemAt(event->position().toPoint())) {
        event->accept();
        return;
    }
    QListWidget::mousePressEvent(event);
}

void FileList::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListWidgetItem *entry = itemAt(event->position().toPoint());
    QListWidget::mouseDoubleClickEvent(event);
    if (!entry || event->button() != Qt::LeftButton)
        return;
    setCurrentItem(entry);
    entry->setSelected(true);
    emit fileChosen();
}

} // namespace quellbit
