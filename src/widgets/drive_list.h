#pragma once

// The drive list: a drop-down of the file-system roots a user would pick
// from. On Linux these are "/" and the mount points of real file systems
// (disks, removable media, network shares); kernel and memory file systems
// (proc, sysfs, tmpfs, cgroup, ...) and anything mounted under /proc, /sys,
// /dev or /run are left out.

#include <QComboBox>
#include <QStringList>

namespace quellbit {

class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget *parent = nullptr);

    // The roots offered, "/" first, then the others sorted.
    static QStringList availableDrives();
    // Whether a mount of `fileSystemType` at `rootPath` is one a user would
    // pick as a drive.
    static bool isUserDrive(const QString &rootPath, const QByteArray &fileSystemType);
    // The listed root that holds `path`: the longest one that is `path`
    // itself or one of its parent folders.
    QString driveFor(const QString &path) const;

    // The current drive (a root path such as "/" or "/media/usb").
    QString drive() const { return currentText(); }
    // Makes `root` the current drive (adding it to the list if it is not
    // there); emits driveChanged() when the current drive changes. A
    // choice of the user emits it always, also for the drive shown.
    void setDrive(const QString &root);

    // Reads the mounted volumes again, keeping the current drive.
    void refresh();

signals:
    void driveChanged(const QString &root);

private:
    QString last_;
};

} // namespace quellbit
