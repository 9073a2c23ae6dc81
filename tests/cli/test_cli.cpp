// Runs the built quellbit-cli as a user would and checks exit statuses,
// the files it writes (and does not write) and what it says.

#include "support/hostile_files.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

const QByteArray kLimits
    = "Picture Resolution is limit to 240 x 128 pixels (Width x Height) and 2 Colors Bitmap.";

// Every entry of a folder, the hidden temporary files of a writer included.
const QDir::Filters kEverything = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;

struct Run {
    int status = -1;
    QByteArray out, err;
};

// Runs quellbit-cli in `folder`; through `wrapper` (a command and its
// options) when one is given.
Run cli(const QString &folder, const QStringList &arguments, QStringList wrapper = {})
{
    wrapper << QStringLiteral(QUELLBIT_CLI) << arguments;
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(wrapper.takeFirst(), wrapper);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardOutput(), process.readAllStandardError()};
}

// Black (palette entry 0, the Normal on colour) at five dots on white:
// (0, 0), (9, 0), (15, 0), (239, 0) and (0, 1).
int marks(int x, int y)
{
    const bool black = (y == 0 && (x == 0 || x == 9 || x == 15 || x == 239)) || (y == 1 && x == 0);
    return black ? 0 : 1;
}

QByteArray bmp(const testbmp::Layout &layout)
{
    return QByteArray::fromStdString(testbmp::build(layout));
}

bool save(const QString &path, const QByteArray &bytes)
{
    return testbmp::save(path.toStdString(), bytes.toStdString());
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The data file of the marks, worked out by hand: (0,0) is bit 0 of byte 0,
// (9,0) and (15,0) bits 1 and 7 of byte 1; (239,0) is bit 7 of byte 29 and
// (0,1) bit 0 of byte 30, items 6 and 7 of line 4. Every other byte is 00H.
QByteArray marksText()
{
    QByteArray text = QByteArray("        DB 00H,00H,00H,00H,00H,00H,00H,00H;\r\n").repeated(480);
    text.replace(0, 45, "        DB 01H,82H,00H,00H,00H,00H,00H,00H;\r\n");
    return text.replace(3 * 45, 45, "        DB 00H,00H,00H,00H,00H,80H,01H,00H;\r\n");
}

// Good and bad pictures side by side in `folder`.
void makePictures(const QString &folder)
{
    testbmp::Layout layout;
    layout.pixel = marks;
    const QByteArray good = bmp(layout);
    save(folder + "/good.bmp", good);
    save(folder + "/good2.bmp", good);
    save(folder + "/short.bmp", good.left(62 + 32 * 100));
    layout.infoSize = 124;
    save(folder + "/v5.bmp", bmp(layout));
    layout.width = 320;
    save(folder + "/wide.bmp", bmp(layout));
    save(folder + "/marks.txt", marksText());
    save(folder + "/edited.txt", marksText().replace(3 * 45 + 31, 2, "C1")); // 80H -> C1H
    save(folder + "/short.txt", "        DB FFH,00H,00H,00H,00H,00H,00H,00H;\r\nDB 01H\r\n");
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    // Every command's exit status, a part of what it says (on either stream)
    // and the data files it leaves; no command here writes a PNG.
    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("says");
        QTest::addColumn<QStringList>("written");
        const auto row = [](const char *name, const QStringList &arguments, int status, const char *says,
                             const QStringList &written = {}) {
            QTest::newRow(name) << arguments << status << QByteArray(says) << written;
        };
        const QStringList both {"lcd_good.txt", "lcd_good2.txt"};
        row("accepted picture converts beside itself", {"convert", "good.bmp"}, 0, "./lcd_good.txt",
            {"lcd_good.txt"});
        row("rejected among accepted still 1", {"convert", "good.bmp", "wide.bmp", "good2.bmp"}, 1,
            "wide.bmp: rejected (320 x 128, 1 bit): width is 320, not 240", both);
        row("batch goes on after a missing file; 3 wins over 1",
            {"convert", "good.bmp", "gone.bmp", "wide.bmp", "good2.bmp"}, 3, "gone.bmp: cannot be opened",
            both);
        row("help is no error", {"convert", "--help"}, 0, "Prints each file written.");
        row("version is no error", {"--version"}, 0, "quellbit-cli ");
        row("no command is a usage error", {}, 2, "no command given");
        row("unknown command is a usage error", {"paint", "good.bmp"}, 2, "unknown command \"paint\"");
        row("convert without a picture", {"convert"}, 2, "no picture given");
        row("-o with two pictures", {"convert", "-o", "x.txt", "good.bmp", "good2.bmp"}, 2, "exactly one");
        row("unknown option", {"convert", "--sideways", "good.bmp"}, 2, "sideways");
        row("check on rejected picture", {"check", "wide.bmp"}, 1, "width is 320, not 240");
        row("check: the file converting would write", {"check", "good.bmp", "marks.txt"}, 0,
            "marks.txt: matches good.bmp");
        row("check: two dots more", {"check", "good.bmp", "edited.txt"}, 4,
            "2 dots differ, first difference on line 4");
        row("check: Inverse against the Normal file", {"check", "--inverse", "good.bmp", "marks.txt"}, 4,
            "30720 dots differ, first difference on line 1");
        row("check with no data file", {"check", "good.bmp"}, 3, "lcd_good.txt: cannot be opened");
        row("render of missing data file", {"render", "lcd_gone.txt"}, 3, "lcd_gone.txt: cannot be opened");
        row("render stops at a short line", {"render", "-o", "out.png", "short.txt"}, 3, "line 2");
        row("info: the report on an accepted picture", {"info", "v5.bmp"}, 0, "colour table:   bytes 138 to 145");
        row("info: rejection gives the reason", {"info", "wide.bmp"}, 1, "rejected: width is 320, not 240");
        row("info: cut-short pixels are named", {"info", "short.bmp"}, 3, "ends after row 100 of 128");
    }

    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, says);
        QFETCH(QStringList, written);
        QTemporaryDir dir;
        makePictures(dir.path());
        const Run run = cli(dir.path(), arguments);
        QCOMPARE(run.status, status);
        QVERIFY2(run.out.contains(says) || run.err.contains(says), (run.out + run.err).constData());
        QCOMPARE(QDir(dir.path()).entryList({"lcd_*"}), written);
        QCOMPARE(QDir(dir.path()).entryList({"*.png"}), QStringList());
    }

    void outputBytesAreHandChecked()
    {
        QTemporaryDir dir;
        makePictures(dir.path());
        const QByteArray text = marksText();
        QCOMPARE(cli(dir.path(), {"convert", "good.bmp"}).out, QByteArray("./lcd_good.txt\n"));
        QCOMPARE(readAll(dir.filePath("lcd_good.txt")), text);
        // A 124-byte info header: the palette is found after it, not at byte 54.
        QCOMPARE(cli(dir.path(), {"convert", "v5.bmp"}).out, QByteArray("./lcd_v5.txt\n"));
        QCOMPARE(readAll(dir.filePath("lcd_v5.txt")), text);
        QCOMPARE(cli(dir.path(), {"convert", "-o", "pic.inc", "good.bmp"}).out, QByteArray("pic.inc\n"));
        QCOMPARE(readAll(dir.filePath("pic.inc")), text);
        QCOMPARE(cli(dir.path(), {"convert", "-o", "-", "good.bmp"}).out, text);
        QCOMPARE(QDir(dir.path()).entryList({"lcd_*", "*.inc"}),
            QStringList({"lcd_good.txt", "lcd_v5.txt", "pic.inc"})); // -o - wrote no file

        const QByteArray inverse = cli(dir.path(), {"convert", "--inverse", "-o", "-", "good.bmp"}).out;
        QCOMPARE(inverse.left(45), QByteArray("        DB FEH,7DH,FFH,FFH,FFH,FFH,FFH,FFH;\r\n"));
        QCOMPARE(inverse.size(), text.size());
        for (qsizetype start = 0; start < text.size(); start += 45) // each item is the complement
            for (qsizetype at = start + 11; at < start + 43; at += 4)
                QCOMPARE(text.mid(at, 2).toInt(nullptr, 16) ^ inverse.mid(at, 2).toInt(nullptr, 16), 0xFF);
    }

    void failuresKeepEarlierFiles()
    {
        QTemporaryDir dir;
        makePictures(dir.path());
        save(dir.filePath("lcd_wide.txt"), "earlier");
        QCOMPARE(cli(dir.path(), {"convert", "wide.bmp"}).status, 1);
        QCOMPARE(readAll(dir.filePath("lcd_wide.txt")), QByteArray("earlier"));

        QDir(dir.path()).mkdir("lcd_good.txt");
        const Run inTheWay = cli(dir.path(), {"convert", "good.bmp"});
        QCOMPARE(inTheWay.status, 3);
        QVERIFY(inTheWay.err.contains("lcd_good.txt"));
        QCOMPARE(cli(dir.path(), {"convert", "-o", "good.bmp/out.txt", "good2.bmp"}).status, 3);
        QCOMPARE(QDir(dir.path()).entryList({"lcd_*", ".*", "out*"}, kEverything),
            QStringList({"lcd_good.txt", "lcd_wide.txt"})); // the folder in the way and the earlier file
    }

    // Damaged and mistaken files, one of each outcome of the intake (the
    // whole table runs in the core tests): a clear message naming the file,
    // and nothing written beside it, not even a hidden temporary file.
    void hostileInput_data()
    {
        QTest::addColumn<int>("row"); // of the hostile table; -1: the kind below
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QByteArray>("reason");
        QTest::addColumn<QString>("kind"); // "table", "unreadable" or "read-only folder"
        QList<testbmp::Outcome> shown;
        const std::vector<testbmp::HostileCase> cases = testbmp::hostileCases();
        for (std::size_t i = 0; i < cases.size(); ++i)
            if (!shown.contains(cases[i].outcome)) {
                shown << cases[i].outcome;
                QTest::newRow(cases[i].name.c_str())
                    << int(i) << int(cases[i].outcome) << QByteArray::fromStdString(cases[i].reason) << "table";
            }
        QTest::newRow("an unreadable file") << -1 << int(testbmp::Outcome::Broken)
                                            << QByteArray("cannot be opened") << "unreadable";
        QTest::newRow("a good picture in a read-only folder") << -1 << int(testbmp::Outcome::Broken)
                                                              << QByteArray("cannot be created") << "read-only folder";
    }

    void hostileInput()
    {
        QFETCH(int, row);
        QFETCH(int, outcome);
        QFETCH(QByteArray, reason);
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString picture = dir.filePath("x.bmp");
        QVERIFY(row >= 0 ? testbmp::place(testbmp::hostileCases().at(std::size_t(row)), picture.toStdString())
                         : save(picture, bmp({})));
        QStringList wrapper; // root reads whatever the permission bits say: run as nobody
        const bool bound = kind == "unreadable" || kind == "read-only folder";
        if (bound && ::geteuid() == 0) {
            if (QStandardPaths::findExecutable("setpriv").isEmpty())
                QSKIP("setpriv is missing: no way to run as a user bound by permission bits");
            wrapper = QStringList {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        }
        if (kind == "unreadable") // in a folder anyone could write to, were the file read
            QVERIFY(QFile::setPermissions(picture, {})
                && QFile::setPermissions(dir.path(), QFileDevice::Permissions::fromInt(0x7777)));
        if (kind == "read-only folder")
            QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions::fromInt(0x5555)));
        const Run run = cli(dir.path(), {"convert", "x.bmp"}, wrapper);
        const QStringList listing = QDir(dir.path()).entryList(kEverything, QDir::Name);
        QCOMPARE(run.status, QList<int>({0, 1, 3, 3}).at(outcome)); // Converted, Rejected, Broken, NotRegular
        if (outcome == int(testbmp::Outcome::Converted)) {
            QCOMPARE(listing, QStringList({"lcd_x.txt", "x.bmp"}));
            QCOMPARE(QFileInfo(dir.filePath("lcd_x.txt")).size(), 21600);
            return;
        }
        const char *named = kind == "read-only folder" ? "./lcd_x.txt: " : "x.bmp: "; // the file that failed
        QVERIFY2(run.err.startsWith(named), run.err.constData());
        QVERIFY2(run.err.contains(outcome == int(testbmp::Outcome::Rejected) ? kLimits : reason),
            run.err.constData());
        QCOMPARE(listing, QStringList({"x.bmp"}));
    }

    void renderDrawsTheDots()
    {
        QTemporaryDir dir;
        makePictures(dir.path());
        const Run run = cli(dir.path(), {"render", "marks.txt"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("marks.png\n"));
        const QImage image(dir.filePath("marks.png"));
        QCOMPARE(image.size(), QSize(240, 128));
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 240; ++x) // black 1 bits on dark green
                QCOMPARE(image.pixel(x, y) | 0xFF000000, marks(x, y) ? qRgb(0, 128, 0) : qRgb(0, 0, 0));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
