// Intake: header read and acceptance, real and damaged bitmaps, and the
// inputs the fuzzers once found.

#include "common/failure.h"
#include "convert/scan.h"
#include "imaging/bitmap_image.h"
#include "intake/bitmap_header.h"
#include "support/bmp_writer.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sstream>

using namespace quellbit;

Q_DECLARE_METATYPE(quellbit::Verdict)

namespace {

const testbmp::Rgb kFirst {0x11, 0x22, 0x33, 0x00};
const testbmp::Rgb kSecond {0xC0, 0xB0, 0xA0, 0xFF};

QByteArray bmp(int width, int height, int bitCount, std::uint32_t infoSize = 40)
{
    testbmp::Layout layout {.width = width, .height = height, .bitCount = std::int16_t(bitCount)};
    layout.infoSize = infoSize;
    layout.palette = {kFirst, kSecond};
    return testbmp::build(layout);
}

std::span<const std::uint8_t> bytesOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

// Item k (from 0) of the stream as written in the text: line k / 8, item k % 8.
int item(const std::string &text, int k)
{
    return std::stoi(text.substr(std::size_t(k / 8 * 45 + 11 + k % 8 * 4), 2), nullptr, 16);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestIntake : public QObject {
    Q_OBJECT

private slots:
    void header_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Verdict>("verdict");
        QTest::addColumn<int>("paletteOffset"); // 0: no palette read; -1: too short, fails
        using enum Verdict;
        QTest::newRow("240 x 128 at 1 bit is accepted") << bmp(240, 128, 1) << Accepted << 54;
        QTest::newRow("top-down rows are rejected") << bmp(240, -128, 1) << WrongHeight << 54;
        QTest::newRow("width and height swapped are rejected") << bmp(128, 240, 1) << WrongHeight << 54;
        QTest::newRow("right height, wrong width is rejected") << bmp(320, 128, 1) << WrongWidth << 54;
        QTest::newRow("other 1-bit size: rejected, palette read") << bmp(320, 240, 1) << WrongHeight << 54;
        QTest::newRow("4 bits: rejected, no palette read") << bmp(240, 128, 4) << WrongBitCount << 0;
        QTest::newRow("8 bits: rejected, no palette read") << bmp(240, 128, 8) << WrongBitCount << 0;
        QTest::newRow("24 bits: rejected, no palette read") << bmp(240, 128, 24) << WrongBitCount << 0;
        QTest::newRow("108-byte header: palette at 122") << bmp(240, 128, 1, 108) << Accepted << 122;
        QTest::newRow("124-byte header: palette at 138") << bmp(240, 128, 1, 124) << Accepted << 138;
        QByteArray undefined = bmp(240, 128, 1);
        undefined[14] = char(200); // biSize 200
        QTest::newRow("undefined header size: palette at 54") << undefined << Accepted << 54;
        QTest::newRow("cut in the info header: fails") << bmp(240, 128, 1).left(53) << Accepted << -1;
        QTest::newRow("cut in palette entry 2: fails") << bmp(240, 128, 1).left(61) << Accepted << -1;
        QTest::newRow("long header, cut palette: fails") << bmp(240, 128, 1, 124).left(145) << Accepted << -1;
        QTest::newRow("8 bits, headers alone: read") << bmp(240, 128, 8).left(54) << WrongBitCount << 0;
    }
    void header()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Verdict, verdict);
        QFETCH(int, paletteOffset);
        try {
            const BitmapHeaders h = parseBitmapHeaders(bytesOf(bytes), "picture.bmp");
            QVERIFY2(paletteOffset >= 0, "a file this short was read without complaint");
            QCOMPARE(judgeHeaders(h.info), verdict);
            QCOMPARE(h.paletteRead ? int(h.paletteOffset) : 0, paletteOffset);
            QCOMPARE(colorValue(h.palette0), paletteOffset ? 0x332211 : 0);
            QCOMPARE(colorValue(h.palette1), paletteOffset ? 0xA0B0C0 : 0);
        } catch (const Failure &failure) {
            QVERIFY2(paletteOffset < 0, failure.what());
            QCOMPARE(failure.file(), std::string("picture.bmp"));
        }
    }

    // Expected items worked out by hand from the files' own bytes: rows are
    // stored bottom row first, 32 bytes each, leftmost dot in the high bit;
    // item 30 y + g is row y, group g, leftmost dot in bit 0. -1: every item.
    void bitmap_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("normal");     // the item with the first palette colour on
        QTest::addColumn<QString>("reason"); // part of the failure's reason; empty: none
        auto real = [](const char *name) { return readAll(QStringLiteral(QUELLBIT_TEST_DATA "/") + name); };
        // Palette black, white at 138, pixels at 146. 146 holds 7F: dot 0 black.
        QTest::newRow("V5 header: bottom-left dot black") << real("gimp_v5_shape.bmp") << 3810 << 0x01 << "";
        // Palette black, white at 122. 130 + 52 * 32 + 4 holds 15: dots 32, 33, 34, 36, 38 black.
        QTest::newRow("V4 header: row 75 group 4") << real("imv4_text.bmp") << 2254 << 0x57 << "";
        // Palette black, white with reserved byte FF; every stored byte AA.
        QTest::newRow("40-byte header, reserved FF") << real("pil_vstripes.bmp") << -1 << 0xAA << "";
        // One palette entry (white): the second entry read is pixel bytes.
        QTest::newRow("one-entry palette: every dot on") << real("gimp_v5_blank.bmp") << -1 << 0xFF << "";
        // White first, so colours and indices differ; dot 3 has the other colour.
        testbmp::Layout other {.palette = {testbmp::kWhite, {0x12, 0x34, 0x56, 0}}, .signature = {'X', 'Y'}};
        other.pixel = [](int x, int y) { return x == 3 && y == 0 ? 1 : 0; };
        QTest::newRow("signature XY decodes like BM, in colours") << testbmp::build(other) << 0 << 0xF7 << "";
        const QByteArray whole = testbmp::build({});
        QTest::newRow("cut after 10 rows fails") << whole.left(62 + 10 * 32 + 5) << 0 << 0 << "row 10 of";
        QTest::newRow("one byte short fails") << whole.left(whole.size() - 1) << 0 << 0 << "row 127 of";
        QTest::newRow("palette over pixels fails") << testbmp::build({.clrUsed = 16}) << 0 << 0 << "palette";
        QTest::newRow("RLE8 claimed fails") << testbmp::build({.compression = 1}) << 0 << 0 << "decode";
    }
    void bitmap()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, byte);
        QFETCH(int, normal);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath("picture.bmp");
        QVERIFY(testbmp::save(path, bytes));
        try {
            const BitmapHeaders headers = readBitmapHeaders(path.toStdString());
            const QImage image = loadBitmapImage(path);
            QVERIFY2(reason.isEmpty(), "a damaged file was decoded");
            const std::string normalText = convertToText(ImageRaster(image), colorValue(headers.palette0));
            const std::string inverseText = convertToText(ImageRaster(image), colorValue(headers.palette1));
            QCOMPARE(normalText.size(), std::size_t(21600));
            for (int k = 0; k < 3840; ++k) {
                QCOMPARE(item(normalText, k) ^ item(inverseText, k), 0xFF); // palette read at the right place
                if (byte < 0 || k == byte)
                    QCOMPARE(item(normalText, k), normal);
            }
        } catch (const Failure &failure) {
            QVERIFY2(!reason.isEmpty(), failure.what());
            QCOMPARE(QString::fromStdString(failure.file()), path);
            QVERIFY2(QString::fromStdString(failure.reason()).contains(reason), failure.what());
        }
    }

    // Every input a fuzzer once found, through the fuzzers' entry points:
    // each ends normally or with Failure, never with anything else.
    void fuzzRegressions()
    {
        const QFileInfoList inputs = QDir(QUELLBIT_TEST_DATA "/fuzz/header").entryInfoList(QDir::Files)
            + QDir(QUELLBIT_TEST_DATA "/fuzz/intake").entryInfoList(QDir::Files)
            + QDir(QUELLBIT_TEST_DATA "/fuzz/datafile").entryInfoList(QDir::Files);
        if (inputs.isEmpty())
            QSKIP("no fuzzer inputs stored under tests/data/fuzz");
        QImage image(240, 128, QImage::Format_RGB32);
        ImageSurface surface(image, 0);
        for (const QFileInfo &input : inputs) {
            const QByteArray bytes = readAll(input.filePath());
            std::istringstream in(bytes.toStdString());
            PlotState state;
            try {
                if (input.path().endsWith("datafile"))
                    plotDataStream(in, "fuzz.txt", state, surface, 240, 128);
                else if (const BitmapHeaders h = parseBitmapHeaders(bytesOf(bytes), "fuzz.bmp");
                         judgeHeaders(h.info) == Verdict::Accepted)
                    (void)convertToText(ImageRaster(decodeBitmapBytes(bytes, "fuzz.bmp")), 0);
            } catch (const Failure &) {
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestIntake)
#include "test_intake.moc"
