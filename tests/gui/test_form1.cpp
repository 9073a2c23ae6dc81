// The main window and its preview driven as a user drives them: layout, lists,
// states, the data file, the preview, and hostile files and faults reported
// without ending the program.

#include "app/form1.h"
#include "app/form1_events.h"
#include "app/form2.h"
#include "app/globals.h"
#include "common/failure.h"
#include "support/files.h"
#include "support/hostile_files.h"

#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <functional>
#include <sys/resource.h>

using namespace quellbit;

namespace {

const QString kPrompt = QStringLiteral("Picture Resolution is limit to 240 x 128 pixels (Width x Height) and "
                                       "\r\n2 Colors Bitmap.");

// What a modal message box showed; the watcher presses its OK button.
struct BoxSeen {
    bool seen = false;
    QString name, title, text;
    QMessageBox::StandardButtons buttons; QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool pictureShown = false;
};

class BoxWatcher : public QObject {
public:
    explicit BoxWatcher(const Form1 *w = nullptr)
    {
        connect(&timer_, &QTimer::timeout, this, [this, w] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            timer_.stop();
            seen = {true,        box->objectName(),      box->windowTitle(),
                    box->text(), box->standardButtons(), box->icon(), w && w->PreviewPic->hasPicture()};
            box->button(QMessageBox::Ok)->click();
        });
        timer_.start(10);
    }
    BoxSeen seen;

private:
    QTimer timer_;
};

// a.bmp: black (the first palette entry) at (0, 0) and (15, 0) only.
int sparsePixel(int x, int y) { return (y == 0 && (x == 0 || x == 15)) ? 0 : 1; }
// b.bmp: no symmetry a swapped bit order or a shifted row could hide.
bool patternOn(int x, int y) { return (7 * x + 3 * y) % 5 == 0 || x == 239; }

bool save(const QString &path, const std::string &bytes)
{
    return testbmp::save(path.toStdString(), bytes);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The items of the state table as one comparable line.
QString state(const Form1 &w)
{
    return QStringLiteral("pic=%1 h=%2 w=%3 c=%4 conv=%5 prev=%6 norm=%7 inv=%8 prog=%9 status=%10 out=%11 "
                          "cs=%12 path=%13")
        .arg(w.PreviewPic->hasPicture())
        .arg(w.HeightValue->text(), w.WidthValue->text(), w.ColorValue->text())
        .arg(w.ConvertButton->isEnabled())
        .arg(w.PreviewButton->isEnabled())
        .arg(w.NormalOption->isChecked())
        .arg(w.InverseOption->isEnabled())
        .arg(w.ProgressPer->text(), w.StatusValue->text(), w.OutFileValue->text(), w.ConvertStatus)
        .arg(OutFilePath);
}
const QString kNoPicture = "pic=0 h= w= c= conv=0 prev=0 norm=1 inv=0 prog=0 status= out= cs=F path=";
QString accepted(const QString &out)
{
    return "pic=1 h=128 w=240 c=1 Bits  (2 Colors) conv=1 prev=0 norm=1 inv=1 prog=0 status= out= cs=F path="
        + out;
}
QString converted(const QString &out, bool normal = true)
{
    return QStringLiteral("pic=1 h=128 w=240 c=1 Bits  (2 Colors) conv=1 prev=1 norm=%1 inv=1 prog=100 "
                          "status=Successed out=%2 cs=S path=%2").arg(normal).arg(out);
}

// The first pixel of the box's interior that is not `expected`; empty if none.
QString firstMismatch(const PictureBox &box, const std::function<std::int32_t(int, int)> &expected)
{
    for (int y = 0; y < box.innerSize().height(); ++y)
        for (int x = 0; x < box.innerSize().width(); ++x)
            if (box.point(x, y) != expected(x, y))
                return QStringLiteral("(%1, %2) is %3").arg(x).arg(y).arg(box.point(x, y));
    return {};
}

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { w.reset(); }

    void controlPlaces_data();
    void controlPlaces();
    void startUpState();
    void tabWalk_data();
    void tabWalk();
    void driveLeadsDirectoryLeadsFiles();
    void stateTable_data();
    void stateTable();
    void convertWritesTheDataFile_data();
    void convertWritesTheDataFile();
    void normalAndInverseAreComplements();
    void progressTakesEveryStepInOrder();
    void previewShowsTheConvertedDots();
    void escapedExceptionIsReported_data();
    void escapedExceptionIsReported();

    void intakeReadsOnceConvertScansWhatIsShown();
    void hostileFile_data();
    void hostileFile();
    void intakeFault_data();
    void intakeFault();
    void convertFault_data();
    void convertFault();
    void dataFileRemovedBeforeShow();

private:
    QString pics() const { return QDir::cleanPath(tmp->path() + "/pics"); }
    void accept(const QString &name)
    {
        w->Dir1->setPath(pics());
        w->File1->selectFile(name);
        w->File1_DblClick();
    }
    void doubleClick(const QString &name)
    {
        QVERIFY(w->File1->selectFile(name));
        QTest::mouseDClick(w->File1->viewport(), Qt::LeftButton, {},
                           w->File1->visualItemRect(w->File1->currentItem()).center());
    }
    // Presses Preview and runs `inside` on the preview window while it is
    // open (noting whether it is modal), then closes it.
    bool withPreview(const std::function<void(Form2 &)> &inside)
    {
        bool modal = false; QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            Form2 *p = w->previewWindow();
            if (!p || !p->isVisible())
                return;
            poll.stop();
            modal = QApplication::activeModalWidget() == p && p->parentWidget() == w.get();
            inside(*p);
            p->close();
        });
        poll.start(10);
        QTest::mouseClick(w->PreviewButton, Qt::LeftButton);
        return modal;
    }
    std::unique_ptr<QTemporaryDir> tmp;
    std::unique_ptr<Form1> w;
};

void TestForm1::init()
{
    tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(tmp->isValid());
    QVERIFY(QDir(tmp->path()).mkpath("pics") && QDir(tmp->path()).mkpath("other/deeper"));
    testbmp::Layout a, b, small;
    a.pixel = sparsePixel;
    b.pixel = [](int x, int y) { return patternOn(x, y) ? 0 : 1; };
    small.width = 100;
    QVERIFY(save(pics() + "/a.bmp", testbmp::build(a)));
    QVERIFY(save(pics() + "/b.bmp", testbmp::build(b)));
    QVERIFY(save(pics() + "/small.bmp", testbmp::build(small)));
    QVERIFY(save(tmp->path() + "/other/UPPER.BMP", testbmp::build({})));
    OutFilePath.clear();
    BmpInfoHeader = {};
    w = std::make_unique<Form1>();
    w->Form_Load();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
}

void TestForm1::controlPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("caption");
    // Twips of the control table divided by 15.
    QTest::newRow("ExitButton") << "ExitButton" << "Form1" << QRect(368, 432, 57, 25) << "Exit";
    QTest::newRow("ConvertButton") << "ConvertButton" << "Form1" << QRect(208, 400, 57, 25) << "Convert";
    QTest::newRow("Drive1") << "Drive1" << "Form1" << QRect(64, 16, 153, 21) << "";
    QTest::newRow("Dir1") << "Dir1" << "Form1" << QRect(24, 60, 193, 111) << "";
    QTest::newRow("File1") << "File1" << "Form1" << QRect(232, 48, 209, 123) << "";
    QTest::newRow("FileLabel") << "FileLabel" << "Form1" << QRect(232, 24, 105, 17) << "Files Name (*.bmp):";
    QTest::newRow("Frame1") << "Frame1" << "Form1" << QRect(24, 176, 417, 201) << "";
    QTest::newRow("PreviewPic") << "PreviewPic" << "Frame1" << QRect(86, 44, 245, 133) << "";
    QTest::newRow("HeightLabel") << "HeightLabel" << "Frame1" << QRect(32, 16, 41, 17) << "Height :";
    QTest::newRow("Frame2") << "Frame2" << "Form1" << QRect(24, 376, 417, 129) << "";
    QTest::newRow("Frame3") << "Frame3" << "Frame2" << QRect(16, 8, 305, 49) << "";
    QTest::newRow("InverseOption") << "InverseOption" << "Frame2" << QRect(104, 24, 65, 25) << "Inverse";
    QTest::newRow("ProgressPer") << "ProgressPer" << "Frame2" << QRect(80, 72, 25, 17) << "0";
    QTest::newRow("OutFileLabel") << "OutFileLabel" << "Frame2" << QRect(24, 96, 57, 17) << "Output File :";
}

void TestForm1::controlPlaces()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, place);
    QFETCH(QString, caption);
    auto *control = w->findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(control->geometry(), place);
    QVERIFY(control->isVisible());
    if (auto *l = qobject_cast<QLabel *>(control))
        QCOMPARE(l->text(), caption);
    else if (auto *b = qobject_cast<QAbstractButton *>(control))
        QCOMPARE(b->text(), caption);
}

void TestForm1::startUpState()
{
    QCOMPARE(w->windowTitle(), QStringLiteral("Quellbit-0.1"));
    QCOMPARE(w->size(), QSize(466, 545));
    QCOMPARE(state(*w), QString(kNoPicture).replace("cs=F", "cs="));
    const QString home = QDir::cleanPath(QCoreApplication::applicationDirPath());
    QCOMPARE(w->File1->path(), home);
    QCOMPARE(w->Drive1->drive(), w->Drive1->driveFor(home));
}

void TestForm1::tabWalk_data()
{
    QTest::addColumn<bool>("armed");
    QTest::addColumn<QStringList>("walk");
    QTest::newRow("after start-up disabled controls are skipped") << false
        << QString("Drive1 Dir1 File1 PreviewPic ResetButton ExitButton NormalOption Drive1").split(' ');
    QTest::newRow("with every control enabled the whole order is walked")
        << true << QString("Drive1 Dir1 File1 PreviewButton PreviewPic ConvertButton ResetButton ExitButton "
                           "InverseOption NormalOption Drive1").split(' ');
}

void TestForm1::tabWalk()
{
    QFETCH(bool, armed);
    QFETCH(QStringList, walk);
    for (QWidget *c : {(QWidget *)w->PreviewButton, (QWidget *)w->ConvertButton, (QWidget *)w->InverseOption})
        c->setEnabled(armed);
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    w->Drive1->setFocus(Qt::TabFocusReason);
    QStringList seen {QApplication::focusWidget()->objectName()};
    while (seen.size() < walk.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(seen, walk);
}

void TestForm1::driveLeadsDirectoryLeadsFiles()
{
    const QString other = QDir::cleanPath(tmp->path() + "/other");
    w->Drive1->setDrive(other); // a drive at the temporary folder: its root becomes the path
    QCOMPARE(w->Dir1->path(), other);
    QCOMPARE(w->File1->path(), other);
    QCOMPARE(w->File1->count(), 1);
    QCOMPARE(w->File1->item(0)->text(), QStringLiteral("UPPER.BMP")); // the pattern ignores case

    QTreeWidgetItem *deeper = w->Dir1->currentItem()->child(0);
    QCOMPARE(deeper->text(0), QStringLiteral("deeper"));
    const QPoint at = w->Dir1->visualItemRect(deeper).center();
    QTest::mouseClick(w->Dir1->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(w->File1->path(), other); // a single click only selects
    QTest::mouseDClick(w->Dir1->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(w->File1->path(), other + "/deeper");
    QCOMPARE(w->File1->count(), 0);
}

void TestForm1::stateTable_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("expected"); // '@' stands for the picture folder
    QTest::newRow("accepting arms Convert") << QStringList {"accept a.bmp"} << accepted("@/lcd_a.txt");
    QTest::newRow("Convert writes and arms Preview") << QStringList {"accept a.bmp", "convert"}
                                                     << converted("@/lcd_a.txt");
    QTest::newRow("Reset after a conversion leaves no picture")
        << QStringList {"accept a.bmp", "convert", "reset"} << kNoPicture;
    QTest::newRow("a rejected picture leaves no picture") << QStringList {"accept a.bmp", "accept small.bmp"}
                                                          << kNoPicture;
    QTest::newRow("accepting again clears the conversion")
        << QStringList {"accept a.bmp", "convert", "accept a.bmp"} << accepted("@/lcd_a.txt");
    QTest::newRow("choosing Inverse keeps the result")
        << QStringList {"accept a.bmp", "convert", "inverse"} << converted("@/lcd_a.txt", false);
    QTest::newRow("browsing changes nothing") << QStringList {"accept a.bmp", "drive other", "browse pics",
                                                             "select b.bmp"} << accepted("@/lcd_a.txt");
    QTest::newRow("output named after the accepted picture, not the selected one")
        << QStringList {"accept a.bmp", "select b.bmp", "convert"} << converted("@/lcd_a.txt");
    QTest::newRow("output beside the accepted picture after browsing away")
        << QStringList {"accept a.bmp", "drive other", "convert"} << converted("@/lcd_a.txt");
}

void TestForm1::stateTable()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, expected);
    QVERIFY(save(pics() + "/lcd_b.txt", "b's own\r\n")); // b.bmp's own data file must survive
    for (const QString &step : steps) {
        const QString verb = step.section(' ', 0, 0), arg = step.section(' ', 1);
        BoxWatcher watcher;
        if (verb == "accept")
            accept(arg);
        else if (verb == "select")
            QVERIFY(w->File1->selectFile(arg));
        else if (verb == "drive")
            w->Drive1->setDrive(tmp->path() + "/" + arg);
        else if (verb == "browse")
            w->Dir1->setPath(tmp->path() + "/" + arg);
        else
            QTest::mouseClick(verb == "convert" ? (QWidget *)w->ConvertButton
                                  : verb == "reset" ? (QWidget *)w->ResetButton : (QWidget *)w->InverseOption,
                              Qt::LeftButton);
        QCOMPARE(watcher.seen.seen, arg == "small.bmp");
    }
    QCOMPARE(state(*w), expected.replace('@', pics()));
    QCOMPARE(readAll(pics() + "/lcd_b.txt"), QByteArray("b's own\r\n"));
    QCOMPARE(entries(tmp->path() + "/other"), (QStringList {"UPPER.BMP", "deeper"}));
    if (steps.contains("convert"))
        QCOMPARE(readAll(pics() + "/lcd_a.txt").size(), 21600);
    if (state(*w).startsWith("pic=1")) { // shown at its natural size
        QCOMPARE(w->PreviewPic->point(0, 0), 0);
        QCOMPARE(w->PreviewPic->point(15, 0), 0);
        QCOMPARE(w->PreviewPic->point(1, 0), 0xFFFFFF);
    }
}

void TestForm1::convertWritesTheDataFile_data()
{
    QTest::addColumn<bool>("inverse");
    QTest::addColumn<QByteArray>("firstLine");
    QTest::addColumn<QByteArray>("otherLines");
    QTest::newRow("Normal: black pixels are 1 bits") << false
        << QByteArray("        DB 01H,80H,00H,00H,00H,00H,00H,00H;\r\n")
        << QByteArray("        DB 00H,00H,00H,00H,00H,00H,00H,00H;\r\n");
    QTest::newRow("Inverse: white pixels are 1 bits") << true
        << QByteArray("        DB FEH,7FH,FFH,FFH,FFH,FFH,FFH,FFH;\r\n")
        << QByteArray("        DB FFH,FFH,FFH,FFH,FFH,FFH,FFH,FFH;\r\n");
}

void TestForm1::convertWritesTheDataFile()
{
    QFETCH(bool, inverse);
    QFETCH(QByteArray, firstLine);
    QFETCH(QByteArray, otherLines);
    accept("a.bmp");
    if (inverse)
        QTest::mouseClick(w->InverseOption, Qt::LeftButton);
    QTest::mouseClick(w->ConvertButton, Qt::LeftButton);
    QCOMPARE(readAll(pics() + "/lcd_a.txt"), firstLine + otherLines.repeated(479));
}

void TestForm1::normalAndInverseAreComplements()
{
    accept("b.bmp");
    w->ConvertButton_Click();
    const QByteArray normal = readAll(pics() + "/lcd_b.txt");
    w->InverseOption->setChecked(true);
    w->ConvertButton_Click();
    const QByteArray inverse = readAll(pics() + "/lcd_b.txt");
    QVERIFY(normal.size() == 21600 && inverse.size() == 21600);
    for (int line = 0; line < 480; ++line)
        for (int item = 0; item < 8; ++item) { // "        DB xxH,xxH,...": items from column 11, 4 apart
            const int at = line * 45 + 11 + item * 4;
            QCOMPARE(normal.mid(at, 2).toInt(nullptr, 16) ^ inverse.mid(at, 2).toInt(nullptr, 16), 0xFF);
        }
}

void TestForm1::progressTakesEveryStepInOrder()
{
    struct Recorder : QObject {
        QLabel *label;
        QStringList shown;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint && (shown.isEmpty() || shown.last() != label->text()))
                shown << label->text();
            return false;
        }
    } recorder;
    recorder.label = w->ProgressPer;
    accept("a.bmp");
    QCoreApplication::processEvents();
    w->ProgressPer->installEventFilter(&recorder);
    w->ConvertButton_Click();
    QStringList expected;
    for (int i = 1; i <= 100; ++i)
        expected << QString::number(i);
    QCOMPARE(recorder.shown, expected);
}

void TestForm1::previewShowsTheConvertedDots()
{
    accept("b.bmp");
    QTest::mouseClick(w->ConvertButton, Qt::LeftButton);
    const QString before = state(*w);
    QString firstShow, secondShow, empty;
    bool resetTook = true;
    const bool modal = withPreview([&](Form2 &p) {
        QCOMPARE(p.windowTitle(), QStringLiteral("LCD Preview"));
        QCOMPARE(p.size(), QSize(290, 232));
        QCOMPARE(p.LcdPic->geometry(), QRect(8, 0, 273, 185));
        QCOMPARE(p.ShowButton->geometry(), QRect(96, 200, 105, 25));
        // A click on Reset, delivered through the window system: blocked.
        QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {},
                          w->ResetButton->mapTo(w.get(), w->ResetButton->rect().center()));
        resetTook = !w->PreviewPic->hasPicture();
        const std::int32_t ground = p.LcdPic->point(268, 180);
        auto dots = [&](int x, int y) { return x >= 240 || y >= 128 ? ground : patternOn(x, y) ? 0 : 32768; };
        QTest::mouseClick(p.ShowButton, Qt::LeftButton);
        firstShow = firstMismatch(*p.LcdPic, dots);
        const QImage once = p.LcdPic->image();
        QTest::mouseClick(p.ShowButton, Qt::LeftButton);
        secondShow = p.LcdPic->image() == once ? QString() : QStringLiteral("differs");
        QVERIFY(ground != 0 && ground != 32768);
    });
    QVERIFY(modal);
    QVERIFY(!resetTook);
    QVERIFY2(firstShow.isEmpty(), qPrintable(firstShow));
    QVERIFY2(secondShow.isEmpty(), qPrintable(secondShow));
    QTRY_VERIFY(w->previewWindow() == nullptr); // unloaded on close
    QCOMPARE(state(*w), before);

    QVERIFY(withPreview([&](Form2 &p) {
        const std::int32_t ground = p.LcdPic->point(0, 0);
        empty = firstMismatch(*p.LcdPic, [&](int, int) { return ground; });
    }));
    QVERIFY2(empty.isEmpty(), qPrintable(empty));
}

void TestForm1::escapedExceptionIsReported_data()
{
    QTest::addColumn<bool>("known");
    QTest::newRow("a failure names its file and reason") << true;
    QTest::newRow("anything else is reported too") << false;
}

void TestForm1::escapedExceptionIsReported()
{
    // An object whose event handler throws, reached through the event loop
    // as a click on a control would be.
    struct Thrower : QObject {
        bool known = false;
        int events = 0;
        bool event(QEvent *e) override
        {
            if (e->type() != QEvent::User)
                return QObject::event(e);
            ++events;
            if (known)
                throw Failure("/data/picture.bmp", "cannot be read: Input/output error");
            throw 42;
        }
    } thrower;
    QFETCH(bool, known);
    thrower.known = known;
    for (int round = 1; round <= 2; ++round) { // the program goes on
        BoxWatcher watcher;
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::sendPostedEvents(&thrower, QEvent::User);
        QCOMPARE(thrower.events, round);
        QVERIFY(watcher.seen.seen && !watcher.seen.text.isEmpty());
        if (known)
            QVERIFY(watcher.seen.text.contains("/data/picture.bmp")
                    && watcher.seen.text.contains("Input/output error"));
    }
}

// The double-click reads the file once; Convert scans the picture decoded
// from that read, whatever the file holds by then.
void TestForm1::intakeReadsOnceConvertScansWhatIsShown()
{
    const QString path = pics() + "/a.bmp";
    w->Dir1->setPath(pics());
    QCOMPARE(testbmp::opensDuring(path.toStdString(), [&] { doubleClick("a.bmp"); }), 1);
    testbmp::Layout other;
    other.pixel = [](int, int) { return 0; }; // every dot black
    QVERIFY(save(path, testbmp::build(other)));
    QTest::mouseClick(w->ConvertButton, Qt::LeftButton);
    QCOMPARE(readAll(pics() + "/lcd_a.txt").left(45), QByteArray("        DB 01H,80H,00H,00H,00H,00H,00H,00H;\r\n"));
}

// One file of each outcome of the intake (the whole table runs in the core
// tests), double-clicked while a.bmp is shown. A file that cannot be read or
// decoded changes nothing: a.bmp stays shown, with its captions, header
// records, palette entries and output, and converts as before.
void TestForm1::hostileFile_data()
{
    QTest::addColumn<int>("row");
    QList<testbmp::Outcome> shown;
    const std::vector<testbmp::HostileCase> cases = testbmp::hostileCases();
    for (std::size_t i = 0; i < cases.size(); ++i)
        // A named pipe itself is not listed, a symlink to one is.
        if (!shown.contains(cases[i].outcome) && cases[i].kind != testbmp::Kind::NamedPipe) {
            shown << cases[i].outcome;
            QTest::newRow(cases[i].name.c_str()) << int(i);
        }
}

void TestForm1::hostileFile()
{
    QFETCH(int, row);
    const testbmp::HostileCase c = testbmp::hostileCases().at(std::size_t(row));
    QTemporaryDir dir;
    QVERIFY(testbmp::place(c, dir.filePath("x.bmp").toStdString()));
    const QStringList listed = entries(dir.path());
    accept("a.bmp");
    const QString before = state(*w);
    const RGBQUAD palette0 = w->Palette0, palette1 = w->Palette1;
    const BITMAPINFOHEADER info = BmpInfoHeader;
    w->Dir1->setPath(dir.path());
    BoxWatcher watcher(w.get());
    doubleClick("x.bmp");
    switch (c.outcome) {
    case testbmp::Outcome::Converted:
        QVERIFY2(!watcher.seen.seen, qPrintable(watcher.seen.text));
        QCOMPARE(state(*w), accepted(dir.filePath("lcd_x.txt")));
        QCOMPARE(w->PreviewPic->point(1, 0), c.colour1); // the picture decoded from the file
        QCOMPARE(w->PreviewPic->point(0, 0), c.colour0);
        QTest::mouseClick(w->ConvertButton, Qt::LeftButton);
        QCOMPARE(readAll(dir.filePath("lcd_x.txt")).size(), 21600);
        QCOMPARE(entries(dir.path()), QStringList("lcd_x.txt") + listed);
        return;
    case testbmp::Outcome::Rejected: // the limits, a.bmp shown until OK, then Reset
        QCOMPARE(watcher.seen.title, QStringLiteral("Picture Size Error"));
        QCOMPARE(watcher.seen.text, kPrompt);
        QCOMPARE(watcher.seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(watcher.seen.icon, QMessageBox::NoIcon);
        QVERIFY(watcher.seen.pictureShown);
        QCOMPARE(state(*w), kNoPicture);
        break;
    case testbmp::Outcome::Broken:
    case testbmp::Outcome::NotRegular:
        QCOMPARE(watcher.seen.name, QStringLiteral("FailureBox"));
        QCOMPARE(watcher.seen.text, dir.filePath("x.bmp") + "\n\n" + QString::fromStdString(c.reason));
        QCOMPARE(state(*w), before);
        QCOMPARE(colorValue(w->Palette0), colorValue(palette0));
        QCOMPARE(colorValue(w->Palette1), colorValue(palette1));
        QCOMPARE(BmpInfoHeader.biClrUsed, info.biClrUsed);
        QCOMPARE(BmpInfoHeader.biWidth, info.biWidth);
        QCOMPARE(w->PreviewPic->point(0, 0), 0); // a.bmp's black dot
        QTest::mouseClick(w->ConvertButton, Qt::LeftButton);
        QCOMPARE(readAll(pics() + "/lcd_a.txt").left(45), QByteArray("        DB 01H,80H,00H,00H,00H,00H,00H,00H;\r\n"));
        break;
    }
    QCOMPARE(entries(dir.path()), listed);
}

void TestForm1::intakeFault_data()
{
    QTest::addColumn<bool>("deleted");
    QTest::newRow("bitmap deleted between listing and double-click") << true;
    QTest::newRow("nothing selected: the folder is named") << false;
}

void TestForm1::intakeFault()
{
    QFETCH(bool, deleted);
    accept("a.bmp");
    BoxWatcher watcher;
    if (deleted) {
        QVERIFY(QFile::remove(pics() + "/b.bmp"));
        doubleClick("b.bmp");
    } else {
        w->File1->refresh(); // drops the selection
        w->File1_DblClick();
    }
    QCOMPARE(watcher.seen.name, QStringLiteral("FailureBox"));
    QVERIFY2(watcher.seen.text.contains(pics() + (deleted ? "/b.bmp" : "")), qPrintable(watcher.seen.text));
    QCOMPARE(state(*w), accepted(pics() + "/lcd_a.txt")); // a.bmp is still the picture
}

void TestForm1::convertFault_data()
{
    QTest::addColumn<bool>("folder");
    QTest::newRow("a folder takes the data file's name") << true;
    QTest::newRow("the write fails part way (file size limit)") << false;
}

void TestForm1::convertFault()
{
    QFETCH(bool, folder);
    const QString out = pics() + "/lcd_a.txt";
    accept("a.bmp");
    if (folder)
        QVERIFY(QDir(pics()).mkdir("lcd_a.txt"));
    else
        QTest::mouseClick(w->ConvertButton, Qt::LeftButton);
    const QByteArray earlier = readAll(out);
    const QStringList listed = entries(pics());
    QTest::mouseClick(w->InverseOption, Qt::LeftButton); // a different file if it were written

    rlimit old {};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small {4096, old.rlim_max};
    QVERIFY(folder || setrlimit(RLIMIT_FSIZE, &small) == 0);
    BoxWatcher watcher;
    QTest::mouseClick(w->ConvertButton, Qt::LeftButton);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(watcher.seen.name, QStringLiteral("FailureBox"));
    QVERIFY2(watcher.seen.text.contains(out), qPrintable(watcher.seen.text));
    QVERIFY2(folder || watcher.seen.text.contains("File too large"), qPrintable(watcher.seen.text));
    QCOMPARE(w->StatusValue->text(), QStringLiteral("Failed"));
    QCOMPARE(w->OutFileValue->text(), QString());
    QVERIFY(!w->PreviewButton->isEnabled());
    QCOMPARE(readAll(out), earlier);
    QCOMPARE(entries(pics()).join(' '), listed.join(' ')); // no partial or temporary file
    QVERIFY(QFileInfo(out).isDir() == folder);

    QVERIFY(!folder || QDir(pics()).rmdir("lcd_a.txt")); // the cause removed, the window goes on
    QTest::mouseClick(w->ConvertButton, Qt::LeftButton);
    QCOMPARE(state(*w), converted(out, false));
    QCOMPARE(readAll(out).size(), 21600);
}

void TestForm1::dataFileRemovedBeforeShow()
{
    accept("b.bmp");
    QTest::mouseClick(w->ConvertButton, Qt::LeftButton);
    BoxSeen seen; QString cleared;
    QVERIFY(withPreview([&](Form2 &p) {
        QTest::mouseClick(p.ShowButton, Qt::LeftButton); // a full box first, so clearing shows
        const std::int32_t ground = p.LcdPic->point(268, 180);
        QVERIFY(QFile::remove(OutFilePath));
        BoxWatcher watcher;
        QTest::mouseClick(p.ShowButton, Qt::LeftButton);
        seen = watcher.seen;
        cleared = firstMismatch(*p.LcdPic, [&](int, int) { return ground; });
    }));
    QCOMPARE(seen.name, QStringLiteral("FailureBox"));
    QVERIFY2(seen.text.contains(pics() + "/lcd_b.txt"), qPrintable(seen.text));
    QVERIFY2(cleared.isEmpty(), qPrintable(cleared));
    QTRY_VERIFY(w->previewWindow() == nullptr);
    QTest::mouseClick(w->ConvertButton, Qt::LeftButton); // still usable
    QCOMPARE(state(*w), converted(pics() + "/lcd_b.txt"));
}

int main(int argc, char **argv)
{
    QuellbitApplication app(argc, argv);
    TestForm1 test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_form1.moc"
