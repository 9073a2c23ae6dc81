// The main window's workflow: the navigation chain, the states of the window
// around a picture and a conversion, Reset, Exit and Preview, and the data
// file named after the accepted picture whatever the lists show later.

#include "test_form1_support.h"

#include <QDir>

using namespace quellbit;
using form1test::BoxWatcher;

namespace {

// The items of the state table, as one comparable line.
QString state(const Form1 &w)
{
    return QStringLiteral("pic=%1 h=%2 w=%3 c=%4 convert=%5 preview=%6 normal=%7 inverse=%8 progress=%9 "
                          "status=%10 out=%11 cs=%12 path=%13")
        .arg(w.PreviewPic->hasPicture())
        .arg(w.HeightValue->text(), w.WidthValue->text(), w.ColorValue->text())
        .arg(w.ConvertButton->isEnabled())
        .arg(w.PreviewButton->isEnabled())
        .arg(w.NormalOption->isChecked())
        .arg(w.InverseOption->isEnabled())
        .arg(w.ProgressPer->text(), w.StatusValue->text(), w.OutFileValue->text(), w.ConvertStatus, OutFilePath);
}

QString noPicture() { return "pic=0 h= w= c= convert=0 preview=0 normal=1 inverse=0 progress=0 status= out= cs=F path="; }

QString accepted(const QString &path)
{
    return "pic=1 h=128 w=240 c=1 Bits  (2 Colors) convert=1 preview=0 normal=1 inverse=1 progress=0 status= out= "
           "cs=F path="
        + path;
}

QString converted(const QString &path, bool normal = true)
{
    return QStringLiteral("pic=1 h=128 w=240 c=1 Bits  (2 Colors) convert=1 preview=1 normal=%1 inverse=1 "
                          "progress=100 status=Successed out=%2 cs=S path=%2")
        .arg(normal)
        .arg(path);
}

} // namespace

class TestForm1Workflow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { w.reset(); }

    void driveLeadsDirectoryLeadsFiles();
    void browsingChangesNoState();
    void stateTableThroughTheButtons();
    void resetInNoPictureStateOnlySetsTheStatus();
    void resetKeepsTheDataFileAndTheLists();
    void acceptingAgainClearsAConversion();
    void switchingOptionsKeepsTheResult();
    void convertWithoutAOneBitHeaderFails();
    void outputFollowsTheAcceptedPicture_data();
    void outputFollowsTheAcceptedPicture();
    void previewIsModalOwnedAndFreshEachTime();
    void exitClosesTheWindow();

private:
    QString pics() const { return QDir::cleanPath(tmp->path() + "/pics"); }
    std::unique_ptr<QTemporaryDir> tmp;
    std::unique_ptr<Form1> w;
};

void TestForm1Workflow::init()
{
    tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(tmp->isValid());
    QVERIFY(QDir(tmp->path()).mkpath("pics"));
    QVERIFY(QDir(tmp->path()).mkpath("other/deeper"));
    QVERIFY(form1test::makePictures(pics()));
    QVERIFY(form1test::writeBitmap(tmp->path() + "/other/UPPER.BMP", {}));
    w = form1test::startWindow();
    QVERIFY(w);
}

void TestForm1Workflow::driveLeadsDirectoryLeadsFiles()
{
    const QString other = QDir::cleanPath(tmp->path() + "/other");
    // A drive at the temporary folder: choosing it leads the directory list
    // to its root and the file list to that folder's bitmaps.
    w->Drive1->setDrive(other);
    QCOMPARE(w->Dir1->path(), other);
    QCOMPARE(w->File1->path(), other);
    QCOMPARE(w->File1->count(), 1);
    QCOMPARE(w->File1->item(0)->text(), QStringLiteral("UPPER.BMP"));

    // Opening an entry of the directory list by double-click.
    QTreeWidgetItem *deeper = w->Dir1->currentItem()->child(0);
    QCOMPARE(deeper->text(0), QStringLiteral("deeper"));
    const QPoint onDeeper = w->Dir1->visualItemRect(deeper).center();
    QTest::mouseClick(w->Dir1->viewport(), Qt::LeftButton, {}, onDeeper);
    QCOMPARE(w->Dir1->path(), other); // a single click only selects
    QTest::mouseDClick(w->Dir1->viewport(), Qt::LeftButton, {}, onDeeper);
    QCOMPARE(w->Dir1->path(), other + "/deeper");
    QCOMPARE(w->File1->path(), other + "/deeper");
    QCOMPARE(w->File1->count(), 0);

    w->Dir1->setPath(pics());
    QStringList names;
    for (int i = 0; i < w->File1->count(); ++i)
        names << w->File1->item(i)->text();
    QCOMPARE(names, (QStringList {"a.bmp", "b.bmp", "small.bmp"}));
}

void TestForm1Workflow::browsingChangesNoState()
{
    form1test::accept(*w, pics(), "a.bmp");
    const QString before = state(*w);
    QCOMPARE(before, accepted(pics() + "/lcd_a.txt"));
    w->Drive1->setDrive(tmp->path() + "/other");
    w->Dir1->setPath(tmp->path());
    w->Dir1->setPath(pics());
    w->File1->selectFile("b.bmp");
    QCOMPARE(state(*w), before);
}

void TestForm1Workflow::stateTableThroughTheButtons()
{
    const QString out = pics() + "/lcd_a.txt";
    form1test::accept(*w, pics(), "a.bmp");
    QCOMPARE(state(*w), accepted(out));

    QTest::mouseClick(w->ConvertButton, Qt::LeftButton);
    QCOMPARE(state(*w), converted(out));
    QVERIFY(QFileInfo::exists(out));

    // Delivered through the window, as the modality test of Preview does.
    QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {},
                      w->ResetButton->mapTo(w.get(), w->ResetButton->rect().center()));
    QCOMPARE(state(*w), noPicture());

    // A rejected picture leads to the same state.
    form1test::accept(*w, pics(), "a.bmp");
    {
        BoxWatcher watcher;
        form1test::accept(*w, pics(), "small.bmp");
        QVERIFY(watcher.seen.seen);
    }
    QCOMPARE(state(*w), noPicture());
}

void TestForm1Workflow::resetInNoPictureStateOnlySetsTheStatus()
{
    const QString before = state(*w);
    QCOMPARE(w->ConvertStatus, QString());
    w->ResetButton_Click();
    QCOMPARE(w->ConvertStatus, QStringLiteral("F"));
    QCOMPARE(state(*w), noPicture());
    QCOMPARE(before, QString(noPicture()).replace("cs=F", "cs="));
}

void TestForm1Workflow::resetKeepsTheDataFileAndTheLists()
{
    form1test::accept(*w, pics(), "a.bmp");
    w->ConvertButton_Click();
    const QByteArray written = form1test::readAll(pics() + "/lcd_a.txt");
    QCOMPARE(written.size(), 21600);
    const BITMAPINFOHEADER header = BmpInfoHeader;
    const std::int32_t palette1 = colorValue(w->Palette1);

    w->ResetButton_Click();
    QCOMPARE(form1test::readAll(pics() + "/lcd_a.txt"), written);
    QCOMPARE(w->Dir1->path(), pics());
    QCOMPARE(w->File1->path(), pics());
    QCOMPARE(w->File1->fileName(), QStringLiteral("a.bmp"));
    QCOMPARE(BmpInfoHeader.biWidth, header.biWidth);
    QCOMPARE(colorValue(w->Palette1), palette1);
}

void TestForm1Workflow::acceptingAgainClearsAConversion()
{
    form1test::accept(*w, pics(), "a.bmp");
    w->ConvertButton_Click();
    QCOMPARE(state(*w), converted(pics() + "/lcd_a.txt"));
    w->File1_DblClick(); // the same file once more
    QCOMPARE(state(*w), accepted(pics() + "/lcd_a.txt"));
}

void TestForm1Workflow::switchingOptionsKeepsTheResult()
{
    form1test::accept(*w, pics(), "a.bmp");
    w->ConvertButton_Click();
    QTest::mouseClick(w->InverseOption, Qt::LeftButton);
    QVERIFY(w->InverseOption->isChecked());
    QCOMPARE(state(*w), converted(pics() + "/lcd_a.txt", false));
}

void TestForm1Workflow::convertWithoutAOneBitHeaderFails()
{
    form1test::accept(*w, pics(), "a.bmp");
    BmpInfoHeader.biBitCount = 4; // a header of another depth than the picture's
    w->ConvertButton_Click();
    QCOMPARE(w->StatusValue->text(), QStringLiteral("Failed"));
    QCOMPARE(w->OutFileValue->text(), QString());
    QVERIFY(!w->PreviewButton->isEnabled());
    QVERIFY(w->ConvertButton->isEnabled());
    QCOMPARE(w->ProgressPer->text(), QStringLiteral("0"));
    QCOMPARE(w->ConvertStatus, QStringLiteral("F"));
    QVERIFY(!QFileInfo::exists(pics() + "/lcd_a.txt"));
}

void TestForm1Workflow::outputFollowsTheAcceptedPicture_data()
{
    QTest::addColumn<QString>("browseTo");
    QTest::addColumn<QString>("select");
    QTest::newRow("another entry selected with a single click") << "pics" << "b.bmp";
    QTest::newRow("another folder with nothing selected") << "other" << "";
}

void TestForm1Workflow::outputFollowsTheAcceptedPicture()
{
    QFETCH(QString, browseTo);
    QFETCH(QString, select);
    // b.bmp's own data file must survive a conversion of a.bmp.
    QFile keep(pics() + "/lcd_b.txt");
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.write("b's own data\r\n");
    keep.close();

    form1test::accept(*w, pics(), "a.bmp");
    w->Dir1->setPath(tmp->path() + "/" + browseTo);
    if (!select.isEmpty())
        QVERIFY(w->File1->selectFile(select));
    QTest::mouseClick(w->ConvertButton, Qt::LeftButton);

    QCOMPARE(w->OutFileValue->text(), pics() + "/lcd_a.txt");
    QCOMPARE(OutFilePath, pics() + "/lcd_a.txt");
    QCOMPARE(form1test::readAll(pics() + "/lcd_a.txt").size(), 21600);
    QCOMPARE(form1test::readAll(pics() + "/lcd_b.txt"), QByteArray("b's own data\r\n"));
    QVERIFY(!QFileInfo::exists(tmp->path() + "/other/lcd_"));
    QVERIFY(!QFileInfo::exists(tmp->path() + "/other/lcd_a.txt"));
}

void TestForm1Workflow::previewIsModalOwnedAndFreshEachTime()
{
    form1test::accept(*w, pics(), "a.bmp");
    w->ConvertButton_Click();
    const QString before = state(*w);

    struct Seen {
        bool modal = false;
        bool owned = false;
        bool mainTookInput = true;
        int darkDots = -1;
    };
    auto darkDots = [](const PictureBox *box) {
        int n = 0;
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 240; ++x)
                n += box->point(x, y) == 0;
        return n;
    };
    auto openOnce = [&](bool show) {
        Seen seen;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(w->previewWindow() && w->previewWindow()->isVisible());
            Form2 *preview = w->previewWindow();
            seen.modal = QApplication::activeModalWidget() == preview;
            seen.owned = preview->parentWidget() == w.get();
            // A click on Reset, delivered as the window system would: blocked.
            const QPoint onReset = w->ResetButton->mapTo(w.get(), w->ResetButton->rect().center());
            QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {}, onReset);
            seen.mainTookInput = w->PreviewPic->hasPicture() == false;
            if (show)
                preview->ShowButton_Click();
            seen.darkDots = darkDots(preview->LcdPic);
            preview->close();
        });
        QTest::mouseClick(w->PreviewButton, Qt::LeftButton);
        return seen;
    };

    const Seen first = openOnce(true);
    QVERIFY(first.modal);
    QVERIFY(first.owned);
    QVERIFY(!first.mainTookInput);
    QCOMPARE(first.darkDots, 2); // a.bmp has two black pixels: Normal makes them 1 bits
    QTRY_VERIFY(w->previewWindow() == nullptr); // unloaded on close
    QCOMPARE(state(*w), before);

    const Seen second = openOnce(false);
    QCOMPARE(second.darkDots, 0); // a new, empty window
    QTRY_VERIFY(w->previewWindow() == nullptr);
}

void TestForm1Workflow::exitClosesTheWindow()
{
    // Closing the only window ends the event loop of the program (Qt's
    // quitOnLastWindowClosed); the loop does not run under the test.
    QVERIFY(QGuiApplication::quitOnLastWindowClosed());
    QTest::mouseClick(w->ExitButton, Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QVERIFY(QGuiApplication::topLevelWindows().count() == 0
            || !QGuiApplication::topLevelWindows().first()->isVisible());
}

QTEST_MAIN(TestForm1Workflow)
#include "test_form1_workflow.moc"
