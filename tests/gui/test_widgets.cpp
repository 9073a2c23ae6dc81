// The drive list on its own: which mounted file systems a user is offered.

#include "widgets/drive_list.h"

#include <QTest>

using namespace quellbit;

class TestWidgets : public QObject {
    Q_OBJECT
private slots:
    void userDrives_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<bool>("offered");
        QTest::newRow("the root is always a drive") << "/" << QByteArray("overlay") << true;
        QTest::newRow("a disk mounted under /mnt is a drive") << "/mnt/data" << QByteArray("ext4") << true;
        QTest::newRow("proc is not a drive") << "/proc" << QByteArray("proc") << false;
        QTest::newRow("/sys is not a drive") << "/sys/fs/cgroup" << QByteArray("cgroup2") << false;
        QTest::newRow("memory file systems are not drives") << "/tmp" << QByteArray("tmpfs") << false;
        QTest::newRow("anything under /run is not a drive") << "/run/media" << QByteArray("ext4") << false;
    }
    void userDrives()
    {
        QFETCH(QString, root);
        QFETCH(QByteArray, type);
        QFETCH(bool, offered);
        QCOMPARE(DriveList::isUserDrive(root, type), offered);
    }
    void driveForPicksTheLongestHoldingRoot()
    {
        DriveList list;
        list.addItem(QStringLiteral("/mnt/data"));
        QCOMPARE(list.driveFor(QStringLiteral("/mnt/data/pictures/x")), QStringLiteral("/mnt/data"));
        QCOMPARE(list.driveFor(QStringLiteral("/mnt/database")), QStringLiteral("/"));
    }
};

QTEST_MAIN(TestWidgets)
#include "test_widgets.moc"
