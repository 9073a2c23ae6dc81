// The scan of a raster into data lines: bit order, line layout, on colour,
// progress steps and overflow.

#include "common/failure.h"
#include "convert/scan.h"

#include <QtTest>

#include <random>
#include <vector>

using namespace quellbit;

namespace {

constexpr std::int32_t kOn = 0x000000;
constexpr std::int32_t kOff = 0xFFFFFF;

// Item k (from 0) of the stream as written in the text: line k / 8, item k % 8.
QString item(const std::string &text, int k)
{
    return QString::fromStdString(text.substr(std::size_t(k / 8 * 45 + 11 + k % 8 * 4), 2));
}

// Lines written so far, noted at each progress step.
class RecordingSinks final : public OutputSink, public ProgressSink {
public:
    void writeLine(std::string_view line) override
    {
        ++lines;
        text.append(line);
    }
    void progress(std::int16_t percent) override
    {
        steps.push_back(percent);
        linesAtStep.push_back(lines);
    }
    int lines = 0;
    std::string text;
    std::vector<int> steps;
    std::vector<int> linesAtStep;
};

// Remembers which rows were asked for, in order.
class CountingRaster final : public Raster {
public:
    explicit CountingRaster(const PixelRaster &inner) : inner_(inner) { }
    std::int32_t width() const override { return inner_.width(); }
    std::int32_t height() const override { return inner_.height(); }
    std::span<const std::int32_t> row(std::int32_t y) const override
    {
        rows.push_back(y);
        return inner_.row(y);
    }
    mutable std::vector<int> rows;

private:
    const PixelRaster &inner_;
};

} // namespace

class TestScan : public QObject {
    Q_OBJECT

private slots:
    void singleDot_data();
    void singleDot();
    void uniformPicture_data();
    void uniformPicture();
    void firstLineExactly();
    void inverseIsComplement();
    void foreignColourIsZero();
    void rowsInOrder();
    void progressSteps();
    void overflow_data();
    void overflow();
    void pixelTotalOverflow();
    void rasterSmallerThanRange();
};

void TestScan::singleDot_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("value");
    QTest::newRow("leftmost dot of top row is bit 0 of byte 0") << 0 << 0 << 0 << "01";
    QTest::newRow("eighth dot of top row is bit 7 of byte 0") << 7 << 0 << 0 << "80";
    QTest::newRow("rightmost dot of top row is bit 7 of byte 29 (line 4 item 6)") << 239 << 0 << 29 << "80";
    QTest::newRow("first dot of second row is bit 0 of byte 30 (line 4 item 7)") << 0 << 1 << 30 << "01";
    QTest::newRow("dot 10 of row 2 is bit 2 of byte 61") << 10 << 2 << 61 << "04";
    QTest::newRow("pixel 307, where the first progress step falls, is bit 2 of byte 38") << 66 << 1 << 38 << "04";
    QTest::newRow("bottom-right dot is bit 7 of the last byte") << 239 << 127 << 3839 << "80";
}

void TestScan::singleDot()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, byte);
    QFETCH(QString, value);

    PixelRaster raster(240, 128, kOff);
    raster.set(x, y, kOn);
    const std::string text = convertToText(raster, kOn);
    QCOMPARE(text.size(), std::size_t(21600));
    for (int k = 0; k < 3840; ++k)
        QCOMPARE(item(text, k), k == byte ? value : QString("00"));
}

void TestScan::uniformPicture_data()
{
    QTest::addColumn<int>("fill");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("every dot on gives 480 lines of FFH")
        << kOn << QByteArray("        DB FFH,FFH,FFH,FFH,FFH,FFH,FFH,FFH;\r\n");
    QTest::newRow("no dot on gives 480 lines of 00H")
        << kOff << QByteArray("        DB 00H,00H,00H,00H,00H,00H,00H,00H;\r\n");
}

void TestScan::uniformPicture()
{
    QFETCH(int, fill);
    QFETCH(QByteArray, line);
    const std::string text = convertToText(PixelRaster(240, 128, fill), kOn);
    QCOMPARE(QByteArray::fromStdString(text), line.repeated(480));
}

void TestScan::firstLineExactly()
{
    PixelRaster raster(240, 128, kOff);
    for (int x : {0, 15, 16, 17, 18, 19, 20, 21, 22, 23, 32, 33, 34, 35, 44, 45, 46, 47, 50, 51, 52, 53, 56, 58, 61, 63})
        raster.set(x, 0, kOn);
    const std::string text = convertToText(raster, kOn);
    QCOMPARE(QByteArray::fromStdString(text.substr(0, 90)),
             QByteArray("        DB 01H,80H,FFH,00H,0FH,F0H,3CH,A5H;\r\n"
                        "        DB 00H,00H,00H,00H,00H,00H,00H,00H;\r\n"));
    // The other colour as on colour: each byte complemented.
    QCOMPARE(QByteArray::fromStdString(convertToText(raster, kOff).substr(0, 45)),
             QByteArray("        DB FEH,7FH,00H,FFH,F0H,0FH,C3H,5AH;\r\n"));
}

void TestScan::inverseIsComplement()
{
    std::mt19937 random(20240611);
    PixelRaster raster(240, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 240; ++x)
            raster.set(x, y, random() % 2 ? 0x00FF00 : 0x123456);
    const std::string normal = convertToText(raster, 0x00FF00);
    const std::string inverse = convertToText(raster, 0x123456);
    QCOMPARE(normal.size(), std::size_t(21600));
    QCOMPARE(inverse.size(), std::size_t(21600));
    int differing = 0;
    for (int k = 0; k < 3840; ++k) {
        const int a = item(normal, k).toInt(nullptr, 16);
        const int b = item(inverse, k).toInt(nullptr, 16);
        QCOMPARE(a ^ b, 0xFF);
        differing += a != b;
    }
    QCOMPARE(differing, 3840);
}

void TestScan::foreignColourIsZero()
{
    // Dots 0..7 of the top row: on, a colour that is neither palette entry,
    // on, the on colour with a stray high byte, then off.
    PixelRaster raster(240, 128, kOff);
    raster.set(0, 0, 0x0000FF);
    raster.set(1, 0, 0x123456);
    raster.set(2, 0, 0x0000FF);
    raster.set(3, 0, 0x010000FF);
    QCOMPARE(item(convertToText(raster, 0x0000FF), 0), QString("05"));
}

void TestScan::rowsInOrder()
{
    const PixelRaster pixels(240, 128, kOff);
    CountingRaster raster(pixels);
    RecordingSinks sinks;
    scanPicture(raster, kOn, setRange(240, 128), 240, 128, sinks, sinks);
    std::vector<int> expected(128);
    for (int y = 0; y < 128; ++y)
        expected[std::size_t(y)] = y;
    QCOMPARE(raster.rows, expected);
    QCOMPARE(sinks.lines, 480);
}

void TestScan::progressSteps()
{
    RecordingSinks sinks;
    scanPicture(PixelRaster(240, 128, kOn), kOn, setRange(240, 128), 240, 128, sinks, sinks);

    std::vector<int> expected(100);
    for (int i = 0; i < 100; ++i)
        expected[std::size_t(i)] = i + 1;
    QCOMPARE(sinks.steps, expected);
    // One step every 307 pixels: step n arrives after pixel 307 n, when
    // (307 n) / 8 bytes and so (307 n) / 64 whole lines are written.
    QCOMPARE(sinks.linesAtStep[0], 4);    // pixel 307: 38 bytes
    QCOMPARE(sinks.linesAtStep[1], 9);    // pixel 614: 76 bytes
    QCOMPARE(sinks.linesAtStep[49], 239); // pixel 15,350: 1,918 bytes
    QCOMPARE(sinks.linesAtStep[99], 479); // pixel 30,700: 3,837 bytes
    QCOMPARE(sinks.lines, 480);
}

void TestScan::overflow_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("width 40000 leaves the 16-bit range") << 40000 << 128;
    QTest::newRow("height 40000 leaves the 16-bit range") << 240 << 40000;
    QTest::newRow("width -32768 gives -32769") << -32768 << 128;
}

void TestScan::overflow()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QVERIFY_THROWS_EXCEPTION(Failure, setRange(width, height));
}

void TestScan::pixelTotalOverflow()
{
    RecordingSinks sinks;
    const ScanRange range {0, 7, 0, 0};
    QVERIFY_THROWS_EXCEPTION(Failure, scanPicture(PixelRaster(8, 1), kOn, range, 50000, 50000, sinks, sinks));
    QCOMPARE(sinks.lines, 0);
}

void TestScan::rasterSmallerThanRange()
{
    RecordingSinks sinks;
    QVERIFY_THROWS_EXCEPTION(Failure, scanPicture(PixelRaster(240, 64, kOn), kOn, setRange(240, 128), 240, 128,
                                                  sinks, sinks));
    QCOMPARE(sinks.lines, 240); // the 64 rows that are there were written
}

QTEST_APPLESS_MAIN(TestScan)
#include "test_scan.moc"
