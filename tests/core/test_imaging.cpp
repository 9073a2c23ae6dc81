// The Qt edge: decoding bitmap files (real ones written by common tools and
// damaged ones), reading them as colour values, and atomic file output.

#include "common/failure.h"
#include "convert/scan.h"
#include "imaging/bitmap_image.h"
#include "intake/bitmap_header.h"
#include "support/bmp_writer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace quellbit;

namespace {

QString dataPath(const QString &name) { return QStringLiteral(QUELLBIT_TEST_DATA "/") + name; }

// The whole road of a picture: header read, decode, scan with the first
// (Normal) or second (Inverse) palette colour as on colour.
std::string convertFile(const QString &path, bool inverse)
{
    const BitmapHeaders headers = readBitmapHeaders(path.toStdString());
    const QImage image = loadBitmapImage(path);
    const std::int32_t on = colorValue(inverse ? headers.palette1 : headers.palette0);
    return convertToText(ImageRaster(image), on);
}

// Item k (from 0) of the stream as written in the text: line k / 8, item k % 8.
QString item(const std::string &text, int k)
{
    return QString::fromStdString(text.substr(std::size_t(k / 8 * 45 + 11 + k % 8 * 4), 2));
}

QString saveTemp(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath("picture.bmp");
    return testbmp::save(path, bytes) ? path : QString();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestImaging : public QObject {
    Q_OBJECT

private slots:
    void realBitmapLoads_data();
    void realBitmapLoads();
    void realBitmapBytes_data();
    void realBitmapBytes();
    void normalAndInverseAreComplements_data();
    void normalAndInverseAreComplements();
    void uniformRealBitmap_data();
    void uniformRealBitmap();
    void coloursNotIndices_data();
    void coloursNotIndices();
    void rasterOfBuiltImage_data();
    void rasterOfBuiltImage();
    void otherSignatureDecodes();
    void damagedBitmapFails_data();
    void damagedBitmapFails();
    void saveWritesExactBytes();
    void saveWithoutCommitLeavesTarget();
    void saveFailure_data();
    void saveFailure();
    void writeFailureKeepsEarlierFile();
};

void TestImaging::realBitmapLoads_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("paletteOffset");
    QTest::newRow("ImageMagick V4 header: palette at 122") << "imv4_text.bmp" << 122;
    QTest::newRow("GIMP V5 header: palette at 138") << "gimp_v5_shape.bmp" << 138;
    QTest::newRow("GIMP V5 header, one palette entry: palette at 138") << "gimp_v5_blank.bmp" << 138;
    QTest::newRow("Pillow 40-byte header: palette at 54") << "pil_vstripes.bmp" << 54;
    QTest::newRow("netpbm 40-byte header: palette at 54") << "nb_allwhite.bmp" << 54;
}

void TestImaging::realBitmapLoads()
{
    QFETCH(QString, file);
    QFETCH(int, paletteOffset);
    const BitmapHeaders headers = readBitmapHeaders(dataPath(file).toStdString());
    QCOMPARE(judgeHeaders(headers.info), Verdict::Accepted);
    QCOMPARE(headers.paletteOffset, std::size_t(paletteOffset));
    const QImage image = loadBitmapImage(dataPath(file));
    QCOMPARE(image.width(), 240);
    QCOMPARE(image.height(), 128);
}

// Expected items worked out from the files' own bytes. Rows are stored
// bottom row first, 32 bytes each, the leftmost dot in the high bit; the
// item of row y, group g is stream byte 30 y + g, with the leftmost dot in
// bit 0. A stored byte 0x7F (first dot index 0) thus gives 01 when index 0's
// colour is on and FE when index 1's is.
void TestImaging::realBitmapBytes_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("inverse");
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("value");

    // gimp_v5_shape.bmp: palette black, white; pixels from offset 146.
    // Offset 146 (row 127, group 0) holds 7F: dot 0 black, dots 1..7 white.
    QTest::newRow("shape: bottom-left dot black, Normal") << "gimp_v5_shape.bmp" << false << 3810 << "01";
    QTest::newRow("shape: bottom-left dot black, Inverse") << "gimp_v5_shape.bmp" << true << 3810 << "FE";
    // Offset 146 + 127 * 32 + 29 (row 0, group 29) holds FE: dot 239 black.
    QTest::newRow("shape: top-right dot black, Normal") << "gimp_v5_shape.bmp" << false << 29 << "80";
    QTest::newRow("shape: top-right dot black, Inverse") << "gimp_v5_shape.bmp" << true << 29 << "7F";
    // Offset 146 + 119 * 32 + 1 (row 8, group 1) holds 00: all black.
    QTest::newRow("shape: black bar in row 8, Normal") << "gimp_v5_shape.bmp" << false << 241 << "FF";
    QTest::newRow("shape: white top-left corner, Normal") << "gimp_v5_shape.bmp" << false << 0 << "00";

    // imv4_text.bmp: palette black, white at 122; pixels from offset 130.
    // Offset 130 + 49 * 32 + 8 (row 78, group 8) holds E7: dots 67, 68 black.
    QTest::newRow("text: row 78 group 8, Normal") << "imv4_text.bmp" << false << 2348 << "18";
    QTest::newRow("text: row 78 group 8, Inverse") << "imv4_text.bmp" << true << 2348 << "E7";
    // Offset 130 + 50 * 32 + 3 (row 77, group 3) holds E0: dots 27..31 black.
    QTest::newRow("text: row 77 group 3, Normal") << "imv4_text.bmp" << false << 2313 << "F8";
    // Offset 130 + 52 * 32 + 4 (row 75, group 4) holds 15 = 00010101:
    // dots 32, 33, 34, 36, 38 black.
    QTest::newRow("text: row 75 group 4, Normal") << "imv4_text.bmp" << false << 2254 << "57";
    QTest::newRow("text: row 75 group 4, Inverse") << "imv4_text.bmp" << true << 2254 << "A8";
}

void TestImaging::realBitmapBytes()
{
    QFETCH(QString, file);
    QFETCH(bool, inverse);
    QFETCH(int, byte);
    QFETCH(QString, value);
    const std::string text = convertFile(dataPath(file), inverse);
    QCOMPARE(text.size(), std::size_t(21600));
    QCOMPARE(item(text, byte), value);
}

void TestImaging::normalAndInverseAreComplements_data()
{
    QTest::addColumn<QString>("file");
    // With the palette taken from offset 54 these two would give the same
    // (all-zero) file both ways: the bytes there are colour masks.
    QTest::newRow("ImageMagick V4 header") << "imv4_text.bmp";
    QTest::newRow("GIMP V5 header") << "gimp_v5_shape.bmp";
    QTest::newRow("Pillow 40-byte header") << "pil_vstripes.bmp";
}

void TestImaging::normalAndInverseAreComplements()
{
    QFETCH(QString, file);
    const std::string normal = convertFile(dataPath(file), false);
    const std::string inverse = convertFile(dataPath(file), true);
    QCOMPARE(normal.size(), std::size_t(21600));
    QCOMPARE(inverse.size(), std::size_t(21600));
    for (int k = 0; k < 3840; ++k)
        QCOMPARE(item(normal, k).toInt(nullptr, 16) ^ item(inverse, k).toInt(nullptr, 16), 0xFF);
}

void TestImaging::uniformRealBitmap_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("inverse");
    QTest::addColumn<QString>("value");
    // Pillow: palette black, white (reserved byte FF); every stored byte AA,
    // so even dots white, odd dots black. The reserved byte plays no part.
    QTest::newRow("stripes, Normal: odd dots (black) on") << "pil_vstripes.bmp" << false << "AA";
    QTest::newRow("stripes, Inverse: even dots (white, reserved FF) on") << "pil_vstripes.bmp" << true << "55";
    // netpbm: palette black, white; every dot white.
    QTest::newRow("all white, Normal (black on): no dot") << "nb_allwhite.bmp" << false << "00";
    QTest::newRow("all white, Inverse (white on): every dot") << "nb_allwhite.bmp" << true << "FF";
    // GIMP, one palette entry (white): the second entry read lies in the
    // pixel data (zero bytes, black), a colour no dot has.
    QTest::newRow("one-entry palette, Normal (its colour on): every dot") << "gimp_v5_blank.bmp" << false << "FF";
    QTest::newRow("one-entry palette, Inverse: no dot") << "gimp_v5_blank.bmp" << true << "00";
}

void TestImaging::uniformRealBitmap()
{
    QFETCH(QString, file);
    QFETCH(bool, inverse);
    QFETCH(QString, value);
    const QByteArray line = "        DB " + (value.toLatin1() + "H,").repeated(7) + value.toLatin1() + "H;\r\n";
    QCOMPARE(QByteArray::fromStdString(convertFile(dataPath(file), inverse)), line.repeated(480));
}

void TestImaging::coloursNotIndices_data()
{
    QTest::addColumn<int>("infoSize");
    QTest::addColumn<int>("height");
    QTest::newRow("white first, bottom-up, 40-byte header") << 40 << 128;
    QTest::newRow("white first, top-down") << 40 << -128;
    QTest::newRow("white first, 108-byte header") << 108 << 128;
}

void TestImaging::coloursNotIndices()
{
    QFETCH(int, infoSize);
    QFETCH(int, height);
    testbmp::Spec1 layout;
    layout.infoSize = std::uint32_t(infoSize);
    layout.height = height;
    layout.palette = {testbmp::kWhite, {0x12, 0x34, 0x56, 0}};
    layout.pixel = [](int x, int y) { return (x == 3 && y == 0) || (x == 239 && y == 127) ? 1 : 0; };
    QTemporaryDir dir;
    const QString path = saveTemp(dir, testbmp::build(layout));
    QVERIFY(!path.isEmpty());

    const QImage image = loadBitmapImage(path);
    const ImageRaster raster(image);
    QCOMPARE(raster.width(), 240);
    QCOMPARE(raster.height(), 128);
    QCOMPARE(raster.row(0)[3], 0x563412);
    QCOMPARE(raster.row(0)[2], 0xFFFFFF);
    QCOMPARE(raster.row(127)[239], 0x563412);
    QCOMPARE(raster.row(127)[0], 0xFFFFFF);
}

void TestImaging::rasterOfBuiltImage_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::newRow("1 bit, high bit first") << QImage::Format_Mono;
    QTest::newRow("1 bit, low bit first") << QImage::Format_MonoLSB;
    QTest::newRow("8-bit indexed") << QImage::Format_Indexed8;
    QTest::newRow("32-bit colours") << QImage::Format_RGB32;
}

void TestImaging::rasterOfBuiltImage()
{
    QFETCH(QImage::Format, format);
    QImage image(240, 2, format);
    if (image.colorCount() > 0 || format == QImage::Format_Indexed8)
        image.setColorTable({qRgb(0x10, 0x20, 0x30), qRgb(0xA0, 0xB0, 0xC0)});
    image.fill(0u);
    if (format == QImage::Format_RGB32) {
        image.fill(qRgb(0x10, 0x20, 0x30));
        image.setPixel(9, 1, qRgb(0xA0, 0xB0, 0xC0));
    } else {
        image.setPixel(9, 1, 1);
    }
    const ImageRaster raster(image);
    QCOMPARE(raster.row(1)[9], 0xC0B0A0);
    QCOMPARE(raster.row(1)[8], 0x302010);
    QCOMPARE(raster.row(1)[10], 0x302010);
    QCOMPARE(raster.row(0)[9], 0x302010);
}

void TestImaging::otherSignatureDecodes()
{
    testbmp::Spec1 layout;
    layout.signature[0] = 'X';
    layout.signature[1] = 'Y';
    layout.pixel = [](int x, int y) { return x == 0 && y == 0 ? 1 : 0; };
    QTemporaryDir dir;
    const QString path = saveTemp(dir, testbmp::build(layout));
    const std::string inverse = convertFile(path, true); // white (entry 1) on
    QCOMPARE(item(inverse, 0), QString("01"));
    QCOMPARE(item(inverse, 1), QString("00"));
    QCOMPARE(readAll(path).left(2), QByteArray("XY")); // the file itself is not changed
}

void TestImaging::damagedBitmapFails_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason"); // part of the failure's reason

    const QByteArray whole = testbmp::build(testbmp::Spec1 {});
    QTest::newRow("pixel data cut after 10 rows") << whole.left(62 + 10 * 32 + 5) << "ends after row 10 of 128";
    QTest::newRow("pixel data cut one byte short") << whole.left(whole.size() - 1) << "ends after row 127 of 128";
    QTest::newRow("no pixel data at all") << whole.left(62) << "ends after row 0 of 128";

    testbmp::Spec1 crowded;
    crowded.clrUsed = 16; // two entries written, pixels right after them
    QTest::newRow("more palette entries listed than fit before the pixels")
        << testbmp::build(crowded) << "palette";

    testbmp::Spec1 rle8;
    rle8.compression = 1;
    QTest::newRow("RLE8 claimed on a 1-bit file") << testbmp::build(rle8) << "decode";
    testbmp::Spec1 rle4;
    rle4.compression = 2;
    QTest::newRow("RLE4 claimed on a 1-bit file") << testbmp::build(rle4) << "decode";
}

void TestImaging::damagedBitmapFails()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = saveTemp(dir, bytes);
    QVERIFY(!path.isEmpty());
    try {
        const QImage image = loadBitmapImage(path);
        QFAIL(qPrintable(QString("decoded as %1 x %2").arg(image.width()).arg(image.height())));
    } catch (const Failure &failure) {
        QCOMPARE(QString::fromStdString(failure.file()), path);
        QVERIFY2(QString::fromStdString(failure.reason()).contains(reason), failure.what());
    }
}

void TestImaging::saveWritesExactBytes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lcd_out.txt");
    QVERIFY(testbmp::save(path, "an older and longer file\r\n"));
    SaveFileSink sink(path);
    sink.writeLine("        DB 01H;\r\n");
    sink.writeLine("ab\r\n");
    sink.commit();
    QCOMPARE(readAll(path), QByteArray("        DB 01H;\r\nab\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList {"lcd_out.txt"});
}

void TestImaging::saveWithoutCommitLeavesTarget()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lcd_out.txt");
    QVERIFY(testbmp::save(path, "earlier\r\n"));
    {
        SaveFileSink sink(path);
        sink.writeLine("new\r\n");
    }
    QCOMPARE(readAll(path), QByteArray("earlier\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList {"lcd_out.txt"});
}

void TestImaging::saveFailure_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("the target is a folder") << "folder";
    QTest::newRow("the parent path is a regular file") << "plain/lcd_out.txt";
    QTest::newRow("the parent folder is missing") << "missing/lcd_out.txt";
}

void TestImaging::saveFailure()
{
    QFETCH(QString, target);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    QVERIFY(testbmp::save(dir.filePath("plain"), "plain file"));
    const QString path = dir.filePath(target);
    try {
        SaveFileSink sink(path);
        sink.writeLine("        DB 01H;\r\n");
        sink.commit();
        QFAIL("written");
    } catch (const Failure &failure) {
        QCOMPARE(QString::fromStdString(failure.file()), path);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), (QStringList {"folder", "plain"}));
    QVERIFY(QDir(dir.filePath("folder")).isEmpty());
    QCOMPARE(readAll(dir.filePath("plain")), QByteArray("plain file"));
}

void TestImaging::writeFailureKeepsEarlierFile()
{
    // A file size limit of 100 bytes makes the writing of a whole data file
    // fail part way, as a full disk would.
    QTemporaryDir dir;
    const QString path = dir.filePath("lcd_out.txt");
    QVERIFY(testbmp::save(path, "earlier\r\n"));
    const PixelRaster raster(240, 128, 0);

    rlimit old {};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    bool failed = false;
    try {
        SaveFileSink sink(path);
        StringSink text;
        text.writeLine(convertToText(raster, 0));
        sink.writeLine(text.text);
        sink.commit();
    } catch (const Failure &failure) {
        failed = QString::fromStdString(failure.file()) == path;
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(failed);
    QCOMPARE(readAll(path), QByteArray("earlier\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList {"lcd_out.txt"});
}

QTEST_GUILESS_MAIN(TestImaging)
#include "test_imaging.moc"
