#include "widgets/drive_list.h"

#include <QDir>
#include <QStorageInfo>

#include <algorithm>

namespace quellbit {

DriveList::DriveList(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    refresh();
    // Every choice of the user counts, also of the drive shown already.
    connect(this, &QComboBox::activated, this, [this](int) {
        last_ = currentText();
        emit driveChanged(last_);
    });
}

bool DriveList::isUserDrive(const QString &rootPath, const QByteArray &fileSystemType)
{
    static const QList<QByteArray> pseudo = {
        "proc", "sysfs", "tmpfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs", "debugfs",
        "tracefs", "pstore", "bpf", "mqueue", "hugetlbfs", "configfs", "fusectl", "autofs", "binfmt_misc",
        "efivarfs", "rpc_pipefs", "nsfs", "ramfs", "squashfs", "overlay", "fuse.portal", "fuse.gvfsd-fuse",
    };
    if (rootPath == QLatin1String("/"))
        return true;
    if (pseudo.contains(fileSystemType))
        return false;
    for (const char *system : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot/efi"}) {
        const QString prefix = QString::fromLatin1(system);
        if (rootPath == prefix || rootPath.startsWith(prefix + QLatin1Char('/')))
            return false;
    }
    return true;
}

QStringList DriveList::availableDrives()
{
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = volume.rootPath();
        if (root != QLatin1String("/") && isUserDrive(root, volume.fileSystemType()) && !roots.contains(root))
            roots.append(root);
    }
    std::sort(roots.begin(), roots.end());
    roots.prepend(QStringLiteral("/"));
    return roots;
}

QString DriveList::driveFor(const QString &path) const
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    QString best = QStringLiteral("/");
    for (int i = 0; i < count(); ++i) {
        const QString root = itemText(i);
        const bool holds = clean == root || root == QLatin1String("/") || clean.startsWith(root + QLatin1Char('/'));
        if (holds && root.size() > best.size())
            best = root;
    }
    return best;
}

void DriveList::setDrive(const QString &root)
{
    int index = findText(root);
    if (index < 0) {
        addItem(root);
        index = count() - 1;
    }
    setCurrentIndex(index);
    if (currentText() != last_) {
        last_ = currentText();
        emit driveChanged(last_);
    }
}

void DriveList::refresh()
{
    const QString keep = currentText();
    const QSignalBlocker blocker(this);
    clear();
    addItems(availableDrives());
    const int index = keep.isEmpty() ? 0 : findText(keep);
    setCurrentIndex(index < 0 ? 0 : index);
    last_ = currentText();
}

} // namespace quellbit
