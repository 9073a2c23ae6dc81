#include "widgets/file_list.h"

#include "common/failure.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>

namespace quellbit {

FileList::FileList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileList::setPath(const QString &path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    const QFileInfo info(clean);
    if (!info.isDir() || !QDir(clean).isReadable())
        throw Failure(clean.toStdString(), "the folder cannot be read");
    path_ = clean;
    refresh();
}

void FileList::setPattern(const QString &pattern)
{
    pattern_ = pattern;
    if (!path_.isEmpty())
        refresh();
}

void FileList::refresh()
{
    clear();
    if (path_.isEmpty())
        return;
    // Without QDir::CaseSensitive the name filter ignores letter case.
    const QDir dir(path_);
    addItems(dir.entryList(QStringList(pattern_), QDir::Files,
                           QDir::Name | QDir::IgnoreCase | QDir::LocaleAware));
    setCurrentRow(-1);
    clearSelection();
}

QString FileList::fileName() const
{
    const QList<QListWidgetItem *> chosen = selectedItems();
    return chosen.isEmpty() ? QString() : chosen.first()->text();
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
