// The data file's item and line format and its naming rule.

#include "convert/data_file.h"

#include <QtTest>

#include <array>

using namespace quellbit;

class TestDataFile : public QObject {
    Q_OBJECT

private slots:
    void item_data();
    void item();
    void line_data();
    void line();
    void fileName_data();
    void fileName();
    void filePath_data();
    void filePath();
};

void TestDataFile::item_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero is two zeros") << 0x00 << "00";
    QTest::newRow("below 16 gets a leading zero") << 0x0F << "0F";
    QTest::newRow("16 is 10") << 0x10 << "10";
    QTest::newRow("letters are upper case") << 0xAB << "AB";
    QTest::newRow("255 is FF") << 0xFF << "FF";
}

void TestDataFile::item()
{
    QFETCH(int, value);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(hexByte(std::uint8_t(value))), text);
}

void TestDataFile::line_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("mixed bytes, last item closed by H;")
        << QByteArray::fromHex("001FFF8000003C01") << QByteArray("        DB 00H,1FH,FFH,80H,00H,00H,3CH,01H;\r\n");
    QTest::newRow("all zero") << QByteArray(8, '\0') << QByteArray("        DB 00H,00H,00H,00H,00H,00H,00H,00H;\r\n");
    QTest::newRow("all set") << QByteArray(8, '\xFF') << QByteArray("        DB FFH,FFH,FFH,FFH,FFH,FFH,FFH,FFH;\r\n");
}

void TestDataFile::line()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, text);
    std::array<std::uint8_t, kItemsPerLine> items {};
    for (int i = 0; i < kItemsPerLine; ++i)
        items[std::size_t(i)] = std::uint8_t(bytes[i]);
    const std::string line = dataLine(items);
    QCOMPARE(QByteArray::fromStdString(line), text);
    QCOMPARE(line.size(), std::size_t(45));
}

void TestDataFile::fileName_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("data");
    QTest::newRow("logo.bmp gives lcd_logo.txt") << "logo.bmp" << "lcd_logo.txt";
    QTest::newRow("LOGO.BMP gives lower-case .txt") << "LOGO.BMP" << "lcd_LOGO.txt";
    QTest::newRow("mixed case .Bmp is replaced") << "Logo.Bmp" << "lcd_Logo.txt";
    QTest::newRow("every .bmp is replaced, not only the last") << "a.bmp.bmp" << "lcd_a.txt.txt";
    QTest::newRow(".bmp in the middle is replaced too") << "x.bmpy.png" << "lcd_x.txty.png";
    QTest::newRow("a name without .bmp is kept") << "picture.dib" << "lcd_picture.dib";
    QTest::newRow("bmp without the dot is kept") << "bmp" << "lcd_bmp";
    QTest::newRow("an empty name gives lcd_") << "" << "lcd_";
}

void TestDataFile::fileName()
{
    QFETCH(QString, picture);
    QFETCH(QString, data);
    QCOMPARE(QString::fromStdString(dataFileName(picture.toStdString())), data);
}

void TestDataFile::filePath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("path");
    QTest::newRow("folder, separator, data file name") << "/pics" << "logo.bmp" << "/pics/lcd_logo.txt";
    QTest::newRow("folder ending in a separator gives a doubled one") << "/" << "logo.bmp" << "//lcd_logo.txt";
    QTest::newRow("folder path is taken as it stands") << "/a/./b/" << "x.BMP" << "/a/./b//lcd_x.txt";
}

void TestDataFile::filePath()
{
    QFETCH(QString, folder);
    QFETCH(QString, picture);
    QFETCH(QString, path);
    QCOMPARE(QString::fromStdString(dataFilePath(folder.toStdString(), picture.toStdString())), path);
}

QTEST_APPLESS_MAIN(TestDataFile)
#include "test_data_file.moc"
