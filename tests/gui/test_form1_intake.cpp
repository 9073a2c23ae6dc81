// The double-click on a file and the Convert command in the main window:
// accepted and rejected pictures, the data file written in Normal and
// Inverse, the progress read-out, and failures reported without ending the
// program.

#include "convert/scan.h"
#include "test_form1_support.h"

#include <QDir>

using namespace quellbit;
using form1test::BoxSeen;
using form1test::BoxWatcher;

namespace {

const QString kPrompt = QStringLiteral("Picture Resolution is limit to 240 x 128 pixels (Width x Height) and \r\n"
                                       "2 Colors Bitmap.");

// Records the progress read-out's text each time it is painted.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QLabel *label) : label_(label) { label->installEventFilter(this); }
    QStringList shown;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == label_ && event->type() == QEvent::Paint
            && (shown.isEmpty() || shown.last() != label_->text()))
            shown << label_->text();
        return false;
    }

private:
    QLabel *label_;
};

bool isNoPictureState(const Form1 &w)
{
    return !w.PreviewPic->hasPicture() && w.HeightValue->text().isEmpty() && w.WidthValue->text().isEmpty()
        && w.ColorValue->text().isEmpty() && !w.ConvertButton->isEnabled() && !w.PreviewButton->isEnabled()
        && w.NormalOption->isChecked() && !w.InverseOption->isEnabled() && w.ProgressPer->text() == "0"
        && w.ConvertStatus == "F" && OutFilePath.isEmpty();
}

} // namespace

class TestForm1Intake : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { w.reset(); }

    void acceptedPictureIsShown_data();
    void acceptedPictureIsShown();
    void rejectedPictureIsExplained_data();
    void rejectedPictureIsExplained();

    void convertWritesTheDataFile_data();
    void convertWritesTheDataFile();
    void normalAndInverseAreComplements();
    void convertingTwiceGivesTheSameFile();
    void progressTakesEveryStepInOrder();

    void intakeFailuresAreReported_data();
    void intakeFailuresAreReported();
    void convertFailureKeepsTheEarlierFile();
    void convertFailureWhenAFolderTakesTheName();

private:
    QString pics() const { return QDir::cleanPath(tmp->path() + "/pics"); }
    void acceptA()
    {
        form1test::accept(*w, pics(), "a.bmp");
        QVERIFY(w->ConvertButton->isEnabled());
    }
    std::unique_ptr<QTemporaryDir> tmp;
    std::unique_ptr<Form1> w;
};

void TestForm1Intake::init()
{
    tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(tmp->isValid());
    QVERIFY(QDir(tmp->path()).mkpath("pics"));
    QVERIFY(form1test::makePictures(pics()));
    w = form1test::startWindow();
    QVERIFY(w);
}

void TestForm1Intake::acceptedPictureIsShown_data()
{
    QTest::addColumn<int>("infoSize");
    QTest::addColumn<bool>("swapped");
    QTest::newRow("40-byte header, red listed first") << 40 << false;
    QTest::newRow("108-byte header, blue listed first") << 108 << true;
    QTest::newRow("124-byte header, red listed first") << 124 << false;
}

void TestForm1Intake::acceptedPictureIsShown()
{
    QFETCH(int, infoSize);
    QFETCH(bool, swapped);
    testbmp::Spec1 spec;
    spec.infoSize = std::uint32_t(infoSize);
    const testbmp::Rgb red {200, 0, 0, 0};
    const testbmp::Rgb blue {0, 0, 180, 0};
    spec.palette = swapped ? std::vector<testbmp::Rgb> {blue, red} : std::vector<testbmp::Rgb> {red, blue};
    spec.pixel = [](int x, int y) { return (x == 239 && y == 0) ? 1 : 0; };
    QVERIFY(form1test::writeBitmap(pics() + "/PIC.BMP", spec));

    form1test::accept(*w, pics(), "PIC.BMP");
    QVERIFY(w->PreviewPic->hasPicture());
    QCOMPARE(w->HeightValue->text(), QStringLiteral("128"));
    QCOMPARE(w->WidthValue->text(), QStringLiteral("240"));
    QCOMPARE(w->ColorValue->text(), QStringLiteral("1 Bits  (2 Colors)"));
    const int first = swapped ? 180 * 65536 : 200;
    const int second = swapped ? 200 : 180 * 65536;
    QCOMPARE(colorValue(w->Palette0), first);
    QCOMPARE(colorValue(w->Palette1), second);
    // Natural size, top row at the top of the inner area.
    QCOMPARE(w->PreviewPic->point(0, 0), first);
    QCOMPARE(w->PreviewPic->point(239, 0), second);
    QCOMPARE(w->PreviewPic->point(239, 127), first);
    QCOMPARE(OutFilePath, pics() + "/lcd_PIC.txt");
}

void TestForm1Intake::rejectedPictureIsExplained_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bits");
    QTest::newRow("too narrow") << 100 << 128 << 1;
    QTest::newRow("too low") << 240 << 64 << 1;
    QTest::newRow("4 bits per pixel") << 240 << 128 << 4;
    QTest::newRow("8 bits per pixel") << 240 << 128 << 8;
    QTest::newRow("24 bits per pixel") << 240 << 128 << 24;
    QTest::newRow("top-down rows") << 240 << -128 << 1;
}

void TestForm1Intake::rejectedPictureIsExplained()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bits);
    testbmp::Spec1 spec;
    spec.width = width;
    spec.height = height;
    spec.bitCount = std::int16_t(bits);
    if (bits == 24)
        spec.palette.clear();
    QVERIFY(form1test::writeBitmap(pics() + "/bad.bmp", spec));

    acceptA();
    BoxWatcher watcher([this](BoxSeen &seen) {
        seen.pictureStillShown = w->PreviewPic->hasPicture();
        seen.heightWhileOpen = w->HeightValue->text();
    });
    form1test::accept(*w, pics(), "bad.bmp");
    const BoxSeen &seen = watcher.seen;
    QVERIFY(seen.seen);
    QCOMPARE(seen.title, QStringLiteral("Picture Size Error"));
    QCOMPARE(seen.text, kPrompt);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QVERIFY(seen.pictureStillShown);
    QCOMPARE(seen.heightWhileOpen, QStringLiteral("128"));
    QVERIFY(isNoPictureState(*w));
}

void TestForm1Intake::convertWritesTheDataFile_data()
{
    QTest::addColumn<bool>("inverse");
    QTest::addColumn<QByteArray>("firstLine");
    QTest::addColumn<QByteArray>("otherLines");
    // a.bmp: black (the first palette entry) at (0, 0) and (15, 0) only.
    QTest::newRow("Normal: black pixels are 1 bits")
        << false << QByteArray("        DB 01H,80H,00H,00H,00H,00H,00H,00H;\r\n")
        << QByteArray("        DB 00H,00H,00H,00H,00H,00H,00H,00H;\r\n");
    QTest::newRow("Inverse: white pixels are 1 bits")
        << true << QByteArray("        DB FEH,7FH,FFH,FFH,FFH,FFH,FFH,FFH;\r\n")
        << QByteArray("        DB FFH,FFH,FFH,FFH,FFH,FFH,FFH,FFH;\r\n");
}

void TestForm1Intake::convertWritesTheDataFile()
{
    QFETCH(bool, inverse);
    QFETCH(QByteArray, firstLine);
    QFETCH(QByteArray, otherLines);
    acceptA();
    if (inverse)
        QTest::mouseClick(w->InverseOption, Qt::LeftButton);
    QCOMPARE(w->InverseOption->isChecked(), inverse);
    QTest::mouseClick(w->ConvertButton, Qt::LeftButton);

    const QByteArray file = form1test::readAll(pics() + "/lcd_a.txt");
    QCOMPARE(file.size(), 480 * 45);
    QCOMPARE(file.left(45), firstLine);
    QCOMPARE(file.mid(45), otherLines.repeated(479));

    // The same as the core's own conversion of the same picture.
    PixelRaster raster(240, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 240; ++x)
            raster.set(x, y, form1test::sparsePixel(x, y) ? 0xFFFFFF : 0);
    QCOMPARE(file.toStdString(), convertToText(raster, inverse ? 0xFFFFFF : 0));
    QCOMPARE(w->StatusValue->text(), QStringLiteral("Successed"));
    QCOMPARE(w->ProgressPer->text(), QStringLiteral("100"));
}

void TestForm1Intake::normalAndInverseAreComplements()
{
    form1test::accept(*w, pics(), "b.bmp"); // alternating columns
    w->ConvertButton_Click();
    const QByteArray normal = form1test::readAll(pics() + "/lcd_b.txt");
    w->InverseOption->setChecked(true);
    w->ConvertButton_Click();
    const QByteArray inverse = form1test::readAll(pics() + "/lcd_b.txt");
    QCOMPARE(normal.size(), 21600);
    QCOMPARE(normal.left(45), QByteArray("        DB 55H,55H,55H,55H,55H,55H,55H,55H;\r\n"));
    QCOMPARE(inverse.left(45), QByteArray("        DB AAH,AAH,AAH,AAH,AAH,AAH,AAH,AAH;\r\n"));
    for (int line = 0; line < 480; ++line)
        for (int item = 0; item < 8; ++item) {
            const int at = line * 45 + 11 + item * 4;
            const int a = normal.mid(at, 2).toInt(nullptr, 16);
            const int b = inverse.mid(at, 2).toInt(nullptr, 16);
            QCOMPARE(a ^ b, 0xFF);
        }
}

void TestForm1Intake::convertingTwiceGivesTheSameFile()
{
    acceptA();
    w->ConvertButton_Click();
    const QByteArray once = form1test::readAll(pics() + "/lcd_a.txt");
    w->ConvertButton_Click();
    QCOMPARE(form1test::readAll(pics() + "/lcd_a.txt"), once);
    QCOMPARE(QDir(pics()).entryList(QDir::Files).size(), 4); // a, b, small and one data file
}

void TestForm1Intake::progressTakesEveryStepInOrder()
{
    acceptA();
    QCoreApplication::processEvents();
    PaintRecorder recorder(w->ProgressPer);
    w->ConvertButton_Click();
    QStringList expected;
    for (int i = 1; i <= 100; ++i)
        expected << QString::number(i);
    QCOMPARE(recorder.shown, expected);
}

void TestForm1Intake::intakeFailuresAreReported_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reasonPart");
    QByteArray cut = testbmp::build({});
    cut.chop(2000);
    QTest::newRow("a file too short for its headers") << "short.bmp" << QByteArray("BM\x10\x00", 4) << "short.bmp";
    QTest::newRow("pixel rows cut short") << "cut.bmp" << cut << "cut.bmp";
    QTest::newRow("nothing selected: the path names the folder") << "" << QByteArray() << "folder";
}

void TestForm1Intake::intakeFailuresAreReported()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reasonPart);
    if (!name.isEmpty())
        QVERIFY(testbmp::save(pics() + "/" + name, bytes));

    acceptA();
    w->Dir1->setPath(pics());
    w->File1->refresh();
    if (!name.isEmpty())
        QVERIFY(w->File1->selectFile(name));
    {
        BoxWatcher watcher;
        w->File1_DblClick();
        QVERIFY(watcher.seen.seen);
        QCOMPARE(watcher.seen.objectName, QStringLiteral("FailureBox"));
        QVERIFY2(watcher.seen.text.contains(reasonPart), qPrintable(watcher.seen.text));
        QVERIFY2(watcher.seen.text.contains(pics()), qPrintable(watcher.seen.text));
    }
    QVERIFY(isNoPictureState(*w));

    // The window goes on: a good picture is accepted and converted.
    acceptA();
    w->ConvertButton_Click();
    QCOMPARE(w->StatusValue->text(), QStringLiteral("Successed"));
}

void TestForm1Intake::convertFailureKeepsTheEarlierFile()
{
    acceptA();
    w->ConvertButton_Click();
    const QByteArray earlier = form1test::readAll(pics() + "/lcd_a.txt");
    QCOMPARE(earlier.size(), 21600);

    // A header taller than the picture shown: the scan runs out of rows at
    // row 129, after 129 * 240 = 30960 pixels, 64 steps of 480 pixels.
    BmpInfoHeader.biHeight = 200;
    w->InverseOption->setChecked(true);
    BoxWatcher watcher;
    w->ConvertButton_Click();
    QVERIFY(watcher.seen.seen);
    QCOMPARE(watcher.seen.objectName, QStringLiteral("FailureBox"));
    QCOMPARE(w->StatusValue->text(), QStringLiteral("Failed"));
    QCOMPARE(w->OutFileValue->text(), QString());
    QVERIFY(!w->PreviewButton->isEnabled());
    QCOMPARE(w->ProgressPer->text(), QStringLiteral("64"));
    QCOMPARE(w->ConvertStatus, QStringLiteral("F"));
    QCOMPARE(form1test::readAll(pics() + "/lcd_a.txt"), earlier);
    QCOMPARE(QDir(pics()).entryList({"lcd_*"}, QDir::Files | QDir::Hidden), QStringList("lcd_a.txt"));
}

void TestForm1Intake::convertFailureWhenAFolderTakesTheName()
{
    QVERIFY(QDir(pics()).mkdir("lcd_a.txt"));
    acceptA();
    BoxWatcher watcher;
    QTest::mouseClick(w->ConvertButton, Qt::LeftButton);
    QVERIFY(watcher.seen.seen);
    QVERIFY2(watcher.seen.text.contains(pics() + "/lcd_a.txt"), qPrintable(watcher.seen.text));
    QCOMPARE(w->StatusValue->text(), QStringLiteral("Failed"));
    QCOMPARE(w->OutFileValue->text(), QString());
    QVERIFY(!w->PreviewButton->isEnabled());
    QVERIFY(w->ConvertButton->isEnabled());
    QVERIFY(QFileInfo(pics() + "/lcd_a.txt").isDir());

    // Still usable: once the folder is gone the conversion succeeds.
    QVERIFY(QDir(pics()).rmdir("lcd_a.txt"));
    QTest::mouseClick(w->ConvertButton, Qt::LeftButton);
    QCOMPARE(w->StatusValue->text(), QStringLiteral("Successed"));
}

QTEST_MAIN(TestForm1Intake)
#include "test_form1_intake.moc"
