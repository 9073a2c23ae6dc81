// A picture to its data file and back: the naming rule, the scan into lines
// (bit order, layout, progress, overflow) and reading a data file into dots.

#include "common/failure.h"
#include "convert/data_file.h"
#include "convert/scan.h"
#include "preview/plot.h"
#include "support/bmp_writer.h"

#include <QTemporaryDir>
#include <QtTest>

#include <numeric>
#include <random>
#include <vector>

using namespace quellbit;

namespace {

constexpr std::int32_t kOn = 0x000000;
constexpr std::int32_t kOff = 0xFFFFFF;
constexpr std::int32_t kBackground = 0x0000FF;
const QByteArray kAllSet = "        DB FFH,FFH,FFH,FFH,FFH,FFH,FFH,FFH;\r\n";
const QByteArray kAllClear = "        DB 00H,00H,00H,00H,00H,00H,00H,00H;\r\n";

// Item k (from 0) of the stream as written in the text: line k / 8, item k % 8.
QString item(const std::string &text, int k)
{
    return QString::fromStdString(text.substr(std::size_t(k / 8 * 45 + 11 + k % 8 * 4), 2));
}

// Notes the lines written so far at each progress step.
struct RecordingSinks final : OutputSink, ProgressSink {
    void writeLine(std::string_view) override { ++lines; }
    void progress(std::int16_t percent) override
    {
        steps.push_back(percent);
        linesAtStep.push_back(lines);
    }
    int lines = 0;
    std::vector<int> steps, linesAtStep;
};

// A 240 x 128 surface that keeps its dots; a dot outside it is an error.
struct RecordingSurface final : Surface {
    void clear() override { dots.assign(240 * 128, kBackground); }
    void setPixels(std::int32_t x, std::int32_t y, std::span<const std::int32_t> colors) override
    {
        if (x < 0 || y < 0 || y >= 128 || x + std::int32_t(colors.size()) > 240)
            throw std::out_of_range("a dot outside the surface");
        std::copy(colors.begin(), colors.end(), dots.begin() + y * 240 + x);
    }
    std::vector<std::int32_t> dots = std::vector<std::int32_t>(240 * 128, -1);
    QString path;
    QString failure; // what a Failure said
};

// Plots a data file of these bytes.
RecordingSurface plotFile(const QByteArray &bytes)
{
    static QTemporaryDir dir;
    RecordingSurface surface;
    surface.path = dir.filePath("lcd_test.txt");
    if (!testbmp::save(surface.path, bytes))
        qFatal("cannot write %s", qPrintable(surface.path));
    PlotState state {17, 3};
    try {
        loadPreview(surface.path.toStdString(), state, surface, 240, 128);
    } catch (const Failure &f) {
        surface.failure = QString::fromStdString(f.what());
    }
    return surface;
}

} // namespace

class TestConvert : public QObject {
    Q_OBJECT

private slots:
    void naming_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("path");
        QTest::newRow("logo.bmp gives lcd_logo.txt") << "/pics" << "logo.bmp" << "/pics/lcd_logo.txt";
        QTest::newRow("LOGO.BMP gives lcd_LOGO.txt") << "/pics" << "LOGO.BMP" << "/pics/lcd_LOGO.txt";
        QTest::newRow("every .bmp is replaced") << "/pics" << "a.bmp.bmp" << "/pics/lcd_a.txt.txt";
        QTest::newRow("a name without .bmp is kept") << "/pics" << "picture.dib" << "/pics/lcd_picture.dib";
        QTest::newRow("an empty name gives lcd_") << "/pics" << "" << "/pics/lcd_";
        QTest::newRow("the root folder gives a doubled separator") << "/" << "logo.bmp" << "//lcd_logo.txt";
    }
    void naming()
    {
        QFETCH(QString, folder);
        QFETCH(QString, picture);
        QFETCH(QString, path);
        QCOMPARE(QString::fromStdString(dataFilePath(folder.toStdString(), picture.toStdString())), path);
    }

    void scan_data()
    {
        QTest::addColumn<int>("fill");
        QTest::addColumn<int>("x"); // the one dot of the other colour; -1: none
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("value");
        QTest::newRow("every dot on gives FFH throughout") << kOn << -1 << 0 << -1 << "";
        QTest::newRow("no dot on gives 00H throughout") << kOff << -1 << 0 << -1 << "";
        QTest::newRow("leftmost dot is bit 0 of byte 0") << kOff << 0 << 0 << 0 << "01";
        QTest::newRow("rightmost dot is bit 7 of byte 29") << kOff << 239 << 0 << 29 << "80";
        QTest::newRow("second row starts at bit 0 of byte 30") << kOff << 0 << 1 << 30 << "01";
        QTest::newRow("bottom-right dot is bit 7 of the last byte") << kOff << 239 << 127 << 3839 << "80";
    }
    void scan()
    {
        QFETCH(int, fill);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, byte);
        QFETCH(QString, value);
        PixelRaster raster(240, 128, fill);
        if (x >= 0) {
            raster.set(x, y, kOn);
            raster.set((x + 120) % 240, y, 0x123456); // neither palette colour: off
        }
        const std::string text = convertToText(raster, kOn);
        QCOMPARE(text.size(), std::size_t(21600));
        for (int k = 0; k < 3840; ++k)
            QCOMPARE(item(text, k), k == byte ? value : fill == kOn ? "FF" : "00");
    }

    void firstLineExactly()
    {
        PixelRaster raster(240, 128, kOff);
        for (int x : {0, 15, 16, 17, 18, 19, 20, 21, 22, 23, 32, 33, 34, 35, 44, 45, 46, 47, 50, 51, 52, 53,
                      56, 58, 61, 63})
            raster.set(x, 0, kOn);
        QCOMPARE(QByteArray::fromStdString(convertToText(raster, kOn).substr(0, 90)),
                 "        DB 01H,80H,FFH,00H,0FH,F0H,3CH,A5H;\r\n" + kAllClear);
        // Inverse: the other colour on, each byte complemented.
        QCOMPARE(QByteArray::fromStdString(convertToText(raster, kOff).substr(0, 90)),
                 "        DB FEH,7FH,00H,FFH,F0H,0FH,C3H,5AH;\r\n" + kAllSet);
    }

    void progressSteps()
    {
        RecordingSinks sinks;
        scanPicture(PixelRaster(240, 128, kOn), kOn, setRange(240, 128), 240, 128, sinks, sinks);
        std::vector<int> expected(100);
        std::iota(expected.begin(), expected.end(), 1);
        QCOMPARE(sinks.steps, expected);
        // Step n arrives after pixel 307 n, when (307 n) / 64 whole lines are written.
        QCOMPARE(sinks.linesAtStep[0], 4);    // pixel 307
        QCOMPARE(sinks.linesAtStep[99], 479); // pixel 30,700
    }

    void overflow()
    {
        QVERIFY_THROWS_EXCEPTION(Failure, setRange(40000, 128));
        QVERIFY_THROWS_EXCEPTION(Failure, setRange(240, 40000));
        RecordingSinks sinks;
        const PixelRaster raster(8, 1);
        QVERIFY_THROWS_EXCEPTION(Failure, scanPicture(raster, kOn, {0, 7, 0, 0}, 50000, 50000, sinks, sinks));
    }

    void plot_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("dots");    // from (0, 0) on: 1 on, 0 off; every dot after is background
        QTest::addColumn<QString>("failure"); // how the message goes on after the file name
        const QString full(240 * 128, '1'), two(128, '1');
        const QString example = "1000000000000001111111110000000011110000000011110011110010100101";
        QTest::newRow("the example line, bit 0 of each byte leftmost")
            << QByteArray("        DB 01H,80H,FFH,00H,0FH,F0H,3CH,A5H;") << example << "";
        QTest::newRow("lower-case digits and h, plot alike")
            << QByteArray("        DB 01h,80h,ffh,00h,0fh,f0h,3ch,a5h;") << example << "";
        QTest::newRow("a single-digit item shifts the rest")
            << QByteArray("        DB FH,01H,80H;") << "0000111100011000" << "";
        QTest::newRow("13 characters plot nothing") << "        DB H;\r\n" + kAllSet << two.left(64) << "";
        QTest::newRow("a partial group is dropped, the next line continues")
            << QByteArray("        DB 01H,8H;\r\n        DB A5H;\r\n") << "1000000010100101" << "";
        QTest::newRow("lines beyond 480 are ignored") << kAllSet.repeated(480) + kAllClear << full << "";
        QTest::newRow("empty lines are skipped") << "\r\n\r\n" + kAllSet + "\r\n" + kAllSet << two << "";
        QTest::newRow("LF and CR line ends")
            << kAllSet.left(43) + '\n' + kAllSet.left(43) + '\r' + kAllClear << two + QString(64, '0') << "";
        QTest::newRow("no line end after the last line") << kAllSet + kAllSet.left(43) << two << "";
        // Five leading LFs put a CR LF across bytes 16383 and 16384.
        QTest::newRow("CR LF across 16 KiB") << QByteArray(5, '\n') + kAllSet.repeated(480) << full << "";
        QTest::newRow("a short line fails naming file and line, earlier dots stay")
            << kAllSet + "\r\n" + kAllSet + "        DB\r\n" + kAllClear << two << ": line 4 has 10";
        // A random picture (fixed generator) comes back dot for dot.
        std::mt19937 random(7);
        PixelRaster raster(240, 128, 0xFFFFFF);
        QString dots;
        for (int i = 0; i < 240 * 128; ++i) {
            dots += random() % 2 ? '1' : '0';
            raster.set(i % 240, i / 240, dots.back() == '1' ? 0x336699 : 0xFFFFFF);
        }
        QTest::newRow("round trip of a random picture")
            << QByteArray::fromStdString(convertToText(raster, 0x336699)) << dots << "";
    }
    void plot()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, dots);
        QFETCH(QString, failure);
        const RecordingSurface surface = plotFile(content);
        QCOMPARE(surface.failure.left(surface.path.size() + failure.size()),
                 failure.isEmpty() ? "" : surface.path + failure);
        for (int i = 0; i < 240 * 128; ++i)
            QCOMPARE(surface.dots[std::size_t(i)], i >= dots.size() ? kBackground
                                                       : dots[i] == '1' ? kDotOnColor : kDotOffColor);
    }
};

QTEST_APPLESS_MAIN(TestConvert)
#include "test_convert.moc"
