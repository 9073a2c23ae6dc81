// Reading a data file back: line decoding, plotting in groups of eight, the
// reading loop over a file, and the round trip from a picture to its dots.

#include "common/failure.h"
#include "convert/scan.h"
#include "preview/plot.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <random>
#include <vector>

using namespace quellbit;

namespace {

constexpr std::int32_t kUntouched = -1;
constexpr std::int32_t kBackground = 0x0000FF;
constexpr char kAllSet[] = "        DB FFH,FFH,FFH,FFH,FFH,FFH,FFH,FFH;\r\n";
constexpr char kAllClear[] = "        DB 00H,00H,00H,00H,00H,00H,00H,00H;\r\n";

// A 240 x 128 surface that remembers every dot and every write outside it.
class RecordingSurface final : public Surface {
public:
    RecordingSurface() : dots(240 * 128, kUntouched) { }
    void clear() override
    {
        ++clears;
        std::fill(dots.begin(), dots.end(), kBackground);
    }
    void setPixels(std::int32_t x, std::int32_t y, std::span<const std::int32_t> colors) override
    {
        for (std::size_t i = 0; i < colors.size(); ++i) {
            const std::int32_t column = x + std::int32_t(i);
            if (column < 0 || column >= 240 || y < 0 || y >= 128)
                ++outside;
            else
                dots[std::size_t(y * 240 + column)] = colors[i];
        }
    }
    std::int32_t at(int x, int y) const { return dots[std::size_t(y * 240 + x)]; }
    // How many dots from (0, 0) on, row by row, have this colour in a run.
    int runOf(std::int32_t color) const
    {
        int n = 0;
        while (n < int(dots.size()) && dots[std::size_t(n)] == color)
            ++n;
        return n;
    }

    std::vector<std::int32_t> dots;
    int clears = 0;
    int outside = 0;
};

QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath("lcd_test.txt");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

} // namespace

class TestPlot : public QObject {
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void plotGroups_data();
    void plotGroups();
    void plotContinuesAcrossCalls();
    void plotWrapsAtRowEnd();
    void pendingRowMoveOnEmptyString();
    void nothingBelowLastRow();
    void loadFile_data();
    void loadFile();
    void spacesLineIsDecoded();
    void shortLineFails();
    void missingFileFailsAfterClear();
    void roundTrip_data();
    void roundTrip();
};

void TestPlot::decode_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("bits");
    const QString example = "0000000110000000111111110000000000001111111100000011110010100101";
    QTest::newRow("eight items give 64 bits, most significant first")
        << "        DB 01H,80H,FFH,00H,0FH,F0H,3CH,A5H;" << example;
    QTest::newRow("lower-case digits and h, decode alike")
        << "        DB 01h,80h,ffh,00h,0fh,f0h,3ch,a5h;" << example;
    QTest::newRow("a single-digit item gives four bits and shifts the rest")
        << "        DB FH,01H,80H;" << "11110000000110000000";
    QTest::newRow("exactly 13 characters give nothing") << "        DB H;" << "";
    QTest::newRow("the cut characters are not checked") << "xxxxxxxxxxx01H,80Hzz" << "0000000110000000H";
    QTest::newRow("an H without a comma stays") << "        DB 1HH,2H;" << "0001H0010";
    QTest::newRow("spaces pass through") << QString(15, ' ') << "  ";
}

void TestPlot::decode()
{
    QFETCH(QString, line);
    QFETCH(QString, bits);
    QCOMPARE(QString::fromStdString(decodeLine(line.toStdString())), bits);
}

void TestPlot::plotGroups_data()
{
    QTest::addColumn<QString>("bits");
    QTest::addColumn<QString>("dots"); // first dots of row 0: 1 black, 0 green, . untouched
    QTest::addColumn<int>("endX");
    QTest::newRow("01H lights the leftmost dot of its group") << "00000001" << "10000000." << 8;
    QTest::newRow("80H lights the eighth dot of its group") << "10000000" << "00000001." << 8;
    QTest::newRow("a last group of fewer than eight is not plotted") << "0000000111111" << "10000000." << 8;
    QTest::newRow("a string of seven plots nothing") << "1111111" << "........." << 0;
    QTest::newRow("other characters plot nothing but take their place") << "x0000001" << "1000000.." << 8;
    QTest::newRow("two groups") << "0000001110000000" << "1100000000000001." << 16;
}

void TestPlot::plotGroups()
{
    QFETCH(QString, bits);
    QFETCH(QString, dots);
    QFETCH(int, endX);
    RecordingSurface surface;
    PlotState state;
    plotBits(bits.toStdString(), state, surface, 240, 128);
    for (int x = 0; x < dots.size(); ++x) {
        const std::int32_t expected = dots[x] == '1' ? kDotOnColor : dots[x] == '0' ? kDotOffColor : kUntouched;
        QCOMPARE(surface.at(x, 0), expected);
    }
    QCOMPARE(int(state.PlotX), endX);
    QCOMPARE(int(state.PlotRow), 0);
}

void TestPlot::plotContinuesAcrossCalls()
{
    RecordingSurface surface;
    PlotState state;
    plotBits("00000001111", state, surface, 240, 128); // 3 characters dropped
    plotBits("00000010", state, surface, 240, 128);
    QCOMPARE(surface.at(0, 0), kDotOnColor);
    QCOMPARE(surface.at(8, 0), kDotOffColor);
    QCOMPARE(surface.at(9, 0), kDotOnColor);
    QCOMPARE(surface.at(16, 0), kUntouched);
    QCOMPARE(int(state.PlotX), 16);
}

void TestPlot::plotWrapsAtRowEnd()
{
    RecordingSurface surface;
    PlotState state {236, 0};
    plotBits("1000000100000011", state, surface, 240, 128);
    // First group: bit 0 (1) at 236, bit 7 (1) at 243 -> row 1 column 3.
    QCOMPARE(surface.at(236, 0), kDotOnColor);
    QCOMPARE(surface.at(239, 0), kDotOffColor);
    QCOMPARE(surface.at(3, 1), kDotOnColor);
    QCOMPARE(surface.at(4, 1), kDotOnColor);  // second group, bit 0
    QCOMPARE(surface.at(5, 1), kDotOnColor);  // bit 1
    QCOMPARE(surface.at(6, 1), kDotOffColor); // bit 2
    QCOMPARE(int(state.PlotX), 12);
    QCOMPARE(int(state.PlotRow), 1);
    QCOMPARE(surface.outside, 0);
}

void TestPlot::pendingRowMoveOnEmptyString()
{
    RecordingSurface surface;
    PlotState state {240, 5};
    plotBits("", state, surface, 240, 128);
    QCOMPARE(int(state.PlotX), 0);
    QCOMPARE(int(state.PlotRow), 6);
    QCOMPARE(surface.runOf(kUntouched), 240 * 128);
}

void TestPlot::nothingBelowLastRow()
{
    RecordingSurface surface;
    PlotState state {240, 127};
    plotBits("11111111", state, surface, 240, 128);
    QCOMPARE(int(state.PlotRow), 128);
    QCOMPARE(surface.runOf(kUntouched), 240 * 128);
    QCOMPARE(surface.outside, 0);
}

void TestPlot::loadFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("blackRun"); // black dots from (0, 0) on
    QTest::addColumn<int>("greenRun"); // then green dots
    const QByteArray set(kAllSet);
    const QByteArray clear(kAllClear);

    QTest::newRow("480 lines fill the whole area") << set.repeated(480) << 30720 << 0;
    QTest::newRow("lines beyond 480 are ignored") << set.repeated(480) + clear.repeated(5) << 30720 << 0;
    QTest::newRow("two lines plot 128 dots, the rest keeps the background") << set.repeated(2) << 128 << 0;
    QTest::newRow("empty lines are skipped") << "\r\n\r\n" + set + "\r\n" + set + "\r\n\r\n" << 128 << 0;
    QTest::newRow("LF-only line ends") << QByteArray(kAllSet).replace("\r\n", "\n").repeated(2) + clear << 128 << 64;
    QTest::newRow("CR-only line ends") << QByteArray(kAllSet).replace("\r\n", "\r").repeated(2) + clear << 128 << 64;
    QTest::newRow("no line end after the last line") << set + set.left(43) << 128 << 0;
    // Five leading LFs put a CR LF at bytes 16383 and 16384.
    QTest::newRow("leading empty lines, then 480 lines") << QByteArray(5, '\n') + set.repeated(480) << 30720 << 0;
    QByteArray mixed;
    const char *ends[] = {"\r\n", "\n", "\r", "\r\n\r\n", "\n\n\r"};
    for (int i = 0; i < 480; ++i)
        mixed += set.left(43) + ends[i % 5];
    QTest::newRow("every kind of line end mixed in one file") << mixed << 30720 << 0;
    QTest::newRow("an empty file plots nothing") << QByteArray() << 0 << 0;
}

void TestPlot::loadFile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, blackRun);
    QFETCH(int, greenRun);
    QTemporaryDir dir;
    const QString path = writeFile(dir, content);
    QVERIFY(!path.isEmpty());

    RecordingSurface surface;
    PlotState state {17, 3};
    loadPreview(path.toStdString(), state, surface, 240, 128);
    QCOMPARE(surface.clears, 1);
    QCOMPARE(surface.outside, 0);
    QCOMPARE(surface.runOf(kDotOnColor), blackRun);
    const auto rest = std::vector<std::int32_t>(surface.dots.begin() + blackRun, surface.dots.end());
    int green = 0;
    while (green < int(rest.size()) && rest[std::size_t(green)] == kDotOffColor)
        ++green;
    QCOMPARE(green, greenRun);
    // Everything after the plotted dots is background.
    for (std::size_t i = std::size_t(green); i < rest.size(); ++i)
        QCOMPARE(rest[i], kBackground);
}

void TestPlot::spacesLineIsDecoded()
{
    // 21 spaces cut to 8: a group that plots nothing but takes eight dots.
    QTemporaryDir dir;
    const QString path = writeFile(dir, QByteArray(21, ' ') + "\r\n" + kAllSet);
    RecordingSurface surface;
    PlotState state;
    loadPreview(path.toStdString(), state, surface, 240, 128);
    QCOMPARE(surface.runOf(kBackground), 8);
    QCOMPARE(surface.at(8, 0), kDotOnColor);
    QCOMPARE(surface.at(71, 0), kDotOnColor);
    QCOMPARE(surface.at(72, 0), kBackground);
}

void TestPlot::shortLineFails()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QByteArray(kAllSet) + "\r\n" + kAllSet + "        DB\r\n" + kAllClear);
    RecordingSurface surface;
    PlotState state;
    try {
        loadPreview(path.toStdString(), state, surface, 240, 128);
        QFAIL("a 10-character line was decoded");
    } catch (const Failure &failure) {
        QCOMPARE(QString::fromStdString(failure.file()), path);
        QVERIFY2(failure.reason().find("line 4 ") != std::string::npos, failure.what());
    }
    // The dots of the two lines before stay; nothing after them was plotted.
    QCOMPARE(surface.runOf(kDotOnColor), 128);
    QCOMPARE(surface.at(128 % 240, 0), kBackground);
}

void TestPlot::missingFileFailsAfterClear()
{
    QTemporaryDir dir;
    RecordingSurface surface;
    PlotState state {100, 100};
    const std::string path = dir.filePath("lcd_missing.txt").toStdString();
    try {
        loadPreview(path, state, surface, 240, 128);
        QFAIL("a missing file was read");
    } catch (const Failure &failure) {
        QCOMPARE(failure.file(), path);
    }
    QCOMPARE(surface.clears, 1);
    QCOMPARE(surface.runOf(kBackground), 240 * 128);
    QCOMPARE(int(state.PlotX), 0);
    QCOMPARE(int(state.PlotRow), 0);
}

void TestPlot::roundTrip_data()
{
    QTest::addColumn<unsigned>("pictureNumber");
    QTest::addColumn<int>("percentOn");
    QTest::newRow("random dots, half on") << 1u << 50;
    QTest::newRow("random dots, few on") << 2u << 3;
    QTest::newRow("random dots, most on") << 3u << 97;
}

void TestPlot::roundTrip()
{
    QFETCH(unsigned, pictureNumber);
    QFETCH(int, percentOn);
    std::mt19937 random(pictureNumber);
    constexpr std::int32_t on = 0x336699;
    PixelRaster raster(240, 128, 0xFFFFFF);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 240; ++x)
            if (int(random() % 100) < percentOn)
                raster.set(x, y, on);

    QTemporaryDir dir;
    const QString path = writeFile(dir, QByteArray::fromStdString(convertToText(raster, on)));
    QVERIFY(!path.isEmpty());
    RecordingSurface surface;
    PlotState state;
    loadPreview(path.toStdString(), state, surface, 240, 128);
    QCOMPARE(surface.outside, 0);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 240; ++x)
            QCOMPARE(surface.at(x, y), raster.at(x, y) == on ? kDotOnColor : kDotOffColor);
}

QTEST_APPLESS_MAIN(TestPlot)
#include "test_plot.moc"
