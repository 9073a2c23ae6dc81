// Runs the built quellbit-cli as a user would and checks exit statuses,
// the files it writes (and does not write) and what it says.

#include "convert/scan.h"
#include "support/bmp_writer.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run cli(const QString &folder, const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(QUELLBIT_CLI), arguments);
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

testbmp::Spec1 marked()
{
    testbmp::Spec1 spec;
    spec.pixel = marks;
    return spec;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray line(const QByteArray &text, int number) // counted from 1
{
    return text.mid((number - 1) * 45, 45);
}

// Good and bad pictures side by side in `folder`.
void makePictures(const QString &folder)
{
    testbmp::save(folder + "/good.bmp", testbmp::build(marked()));
    testbmp::save(folder + "/good2.bmp", testbmp::build(marked()));
    testbmp::Spec1 wide;
    wide.width = 320;
    testbmp::save(folder + "/wide.bmp", testbmp::build(wide));
    testbmp::Spec1 deep;
    deep.bitCount = 8;
    deep.palette.assign(256, testbmp::kWhite);
    testbmp::save(folder + "/deep.bmp", testbmp::build(deep));
    testbmp::Spec1 topDown;
    topDown.height = -128;
    testbmp::save(folder + "/topdown.bmp", testbmp::build(topDown));
    testbmp::Spec1 longHeader = marked();
    longHeader.infoSize = 124;
    testbmp::save(folder + "/v5.bmp", testbmp::build(longHeader));
    testbmp::save(folder + "/short.bmp", testbmp::build(marked()).left(62 + 32 * 100));
    QDir(folder).mkdir("folder.bmp");
}

QStringList dataFiles(const QString &folder)
{
    return QDir(folder).entryList({"lcd_*"}, QDir::Files);
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("written");

        const QStringList none;
        QTest::newRow("accepted picture converts beside itself")
            << QStringList {"convert", "good.bmp"} << 0 << QStringList {"lcd_good.txt"};
        QTest::newRow("long info header is accepted")
            << QStringList {"convert", "v5.bmp"} << 0 << QStringList {"lcd_v5.txt"};
        QTest::newRow("320 wide is rejected") << QStringList {"convert", "wide.bmp"} << 1 << none;
        QTest::newRow("8 bits per pixel is rejected") << QStringList {"convert", "deep.bmp"} << 1 << none;
        QTest::newRow("top-down rows are rejected") << QStringList {"convert", "topdown.bmp"} << 1 << none;
        QTest::newRow("missing file is unreadable") << QStringList {"convert", "gone.bmp"} << 3 << none;
        QTest::newRow("pixel data cut short is unreadable")
            << QStringList {"convert", "short.bmp"} << 3 << none;
        QTest::newRow("folder named .bmp is unreadable")
            << QStringList {"convert", "folder.bmp"} << 3 << none;
        QTest::newRow("unreadable wins over rejected")
            << QStringList {"convert", "wide.bmp", "gone.bmp"} << 3 << none;
        QTest::newRow("rejected among accepted still 1") << QStringList {"convert", "good.bmp", "wide.bmp",
            "good2.bmp"} << 1 << QStringList {"lcd_good.txt", "lcd_good2.txt"};
        QTest::newRow("help is no error") << QStringList {"convert", "--help"} << 0 << none;
        QTest::newRow("version is no error") << QStringList {"--version"} << 0 << none;
        QTest::newRow("no command is a usage error") << QStringList {} << 2 << none;
        QTest::newRow("unknown command is a usage error") << QStringList {"paint", "good.bmp"} << 2 << none;
        QTest::newRow("convert without a picture") << QStringList {"convert"} << 2 << none;
        QTest::newRow("-o with two pictures")
            << QStringList {"convert", "-o", "x.txt", "good.bmp", "good2.bmp"} << 2 << none;
        QTest::newRow("unknown option") << QStringList {"convert", "--sideways", "good.bmp"} << 2 << none;
        QTest::newRow("info on accepted") << QStringList {"info", "good.bmp"} << 0 << none;
        QTest::newRow("info on rejected") << QStringList {"info", "deep.bmp"} << 1 << none;
        QTest::newRow("info on cut-short pixels") << QStringList {"info", "short.bmp"} << 3 << none;
        QTest::newRow("check on rejected picture") << QStringList {"check", "wide.bmp"} << 1 << none;
        QTest::newRow("check with no data file") << QStringList {"check", "good.bmp"} << 3 << none;
        QTest::newRow("render of missing data file") << QStringList {"render", "lcd_gone.txt"} << 3 << none;
    }

    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QStringList, written);
        QTemporaryDir dir;
        makePictures(dir.path());
        const Run run = cli(dir.path(), arguments);
        QCOMPARE(run.status, status);
        QCOMPARE(dataFiles(dir.path()), written);
        QCOMPARE(QDir(dir.path()).entryList({"*.png"}), QStringList());
    }

    void outputBytesAreHandChecked()
    {
        QTemporaryDir dir;
        makePictures(dir.path());
        const Run run = cli(dir.path(), {"convert", "good.bmp"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("./lcd_good.txt\n"));
        const QByteArray text = readAll(dir.filePath("lcd_good.txt"));
        QCOMPARE(text.size(), 21600);
        // (0,0) is bit 0 of byte 0; (9,0) and (15,0) bits 1 and 7 of byte 1.
        QCOMPARE(line(text, 1), QByteArray("        DB 01H,82H,00H,00H,00H,00H,00H,00H;\r\n"));
        // (239,0) is bit 7 of byte 29, (0,1) bit 0 of byte 30: line 4, items 6 and 7.
        QCOMPARE(line(text, 4), QByteArray("        DB 00H,00H,00H,00H,00H,80H,01H,00H;\r\n"));
        QCOMPARE(line(text, 480), QByteArray("        DB 00H,00H,00H,00H,00H,00H,00H,00H;\r\n"));

        quellbit::PixelRaster raster(240, 128);
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 240; ++x)
                raster.set(x, y, marks(x, y) ? 0xFFFFFF : 0);
        QCOMPARE(text.toStdString(), quellbit::convertToText(raster, 0));

        // A 124-byte info header: the palette is found after it, not at byte 54.
        QCOMPARE(cli(dir.path(), {"convert", "v5.bmp"}).status, 0);
        QCOMPARE(readAll(dir.filePath("lcd_v5.txt")), text);
    }

    void inverseIsTheBitwiseComplement()
    {
        QTemporaryDir dir;
        makePictures(dir.path());
        const Run normal = cli(dir.path(), {"convert", "-o", "-", "good.bmp"});
        const Run inverse = cli(dir.path(), {"convert", "--inverse", "-o", "-", "good.bmp"});
        QCOMPARE(inverse.status, 0);
        QCOMPARE(line(inverse.out, 1), QByteArray("        DB FEH,7DH,FFH,FFH,FFH,FFH,FFH,FFH;\r\n"));
        QCOMPARE(inverse.out.size(), normal.out.size());
        for (int number = 1; number <= 480; ++number)
            for (int item = 0; item < 8; ++item) {
                const qsizetype at = 11 + 4 * item;
                const int n = line(normal.out, number).mid(at, 2).toInt(nullptr, 16);
                const int i = line(inverse.out, number).mid(at, 2).toInt(nullptr, 16);
                QCOMPARE(n ^ i, 0xFF);
            }
    }

    void outputOptionNamesTheFile()
    {
        QTemporaryDir dir;
        makePictures(dir.path());
        const Run named = cli(dir.path(), {"convert", "-o", "picture.inc", "good.bmp"});
        QCOMPARE(named.status, 0);
        QCOMPARE(named.out, QByteArray("picture.inc\n"));
        QCOMPARE(readAll(dir.filePath("picture.inc")).size(), 21600);
        const Run piped = cli(dir.path(), {"convert", "-o", "-", "good.bmp"});
        QCOMPARE(piped.out, readAll(dir.filePath("picture.inc")));
        QCOMPARE(dataFiles(dir.path()), QStringList());
    }

    void failuresKeepEarlierFiles()
    {
        QTemporaryDir dir;
        makePictures(dir.path());
        testbmp::save(dir.filePath("lcd_wide.txt"), "earlier");
        QCOMPARE(cli(dir.path(), {"convert", "wide.bmp"}).status, 1);
        QCOMPARE(readAll(dir.filePath("lcd_wide.txt")), QByteArray("earlier"));

        QDir(dir.path()).mkdir("lcd_good.txt");
        const Run inTheWay = cli(dir.path(), {"convert", "good.bmp"});
        QCOMPARE(inTheWay.status, 3);
        QVERIFY(inTheWay.err.contains("lcd_good.txt"));
        const Run notAFolder = cli(dir.path(), {"convert", "-o", "good.bmp/out.txt", "good2.bmp"});
        QCOMPARE(notAFolder.status, 3);
        QCOMPARE(QDir(dir.path()).entryList({"*.txt*", "*.inc"}, QDir::Files), QStringList({"lcd_wide.txt"}));
    }

    void goesOnAfterABadFile()
    {
        QTemporaryDir dir;
        makePictures(dir.path());
        const Run run = cli(dir.path(), {"convert", "good.bmp", "gone.bmp", "wide.bmp", "good2.bmp"});
        QCOMPARE(run.status, 3);
        QCOMPARE(run.out, QByteArray("./lcd_good.txt\n./lcd_good2.txt\n"));
        QVERIFY(run.err.contains("gone.bmp: cannot be opened"));
        QVERIFY(run.err.contains("wide.bmp: rejected (320 x 128, 1 bit): width is 320, not 240"));
        QVERIFY(
            run.err.contains("Picture Resolution is limit to 240 x 128 pixels (Width x Height) and 2 Colors "
                             "Bitmap."));
        QCOMPARE(readAll(dir.filePath("lcd_good2.txt")), readAll(dir.filePath("lcd_good.txt")));
    }

    void renderDrawsTheDots()
    {
        QTemporaryDir dir;
        makePictures(dir.path());
        QCOMPARE(cli(dir.path(), {"convert", "good.bmp"}).status, 0);
        const Run run = cli(dir.path(), {"render", "lcd_good.txt"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("lcd_good.png\n"));
        const QImage image(dir.filePath("lcd_good.png"));
        QCOMPARE(image.size(), QSize(240, 128));
        const QRgb black = qRgb(0, 0, 0);
        const QRgb green = qRgb(0, 128, 0);
        int blacks = 0;
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 240; ++x) {
                const QRgb dot = image.pixel(x, y) | 0xFF000000;
                QVERIFY(dot == black || dot == green);
                QCOMPARE(dot == black, marks(x, y) == 0);
                blacks += dot == black ? 1 : 0;
            }
        QCOMPARE(blacks, 5);
    }

    void renderStopsAtAShortLine()
    {
        QTemporaryDir dir;
        testbmp::save(dir.filePath("bad.txt"), "        DB FFH,00H,00H,00H,00H,00H,00H,00H;\r\nDB 01H\r\n");
        const Run run = cli(dir.path(), {"render", "-o", "out.png", "bad.txt"});
        QCOMPARE(run.status, 3);
        QVERIFY(run.err.contains("line 2"));
        QVERIFY(!QFile::exists(dir.filePath("out.png")));
    }

    void checkCountsDifferingDots()
    {
        QTemporaryDir dir;
        makePictures(dir.path());
        QCOMPARE(cli(dir.path(), {"convert", "good.bmp"}).status, 0);
        QCOMPARE(cli(dir.path(), {"check", "good.bmp"}).status, 0);

        QByteArray text = readAll(dir.filePath("lcd_good.txt"));
        text.replace(3 * 45 + 31, 2, "C1"); // line 4, item 6: 80H -> C1H, two dots more
        testbmp::save(dir.filePath("edited.txt"), text);
        const Run edited = cli(dir.path(), {"check", "good.bmp", "edited.txt"});
        QCOMPARE(edited.status, 4);
        QVERIFY(edited.err.contains("2 dots differ, first difference on line 4"));

        const Run inverse = cli(dir.path(), {"check", "--inverse", "good.bmp"});
        QCOMPARE(inverse.status, 4);
        QVERIFY(inverse.err.contains("30720 dots differ, first difference on line 1"));
    }

    void infoExplains_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QByteArray>("says");
        QTest::newRow("palette after a 40-byte header") << "good.bmp" << QByteArray("read at byte 54");
        QTest::newRow("palette after a 124-byte header") << "v5.bmp" << QByteArray("read at byte 138");
        QTest::newRow("palette entries as colour values") << "good.bmp" << QByteArray("16777215 (#ffffff)");
        QTest::newRow("rejection gives the reason")
            << "wide.bmp" << QByteArray("rejected: width is 320, not 240");
        QTest::newRow("top-down rows are named") << "topdown.bmp" << QByteArray("(top-down rows)");
        QTest::newRow("cut-short pixels are named") << "short.bmp" << QByteArray("ends after row 100 of 128");
    }

    void infoExplains()
    {
        QFETCH(QString, picture);
        QFETCH(QByteArray, says);
        QTemporaryDir dir;
        makePictures(dir.path());
        const Run run = cli(dir.path(), {"info", picture});
        QVERIFY2(run.out.contains(says), run.out.constData());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
