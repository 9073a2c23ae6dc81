// The toolkit layer on its own: which mounted file systems a user is offered
// as drives, and how a path too wide for its read-out is shown.

#include "gui/gui_test_main.h"
#include "widgets/drive_list.h"
#include "widgets/path_label.h"

#include <QApplication>
#include <QFontMetrics>
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
        QTest::newRow("a memory file system is not a drive") << "/tmp" << QByteArray("tmpfs") << false;
        QTest::newRow("a disk under /run is not a drive") << "/run/media" << QByteArray("ext4") << false;
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

    void pathFitsItsReadOut_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("room"); // the width of this text is the read-out's width
        QTest::addColumn<int>("lines");
        // A line with "…" must start with the text before it and end with the
        // text after it.
        QTest::addColumn<QStringList>("shown");
        const QString p = "/home/anna/projects/front panel/lcd_logo.txt";
        const QString deep = "/home/anna/projects/the front panel of the new controller board/lcd_logo.txt";
        QTest::newRow("a path that fits is shown whole") << p << p << 2 << QStringList {p};
        QTest::newRow("too wide: broken after the separator that fills the first line")
            << p << "/home/anna/projects/front panel/" << 2
            << QStringList {"/home/anna/projects/front panel/", "lcd_logo.txt"};
        QTest::newRow("too wide for two lines: the folder shortened in its middle")
            << deep << "/home/anna/projects/the front" << 2 << QStringList {"/home…board/", "lcd_logo.txt"};
        QTest::newRow("one line: the folder shortened, the file name whole")
            << p << "/home/anna/lcd_logo.txt" << 1 << QStringList {"/…/lcd_logo.txt"};
        QTest::newRow("a file name wider than a line is shortened in its middle")
            << "/home/anna/lcd_the_start_screen_of_the_front_panel.txt" << "lcd_the_start_screen" << 2
            << QStringList {"/home/anna/", "lcd_…panel.txt"};
    }
    void pathFitsItsReadOut()
    {
        QFETCH(QString, path);
        QFETCH(QString, room);
        QFETCH(int, lines);
        QFETCH(QStringList, shown);
        const QFontMetrics metrics(QApplication::font());
        const int width = metrics.horizontalAdvance(room);
        const QStringList got = PathLabel::fitPath(path, metrics, width, lines);
        QCOMPARE(got.size(), shown.size());
        for (qsizetype i = 0; i < got.size(); ++i) {
            QVERIFY2(metrics.horizontalAdvance(got[i]) <= width, qPrintable(got[i]));
            const qsizetype cut = shown[i].indexOf(QChar(0x2026));
            if (cut < 0)
                QCOMPARE(got[i], shown[i]);
            else
                QVERIFY2(got[i].contains(QChar(0x2026)) && got[i].startsWith(shown[i].left(cut))
                             && got[i].endsWith(shown[i].mid(cut + 1)),
                         qPrintable(got[i]));
        }
    }
};

QUELLBIT_GUI_TEST_MAIN(QApplication, TestWidgets)
#include "test_widgets.moc"
