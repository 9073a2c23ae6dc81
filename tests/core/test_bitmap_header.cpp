// The header read and the acceptance test: which headers pass, where the two
// palette entries come from, and which files are too short to judge.

#include "common/failure.h"
#include "intake/bitmap_header.h"
#include "support/bmp_writer.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace quellbit;

Q_DECLARE_METATYPE(quellbit::Verdict)

namespace {

const testbmp::Rgb kFirst {0x11, 0x22, 0x33, 0x00};
const testbmp::Rgb kSecond {0xC0, 0xB0, 0xA0, 0xFF};

BitmapHeaders parse(const QByteArray &bytes)
{
    return parseBitmapHeaders(std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                        static_cast<std::size_t>(bytes.size())),
                              "picture.bmp");
}

void patch32(QByteArray &bytes, int offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
}

} // namespace

class TestBitmapHeader : public QObject {
    Q_OBJECT

private slots:
    void verdict_data();
    void verdict();
    void paletteOffset_data();
    void paletteOffset();
    void undefinedHeaderSizeReadsAt54_data();
    void undefinedHeaderSizeReadsAt54();
    void shortFile_data();
    void shortFile();
    void unreadablePath_data();
    void unreadablePath();
};

void TestBitmapHeader::verdict_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bitCount");
    QTest::addColumn<Verdict>("expected");

    QTest::newRow("240 x 128 at 1 bit is accepted") << 240 << 128 << 1 << Verdict::Accepted;
    QTest::newRow("top-down rows (height -128) are rejected") << 240 << -128 << 1 << Verdict::WrongHeight;
    QTest::newRow("width and height swapped is rejected on height") << 128 << 240 << 1 << Verdict::WrongHeight;
    QTest::newRow("right height, wrong width is rejected on width") << 320 << 128 << 1 << Verdict::WrongWidth;
    QTest::newRow("1 bit at 320 x 240 is rejected") << 320 << 240 << 1 << Verdict::WrongHeight;
    QTest::newRow("4 bits per pixel is rejected") << 240 << 128 << 4 << Verdict::WrongBitCount;
    QTest::newRow("8 bits per pixel is rejected") << 240 << 128 << 8 << Verdict::WrongBitCount;
    QTest::newRow("24 bits per pixel is rejected") << 240 << 128 << 24 << Verdict::WrongBitCount;
}

void TestBitmapHeader::verdict()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bitCount);
    QFETCH(Verdict, expected);

    testbmp::Spec1 layout;
    layout.width = width;
    layout.height = height;
    layout.bitCount = std::int16_t(bitCount);
    layout.palette = {kFirst, kSecond};
    const BitmapHeaders h = parse(testbmp::build(layout));

    QCOMPARE(h.info.biWidth, width);
    QCOMPARE(h.info.biHeight, height);
    QCOMPARE(judgeHeaders(h.info), expected);
    // Only a 1-bit file has its palette read, and it is read before the test.
    QCOMPARE(h.paletteRead, bitCount == 1);
    if (bitCount == 1) {
        QCOMPARE(colorValue(h.palette0), 0x332211);
        QCOMPARE(colorValue(h.palette1), 0xA0B0C0);
        QCOMPARE(h.palette1.rgbReserved, std::uint8_t(0xFF));
    } else {
        QCOMPARE(colorValue(h.palette0), 0);
        QCOMPARE(colorValue(h.palette1), 0);
    }
}

void TestBitmapHeader::paletteOffset_data()
{
    QTest::addColumn<int>("infoSize");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("signature");

    QTest::newRow("40-byte header: palette at 54") << 40 << 54 << QByteArray("BM");
    QTest::newRow("108-byte header: palette at 122, not the masks at 54") << 108 << 122 << QByteArray("BM");
    QTest::newRow("124-byte header: palette at 138, not the masks at 54") << 124 << 138 << QByteArray("BM");
    QTest::newRow("signature XY is not judged") << 40 << 54 << QByteArray("XY");
}

void TestBitmapHeader::paletteOffset()
{
    QFETCH(int, infoSize);
    QFETCH(int, offset);
    QFETCH(QByteArray, signature);

    testbmp::Spec1 layout;
    layout.infoSize = std::uint32_t(infoSize);
    layout.palette = {kFirst, kSecond};
    layout.signature[0] = signature[0];
    layout.signature[1] = signature[1];
    const BitmapHeaders h = parse(testbmp::build(layout));

    QCOMPARE(judgeHeaders(h.info), Verdict::Accepted);
    QCOMPARE(h.paletteOffset, std::size_t(offset));
    QCOMPARE(colorValue(h.palette0), 0x332211);
    QCOMPARE(colorValue(h.palette1), 0xA0B0C0);
}

void TestBitmapHeader::undefinedHeaderSizeReadsAt54_data()
{
    QTest::addColumn<int>("biSize");
    QTest::newRow("biSize 12 reads the palette at 54") << 12;
    QTest::newRow("biSize 200 reads the palette at 54") << 200;
    QTest::newRow("biSize 0 reads the palette at 54") << 0;
}

void TestBitmapHeader::undefinedHeaderSizeReadsAt54()
{
    QFETCH(int, biSize);
    testbmp::Spec1 layout;
    layout.palette = {kFirst, kSecond};
    QByteArray bytes = testbmp::build(layout);
    patch32(bytes, 14, std::uint32_t(biSize));

    const BitmapHeaders h = parse(bytes);
    QCOMPARE(h.info.biSize, std::uint32_t(biSize));
    QCOMPARE(judgeHeaders(h.info), Verdict::Accepted);
    QCOMPARE(h.paletteOffset, std::size_t(54));
    QCOMPARE(colorValue(h.palette0), 0x332211);
    QCOMPARE(colorValue(h.palette1), 0xA0B0C0);
}

void TestBitmapHeader::shortFile_data()
{
    QTest::addColumn<int>("infoSize");
    QTest::addColumn<int>("bitCount");
    QTest::addColumn<int>("keep");
    QTest::addColumn<bool>("fails");

    QTest::newRow("empty file fails") << 40 << 1 << 0 << true;
    QTest::newRow("file cut inside the file header fails") << 40 << 1 << 13 << true;
    QTest::newRow("file cut one byte before the info header ends fails") << 40 << 1 << 53 << true;
    QTest::newRow("1-bit file cut inside the second palette entry fails") << 40 << 1 << 61 << true;
    QTest::newRow("1-bit file ending with its second palette entry is read") << 40 << 1 << 62 << false;
    QTest::newRow("124-byte header cut before its palette ends fails") << 124 << 1 << 145 << true;
    QTest::newRow("8-bit file of headers alone is read (no palette needed)") << 40 << 8 << 54 << false;
}

void TestBitmapHeader::shortFile()
{
    QFETCH(int, infoSize);
    QFETCH(int, bitCount);
    QFETCH(int, keep);
    QFETCH(bool, fails);

    testbmp::Spec1 layout;
    layout.infoSize = std::uint32_t(infoSize);
    layout.bitCount = std::int16_t(bitCount);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("cut.bmp");
    QVERIFY(testbmp::save(path, testbmp::build(layout).left(keep)));

    try {
        const BitmapHeaders h = readBitmapHeaders(path.toStdString());
        QVERIFY2(!fails, "a file this short was read without complaint");
        QCOMPARE(h.info.biBitCount, std::int16_t(bitCount));
    } catch (const Failure &failure) {
        QVERIFY2(fails, failure.what());
        QCOMPARE(QString::fromStdString(failure.file()), path);
        QVERIFY2(failure.reason().find(std::to_string(keep) + " byte") != std::string::npos, failure.what());
    }
}

void TestBitmapHeader::unreadablePath_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("a folder is no bitmap") << QString("folder.bmp");
    QTest::newRow("a missing file cannot be opened") << QString("missing.bmp");
}

void TestBitmapHeader::unreadablePath()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("folder.bmp"));
    const std::string path = dir.filePath(name).toStdString();
    try {
        readBitmapHeaders(path);
        QFAIL("no failure");
    } catch (const Failure &failure) {
        QCOMPARE(failure.file(), path);
        QVERIFY(std::string(failure.what()).find(path) == 0);
    }
}

QTEST_APPLESS_MAIN(TestBitmapHeader)
#include "test_bitmap_header.moc"
