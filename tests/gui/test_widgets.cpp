// The classic controls on their own: twips conversion, drive, directory and
// file lists, picture box.

#include "common/failure.h"
#include "support/bmp_writer.h"
#include "widgets/dir_list.h"
#include "widgets/drive_list.h"
#include "widgets/file_list.h"
#include "widgets/picture_box.h"
#include "widgets/twips.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace quellbit;

class TestWidgets : public QObject {
    Q_OBJECT
private slots:
    void twipsBecomePixels_data();
    void twipsBecomePixels();
    void twipsPlaceAWidget();

    void userDrives_data();
    void userDrives();
    void driveListStartsAtTheRoot();
    void driveForPicksTheLongestHoldingRoot();
    void settingTheDriveSignalsOnlyAChange();

    void dirListShowsPathThenSubfolders();
    void dirListOpensAnEntryOnDoubleClickAndEnter();
    void dirListRefusesAMissingFolder();

    void fileListMatchesThePatternIgnoringCase();
    void fileListSelectionAndDoubleClick();

    void pictureBoxShowsPictureAtNaturalSize();

private:
    static void makeDirs(const QString &root, const QStringList &dirs)
    {
        for (const QString &d : dirs)
            QVERIFY(QDir(root).mkpath(d));
    }
    static void touch(const QString &path)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
};

void TestWidgets::twipsBecomePixels_data()
{
    QTest::addColumn<double>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("fifteen twips are one pixel") << 15.0 << 1;
    QTest::newRow("client width 6990 is 466 pixels") << 6990.0 << 466;
    QTest::newRow("client height 8175 is 545 pixels") << 8175.0 << 545;
    QTest::newRow("picture box width 3675 is 245 pixels") << 3675.0 << 245;
    QTest::newRow("half a pixel rounds up") << 7.5 << 1;
    QTest::newRow("less than half a pixel rounds down") << 7.0 << 0;
}

void TestWidgets::twipsBecomePixels()
{
    QFETCH(double, twips);
    QFETCH(int, pixels);
    QCOMPARE(twipsPerPixelX(), 15.0); // the test screen runs at 96 dpi
    QCOMPARE(twipsToPixelsX(twips), pixels);
    QCOMPARE(twipsToPixelsY(twips), pixels);
}

void TestWidgets::twipsPlaceAWidget()
{
    QWidget parent;
    QWidget child(&parent);
    placeInTwips(&child, 5520, 6480, 855, 375);
    QCOMPARE(child.geometry(), QRect(368, 432, 57, 25));
    QCOMPARE(pixelsToTwipsY(133), 1995.0);
}

void TestWidgets::userDrives_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<bool>("offered");
    QTest::newRow("the root is always a drive") << "/" << QByteArray("overlay") << true;
    QTest::newRow("a disk mounted under /mnt is a drive") << "/mnt/data" << QByteArray("ext4") << true;
    QTest::newRow("a stick under /media is a drive") << "/media/usb" << QByteArray("vfat") << true;
    QTest::newRow("proc is not a drive") << "/proc" << QByteArray("proc") << false;
    QTest::newRow("cgroups under /sys are not drives") << "/sys/fs/cgroup" << QByteArray("cgroup2") << false;
    QTest::newRow("memory file systems are not drives") << "/tmp" << QByteArray("tmpfs") << false;
    QTest::newRow("anything under /run is not a drive") << "/run/media" << QByteArray("ext4") << false;
    QTest::newRow("anything under /dev is not a drive") << "/dev/hugepages" << QByteArray("ext4") << false;
}

void TestWidgets::userDrives()
{
    QFETCH(QString, root);
    QFETCH(QByteArray, type);
    QFETCH(bool, offered);
    QCOMPARE(DriveList::isUserDrive(root, type), offered);
}

void TestWidgets::driveListStartsAtTheRoot()
{
    DriveList list;
    QVERIFY(list.count() >= 1);
    QCOMPARE(list.itemText(0), QStringLiteral("/"));
    QCOMPARE(list.drive(), QStringLiteral("/"));
    for (int i = 1; i < list.count(); ++i)
        QVERIFY2(!list.itemText(i).startsWith(QStringLiteral("/proc")), qPrintable(list.itemText(i)));
}

void TestWidgets::driveForPicksTheLongestHoldingRoot()
{
    DriveList list;
    list.addItem(QStringLiteral("/mnt/data"));
    QCOMPARE(list.driveFor(QStringLiteral("/mnt/data/pictures/x")), QStringLiteral("/mnt/data"));
    QCOMPARE(list.driveFor(QStringLiteral("/mnt/data")), QStringLiteral("/mnt/data"));
    QCOMPARE(list.driveFor(QStringLiteral("/mnt/database")), QStringLiteral("/"));
    QCOMPARE(list.driveFor(QStringLiteral("/")), QStringLiteral("/"));
}

void TestWidgets::settingTheDriveSignalsOnlyAChange()
{
    DriveList list;
    QSignalSpy spy(&list, &DriveList::driveChanged);
    list.setDrive(QStringLiteral("/"));
    QCOMPARE(spy.count(), 0);
    list.setDrive(QStringLiteral("/mnt/elsewhere"));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("/mnt/elsewhere"));
    QCOMPARE(list.drive(), QStringLiteral("/mnt/elsewhere"));
    list.setCurrentIndex(0); // as a user's choice
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toString(), QStringLiteral("/"));
}

void TestWidgets::dirListShowsPathThenSubfolders()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    makeDirs(tmp.path(), {"a/b/zeta", "a/b/Alpha", "a/b/mid"});
    touch(tmp.path() + "/a/b/file.bmp");
    const QString path = QDir::cleanPath(tmp.path() + "/a/b");

    DirList list;
    QSignalSpy spy(&list, &DirList::pathChanged);
    list.setPath(path);
    QCOMPARE(list.path(), path);
    QCOMPARE(spy.count(), 1);

    // From the root down: one entry per folder of the path, each the only
    // child of the one before, each one level further in.
    QCOMPARE(list.topLevelItemCount(), 1);
    QTreeWidgetItem *item = list.topLevelItem(0);
    QCOMPARE(DirList::folderOf(item), QStringLiteral("/"));
    const QStringList parts = path.split('/', Qt::SkipEmptyParts);
    int depth = 0;
    for (const QString &part : parts) {
        QVERIFY(item->childCount() >= 1);
        item = item->child(0);
        ++depth;
        QCOMPARE(item->text(0), part);
        QVERIFY(list.visualItemRect(item).left() > list.visualItemRect(item->parent()).left());
    }
    QCOMPARE(depth, parts.size());
    QCOMPARE(list.currentItem(), item);
    // Then the subfolders, sorted regardless of case, no files.
    QStringList subs;
    for (int i = 0; i < item->childCount(); ++i)
        subs << item->child(i)->text(0);
    QCOMPARE(subs, (QStringList {"Alpha", "mid", "zeta"}));
    QCOMPARE(DirList::folderOf(item->child(1)), path + "/mid");
    QVERIFY(list.visualItemRect(item->child(0)).left() > list.visualItemRect(item).left());
}

void TestWidgets::dirListOpensAnEntryOnDoubleClickAndEnter()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    makeDirs(tmp.path(), {"top/inner"});
    const QString top = QDir::cleanPath(tmp.path() + "/top");

    DirList list;
    list.resize(300, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setPath(top);
    QSignalSpy spy(&list, &DirList::pathChanged);

    QTreeWidgetItem *inner = list.currentItem()->child(0);
    const QPoint at = list.visualItemRect(inner).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(list.path(), top); // a single click only selects
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(list.path(), top + "/inner");
    QCOMPARE(spy.count(), 1);

    // Enter on the parent entry goes back up.
    list.setCurrentItem(list.currentItem()->parent());
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(list.path(), top);
    QCOMPARE(spy.count(), 2);
}

void TestWidgets::dirListRefusesAMissingFolder()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    DirList list;
    list.setPath(tmp.path());
    QSignalSpy spy(&list, &DirList::pathChanged);
    QVERIFY_THROWS_EXCEPTION(Failure, list.setPath(tmp.path() + "/gone"));
    QCOMPARE(list.path(), QDir::cleanPath(tmp.path()));
    QCOMPARE(spy.count(), 0);
}

void TestWidgets::fileListMatchesThePatternIgnoringCase()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    for (const char *name : {"LOGO.BMP", "b.Bmp", "a.bmp", "notes.txt", "bmp", "a.bmp.txt"})
        touch(tmp.path() + "/" + name);
    makeDirs(tmp.path(), {"folder.bmp"});

    FileList list;
    list.setPattern(QStringLiteral("*.bmp"));
    QSignalSpy spy(&list, &FileList::pathChanged);
    list.setPath(tmp.path());
    QCOMPARE(spy.count(), 1);
    QStringList shown;
    for (int i = 0; i < list.count(); ++i)
        shown << list.item(i)->text();
    QCOMPARE(shown, (QStringList {"a.bmp", "b.Bmp", "LOGO.BMP"}));
    QCOMPARE(list.fileName(), QString());

    list.setPattern(QStringLiteral("*.txt"));
    QCOMPARE(list.count(), 2);
}

void TestWidgets::fileListSelectionAndDoubleClick()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    touch(tmp.path() + "/one.bmp");
    touch(tmp.path() + "/two.bmp");
    FileList list;
    list.setPattern(QStringLiteral("*.bmp"));
    list.setPath(tmp.path());
    list.resize(200, 200);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));

    QSignalSpy spy(&list, &FileList::fileDoubleClicked);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(1)).center());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(list.fileName(), QStringLiteral("two.bmp"));

    QVERIFY(list.selectFile(QStringLiteral("one.bmp")));
    QCOMPARE(list.fileName(), QStringLiteral("one.bmp"));
    QVERIFY(!list.selectFile(QStringLiteral("three.bmp")));

    list.refresh(); // reading the folder again drops the selection
    QCOMPARE(list.fileName(), QString());
}

void TestWidgets::pictureBoxShowsPictureAtNaturalSize()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    testbmp::Spec1 spec;
    spec.palette = {{200, 10, 20, 0}, {1, 2, 3, 0}};
    spec.pixel = [](int x, int y) { return (x == 239 && y == 0) || (x == 0 && y == 127) ? 1 : 0; };
    const QString file = tmp.path() + "/p.bmp";
    QVERIFY(testbmp::save(file, testbmp::build(spec)));

    PictureBox box;
    box.resize(245, 133);
    QCOMPARE(box.innerSize(), QSize(241, 129));
    box.loadPicture(file);
    QVERIFY(box.hasPicture());
    const int first = 200 + 256 * 10 + 65536 * 20;
    const int second = 1 + 256 * 2 + 65536 * 3;
    QCOMPARE(box.point(0, 0), first);
    QCOMPARE(box.point(239, 0), second);
    QCOMPARE(box.point(0, 127), second);
    QCOMPARE(box.point(239, 127), first);
    QVERIFY(box.point(240, 0) != first && box.point(240, 0) != second); // background beyond
    box.removePicture();
    QVERIFY(!box.hasPicture());
    QVERIFY(box.point(239, 0) != second);
}

QTEST_MAIN(TestWidgets)
#include "test_widgets.moc"
