// The main window and its preview driven as a user drives them: layout, what
// each step (a click, a key, a file changed underneath) does to the window,
// the preview, and one file of each kind of intake outcome. What lies below
// the window (the intake's verdicts and reasons, the data file's bytes,
// plotting, fitting a path into its read-out) is tested with its own layer.

#include "app/form1.h"
#include "app/form2.h"
#include "app/globals.h"
#include "app/quellbit_application.h"
#include "common/failure.h"
#include "gui/gui_test_main.h"
#include "support/hostile_files.h"

#include <QDir>
#include <QHelpEvent>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <filesystem>
#include <functional>
#include <xcb/xcb.h>

using namespace quellbit;

namespace {

// Notes what the first modal message box shows, and presses its OK button.
struct BoxWatcher {
    explicit BoxWatcher(const Form1 *w = nullptr)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, w] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            timer.stop();
            seen = true;
            std::tie(name, title, text) = std::tuple(box->objectName(), box->windowTitle(), box->text());
            plainOk = box->standardButtons() == QMessageBox::Ok && box->icon() == QMessageBox::NoIcon;
            pictureShown = w && w->PreviewPic->hasPicture();
            box->button(QMessageBox::Ok)->click();
        });
        timer.start(10);
    }
    // The box's name and the first line of its text.
    QString line() const { return seen ? " box=" + name + " " + text.section('\n', 0, 0) : QString(); }
    QTimer timer;
    bool seen = false, plainOk = false, pictureShown = false; // plainOk: an OK button, no icon
    QString name, title, text;
};

bool save(const QString &path, const std::string &bytes) { return testbmp::save(path.toStdString(), bytes); }
QString load(const QString &path) { return QString::fromStdString(testbmp::load(path.toStdString())); }
// Every entry of a folder, hidden ones included, sorted, joined by spaces.
QString listing(const QString &dir) { return QString::fromStdString(testbmp::listing(dir.toStdString())); }

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

// Whether `image` is all `ground`.
bool plain(const QImage &image, const QColor &ground)
{
    QImage filled = image;
    filled.fill(ground);
    return image == filled;
}

// Whether the box shows the focus mark: the inner line of its border in the
// highlight colour.
bool focusMarked(PictureBox *box)
{
    return box->grab().toImage().pixel(1, 1) == box->palette().color(QPalette::Highlight).rgb();
}

// The window the X server is told `window` belongs to (0: none).
WId transientFor(QWidget *window)
{
    xcb_connection_t *c = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const xcb_get_property_cookie_t cookie = xcb_get_property(
        c, 0, xcb_window_t(window->winId()), XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 0, 1);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(c, cookie, nullptr);
    WId owner = 0;
    if (reply && xcb_get_property_value_length(reply) == 4)
        owner = *static_cast<const xcb_window_t *>(xcb_get_property_value(reply));
    std::free(reply);
    return owner;
}

// The pointer comes to rest at `at` over `widget`; the tooltip it shows (if
// any) is then QToolTip's.
void restAt(QWidget *widget, QPoint at)
{
    QHelpEvent help(QEvent::ToolTip, at, widget->mapToGlobal(at));
    QCoreApplication::sendEvent(widget, &help);
}

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT

    QString pics() const { return QDir::cleanPath(tmp->path() + "/pics"); }
    void accept(const QString &name, const QString &folder = {})
    {
        w->Dir1->setPath(folder.isEmpty() ? pics() : folder);
        w->File1->selectFile(name);
        w->File1_DblClick();
    }
    // Presses Preview and runs `inside` on the preview window while it is
    // open, then closes it; true when it was modal, owned by the main window.
    bool withPreview(const std::function<void(Form2 &)> &inside)
    {
        bool modal = false;
        QTimer poll;
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

private slots:
    void init()
    {
        tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp->isValid());
        QVERIFY(QDir(tmp->path()).mkpath("pics") && QDir(tmp->path()).mkpath("other/deeper"));
        testbmp::Layout a; // black (entry 0) at (0, 0) and (15, 0) only
        a.pixel = [](int x, int y) { return y == 0 && (x == 0 || x == 15) ? 0 : 1; };
        QVERIFY(save(pics() + "/a.bmp", testbmp::build(a)));
        QVERIFY(save(pics() + "/b.bmp", testbmp::build({})));
        QVERIFY(save(tmp->path() + "/other/UPPER.BMP", testbmp::build({})));
        OutFilePath.clear();
        OutFilePathBytes.clear();
        BmpInfoHeader = {};
        w = std::make_unique<Form1>();
        w->Form_Load();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() { w.reset(); }

    void controlPlaces_data()
    {
        QTest::addColumn<QRect>("place"); // twips of the control table over 15
        QTest::addColumn<QString>("caption");
        QTest::newRow("Form1/ExitButton") << QRect(368, 432, 57, 25) << "Exit";
        QTest::newRow("Form1/ConvertButton") << QRect(208, 400, 57, 25) << "Convert";
        QTest::newRow("Form1/Drive1") << QRect(64, 16, 153, 21) << "";
        QTest::newRow("Form1/Dir1") << QRect(24, 60, 193, 111) << "";
        QTest::newRow("Form1/File1") << QRect(232, 48, 209, 123) << "";
        QTest::newRow("Form1/FileLabel") << QRect(232, 24, 105, 17) << "Files Name (*.bmp):";
        QTest::newRow("Frame1/HeightLabel") << QRect(32, 16, 41, 17) << "Height :";
        QTest::newRow("Form1/Frame2") << QRect(24, 376, 417, 129) << "";
        QTest::newRow("Frame2/Frame3") << QRect(16, 8, 305, 49) << "";
        QTest::newRow("Frame2/InverseOption") << QRect(104, 24, 65, 25) << "Inverse";
        QTest::newRow("Frame2/ProgressPer") << QRect(80, 72, 25, 17) << "0";
        QTest::newRow("Frame2/OutFileLabel") << QRect(24, 96, 57, 17) << "Output File :";
    }
    void controlPlaces()
    {
        QFETCH(QRect, place);
        QFETCH(QString, caption);
        const QString tag = QTest::currentDataTag();
        auto *control = w->findChild<QWidget *>(tag.section('/', 1));
        QVERIFY(control && control->isVisible());
        QCOMPARE(control->parentWidget()->objectName(), tag.section('/', 0, 0));
        QCOMPARE(control->geometry(), place);
        if (auto *l = qobject_cast<QLabel *>(control))
            QCOMPARE(l->text(), caption);
        else if (auto *b = qobject_cast<QAbstractButton *>(control))
            QCOMPARE(b->text(), caption);
    }

    void startUpState()
    {
        QCOMPARE(w->windowTitle(), QStringLiteral("Quellbit-0.1"));
        const QString home = QDir::cleanPath(QCoreApplication::applicationDirPath());
        QCOMPARE(w->File1->path(), home);
        QCOMPARE(w->Drive1->drive(), w->Drive1->driveFor(home));
    }

    // Steps from start-up, with the lists at the pictures and the focus on
    // Drive1. Then: the state; the file list's folder and names (the selected
    // one in brackets); each message box and where each key left the focus
    // ('*': PreviewPic shows the focus mark); the data file's first bytes.
    void stateTable_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected"); // '@' stands for the picture folder
        const QString normal = " data=01H,80H", inverse = " data=FEH,7FH",
                      box = " box=FailureBox @/lcd_a.txt";
        const QString a = " list=pics:[a.bmp],b.bmp", b = " list=pics:a.bmp,[b.bmp]";
        const QString other = " list=other:UPPER.BMP", deeper = " list=other/deeper:";
        const QString start = QString(kNoPicture).replace("cs=F", "cs=") + " list=pics:a.bmp,b.bmp";
        const QString armed // Preview, Convert and Inverse enabled without a picture
            = QString(start).replace("conv=0 prev=0 norm=1 inv=0", "conv=1 prev=1 norm=1 inv=1");
        const QString acc = accepted("@/lcd_a.txt"), conv = converted("@/lcd_a.txt");
        const QString tabs = QString("Tab ").repeated(10).trimmed();
        QTest::newRow("Convert writes black as 1 bits") << "accept convert" << conv + a + normal;
        QTest::newRow("Inverse writes white as 1 bits")
            << "accept Inverse convert" << converted("@/lcd_a.txt", false) + a + inverse;
        QTest::newRow("choosing Inverse keeps the result")
            << "accept convert Inverse" << converted("@/lcd_a.txt", false) + a + normal;
        QTest::newRow("accepting again clears the result") << "accept convert accept" << acc + a + normal;
        QTest::newRow("Reset leaves no picture") << "accept convert reset" << kNoPicture + a;
        QTest::newRow("browsing keeps the picture and where its data file goes; the pattern ignores case")
            << "accept select drive convert" << conv + other + normal;
        QTest::newRow("Convert scans the picture shown, not the file as it is now")
            << "accept overwrite convert" << conv + a + normal;
        QTest::newRow("a failed conversion is reported and arms no preview")
            << "accept block convert" << QString(acc).replace("status=", "status=Failed") + a + box;
        QTest::newRow("with the cause gone the window converts again")
            << "accept block convert unblock convert" << conv + a + box + normal;
        QTest::newRow("Dir1: a click only selects a folder") << "accept convert drive deeper click"
                                                             << conv + other + normal;
        QTest::newRow("Dir1: a double-click opens a folder") << "accept convert drive deeper double-click"
                                                             << conv + deeper + normal;
        QTest::newRow("Dir1: Return opens a folder") << "accept convert drive deeper Return"
                                                     << conv + deeper + " >Dir1" + normal;
        QTest::newRow("Dir1: keypad Enter opens a folder") << "accept convert drive deeper Enter"
                                                           << conv + deeper + " >Dir1" + normal;
        QTest::newRow("File1: keypad Enter chooses the current name")
            << "accept convert second Enter" << accepted("@/lcd_b.txt") + b + " >File1";
        QTest::newRow("File1: a double-click chooses a name")
            << "accept convert second double-click" << accepted("@/lcd_b.txt") + b;
        QTest::newRow("File1: a double-click below the last name does nothing")
            << "accept convert below double-click" << conv + a + normal;
        QTest::newRow("keys: Return accepts the current name, Space converts, Tab skips what is disabled")
            << "Tab Tab Return Tab Tab Space"
            << conv + a + " >Dir1 >File1 >File1 >PreviewPic* >ConvertButton >ConvertButton" + normal;
        QTest::newRow("keys: with every control enabled Tab walks the whole order")
            << "arm " + tabs
            << armed + " >Dir1 >File1 >PreviewButton >PreviewPic* >ConvertButton >ResetButton >ExitButton "
                       ">InverseOption >NormalOption >Drive1";
        QTest::newRow("keys: Shift+Tab walks it backwards")
            << "arm " + QString(tabs).replace("Tab", "Backtab")
            << armed + " >NormalOption >InverseOption >ExitButton >ResetButton >ConvertButton >PreviewPic* "
                       ">PreviewButton >File1 >Dir1 >Drive1";
        const QString latin = "lat\uFFFD", other2 = QString(start).replace(" list=pics:a.bmp,b.bmp", other);
        QTest::newRow("a name that is not UTF-8 is listed, and accepted and converted by its bytes")
            << "latin convert" << converted("@/lcd_" + latin + ".txt") + " list=pics:a.bmp,b.bmp,[" + latin + ".bmp]"
                + normal;
        QTest::newRow("a drive that cannot be listed: the nearest folder that can, said once")
            << "vanished" << start + " box=FailureBox @/vanished";
        QTest::newRow("choosing the drive shown lists it again") << "drive deeper double-click redrive" << other2;
        QTest::newRow("a failure escaping a handler is reported with its file, and the program goes on")
            << "fail fail" << start + " box=FailureBox /data/picture.bmp box=FailureBox /data/picture.bmp";
        QTest::newRow("anything else escaping is reported too")
            << "throw" << start + " box=FailureBox An operation failed for an unknown reason.";
    }
    void stateTable()
    {
        QFETCH(QString, steps);
        QFETCH(QString, expected);
        const auto click = [](QWidget *control) { QTest::mouseClick(control, Qt::LeftButton); };
        // Thrown by a call that the event loop makes, as it makes a click on a control.
        const auto throwInLoop = [](const auto &thrown) {
            QMetaObject::invokeMethod(qApp, [thrown] { throw thrown; }, Qt::QueuedConnection);
            QCoreApplication::sendPostedEvents();
        };
        QWidget *under = nullptr; // where the pointer is: on an entry of a list, or below File1's names
        QPoint at;
        const auto pointAt = [&](QAbstractItemView *list, QRect entry) {
            list->setFocus();
            std::tie(under, at) = std::tuple(list->viewport(), entry.center());
        };
        const auto clicks = [&](bool twice) {
            QTest::mouseClick(under, Qt::LeftButton, {}, at);
            if (twice)
                QTest::mouseDClick(under, Qt::LeftButton, {}, at);
        };
        const QHash<QString, std::function<void()>> actions = {
            {"accept", [&] { accept("a.bmp"); }},
            {"select", [&] { w->File1->selectFile("b.bmp"); }},
            {"drive", [&] { w->Drive1->setDrive(tmp->path() + "/other"); }}, // its root becomes the path
            {"vanished", [&] { w->Drive1->setDrive(pics() + "/vanished"); }},
            {"redrive", [&] { emit w->Drive1->activated(w->Drive1->currentIndex()); }},
            {"latin", [&] { // a copy of a.bmp named in Latin-1
                 QVERIFY(testbmp::save(pics().toStdString() + "/lat\xE9.bmp", testbmp::load(pics().toStdString() + "/a.bmp")));
                 w->File1->refresh();
                 QVERIFY(w->File1->selectFile("lat\uFFFD.bmp"));
                 w->File1_DblClick();
             }},
            {"overwrite", [&] { save(pics() + "/a.bmp", testbmp::build({})); }}, // every dot black
            {"block", [&] { QDir(pics()).mkdir("lcd_a.txt"); }}, // a folder takes the data file's name
            {"unblock", [&] { QDir(pics()).rmdir("lcd_a.txt"); }},
            {"convert", [&] { click(w->ConvertButton); }},
            {"reset", [&] { click(w->ResetButton); }},
            {"Inverse", [&] { click(w->InverseOption); }},
            {"arm", [&] {
                 w->PreviewButton->setEnabled(true);
                 w->ConvertButton->setEnabled(true);
                 w->InverseOption->setEnabled(true);
             }},
            {"fail", [&] { throwInLoop(Failure("/data/picture.bmp", "cannot be read")); }},
            {"throw", [&] { throwInLoop(42); }},
            {"deeper", [&] { // Dir1's first folder under the current one
                 w->Dir1->setCurrentItem(w->Dir1->currentItem()->child(0));
                 pointAt(w->Dir1, w->Dir1->visualItemRect(w->Dir1->currentItem()));
             }},
            {"second", [&] { // File1's second name, current but not selected
                 w->File1->setCurrentRow(1);
                 w->File1->clearSelection();
                 pointAt(w->File1, w->File1->visualItemRect(w->File1->item(1)));
             }},
            {"below", [&] { // under File1's last name, a.bmp still selected
                 pointAt(w->File1, w->File1->visualItemRect(w->File1->item(1)).translated(0, 20));
                 QVERIFY(!w->File1->itemAt(at));
             }},
            {"click", [&] { clicks(false); }},
            {"double-click", [&] { clicks(true); }},
        };
        const QHash<QString, Qt::Key> keys = {{"Tab", Qt::Key_Tab}, {"Backtab", Qt::Key_Backtab},
            {"Return", Qt::Key_Return}, {"Enter", Qt::Key_Enter}, {"Space", Qt::Key_Space}};
        const QHash<QString, Qt::KeyboardModifier> modifiers
            = {{"Backtab", Qt::ShiftModifier}, {"Enter", Qt::KeypadModifier}};
        w->Dir1->setPath(pics());
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->Drive1->setFocus(Qt::TabFocusReason);
        QString seen;
        for (const QString &step : steps.split(' ')) {
            BoxWatcher watcher;
            if (actions.contains(step)) {
                actions[step]();
            } else {
                QVERIFY2(keys.contains(step), qPrintable("no step " + step));
                QTest::keyClick(QApplication::focusWidget(), keys[step], modifiers.value(step));
                seen += " >" + QApplication::focusWidget()->objectName();
                seen += focusMarked(w->PreviewPic) ? "*" : "";
            }
            seen += watcher.line();
        }
        QStringList names;
        for (int i = 0; i < w->File1->count(); ++i)
            names << QString(w->File1->item(i)->isSelected() ? "[%1]" : "%1").arg(w->File1->item(i)->text());
        QString got = state(*w) + " list=" + QDir(tmp->path()).relativeFilePath(w->File1->path()) + ":"
            + names.join(',') + seen;
        if (std::filesystem::is_regular_file(OutFilePathBytes)) // by its bytes: names need not be UTF-8
            got += " data=" + QString::fromStdString(testbmp::load(OutFilePathBytes)).mid(11, 7);
        QCOMPARE(got, expected.replace('@', pics()));
        QCOMPARE(listing(tmp->path() + "/other"), QStringLiteral("UPPER.BMP deeper"));
    }

    void longOutputPath()
    {
        // Folder names a list and a one-line read-out cannot show whole.
        const QString deep = tmp->path() + "/pictures for the graphic display of the front panel"
                             + "/second revision with the larger controller and its new font";
        QVERIFY(QDir().mkpath(deep) && save(deep + "/x.bmp", testbmp::build({})));
        accept("x.bmp", deep);
        w->ConvertButton_Click();
        const QString out = deep + "/lcd_x.txt";
        QCOMPARE(state(*w), converted(out));
        PathLabel *label = w->OutFileValue;
        const QStringList lines = label->shownLines();
        QVERIFY2(lines.size() == 2 && lines.last().endsWith("lcd_x.txt"), qPrintable(lines.join(" | ")));
        const QImage shown = label->grab().toImage();
        const int half = shown.height() / 2 + 1; // the second line is drawn, within the label
        QVERIFY(!plain(shown.copy(0, half, shown.width(), shown.height() - half),
                       label->palette().color(QPalette::Window)));
        restAt(label, {5, 5});
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), out);
        // In the directory list the long name has its path as a tooltip, "/" none.
        restAt(w->Dir1->viewport(), w->Dir1->visualItemRect(w->Dir1->currentItem()).center());
        QCOMPARE(QToolTip::text(), deep);
        restAt(w->Dir1->viewport(), w->Dir1->visualItemRect(w->Dir1->topLevelItem(0)).center());
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    // The scan does not yield to the event loop; each percent step is
    // painted all the same.
    void progressShowsEveryStep()
    {
        struct Recorder : QObject {
            QStringList shown;
            bool eventFilter(QObject *label, QEvent *e) override
            {
                const QString text = static_cast<QLabel *>(label)->text();
                if (e->type() == QEvent::Paint && (shown.isEmpty() || shown.last() != text))
                    shown << text;
                return false;
            }
        } recorder;
        accept("a.bmp");
        QCoreApplication::processEvents();
        w->ProgressPer->installEventFilter(&recorder);
        w->ConvertButton_Click();
        QStringList expected;
        for (int i = 1; i <= 100; ++i)
            expected << QString::number(i);
        QCOMPARE(recorder.shown, expected);
    }

    void preview()
    {
        accept("a.bmp");
        QTest::mouseClick(w->ConvertButton, Qt::LeftButton);
        const QString before = state(*w);
        QString seen;
        const bool modal = withPreview([&](Form2 &p) {
            QCOMPARE(p.windowTitle(), QStringLiteral("LCD Preview"));
            QCOMPARE(p.windowIcon().pixmap(16).toImage(), w->windowIcon().pixmap(16).toImage());
            QVERIFY(QTest::qWaitForWindowActive(&p));
            QCOMPARE(QApplication::focusWidget(), p.LcdPic); // first in its focus order
            QVERIFY(focusMarked(p.LcdPic));
            QTest::keyClick(p.LcdPic, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), p.ShowButton);
            QVERIFY(!focusMarked(p.LcdPic));
            const auto blank = [&p] {
                return plain(p.LcdPic->image(), p.LcdPic->palette().color(QPalette::Button));
            };
            QTest::keyClick(p.ShowButton, Qt::Key_Space); // every dot is checked in test_resolution
            seen = QStringLiteral("shown: blank=%1;").arg(blank());
            // Resting on a dot names its bit (the words are the core's); beside the dots, nothing.
            for (const QPoint dot : {QPoint(239, 0), QPoint(240, 0)}) {
                const QPoint at = p.LcdPic->contentsRect().topLeft() + dot;
                QHelpEvent help(QEvent::ToolTip, at, p.LcdPic->mapToGlobal(at));
                QApplication::sendEvent(p.LcdPic, &help);
                QTRY_COMPARE(QToolTip::isVisible(), dot.x() < 240); // a tip goes after a short delay
                seen += " tip=" + (QToolTip::isVisible() ? QToolTip::text().left(39) : QString());
            }
            QVERIFY(QFile::remove(OutFilePath));
            BoxWatcher watcher;
            QTest::mouseClick(p.ShowButton, Qt::LeftButton);
            seen += " file gone:" + watcher.line() + QStringLiteral(" blank=%1").arg(blank());
        });
        QVERIFY(modal);
        QCOMPARE(seen, "shown: blank=0; tip=dot (239, 0): line 4, item 6, bit 7 of  tip= file gone: box=FailureBox "
                           + pics() + "/lcd_a.txt blank=1");
        QTRY_VERIFY(w->previewWindow() == nullptr); // unloaded on close
        QCOMPARE(state(*w), before);
    }

    void previewOwnedByTheMainWindow()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("the preview's owner (WM_TRANSIENT_FOR) is read from an X server; this platform has none");
        accept("a.bmp");
        w->ConvertButton_Click();
        WId owner = 0;
        QVERIFY(withPreview([&](Form2 &p) { owner = transientFor(&p); }));
        QCOMPARE(owner, w->winId());
    }

    // One file of each outcome of the intake (the whole table runs in the
    // core tests), chosen while a.bmp is shown.
    void hostileFile_data()
    {
        QTest::addColumn<int>("row");
        QList<testbmp::Outcome> shown;
        const std::vector<testbmp::HostileCase> cases = testbmp::hostileCases();
        for (std::size_t i = 0; i < cases.size(); ++i)
            if (!shown.contains(cases[i].outcome)) {
                shown << cases[i].outcome;
                QTest::newRow(cases[i].name.c_str()) << int(i);
            }
    }
    void hostileFile()
    {
        QFETCH(int, row);
        const testbmp::HostileCase c = testbmp::hostileCases().at(std::size_t(row));
        QTemporaryDir dir;
        QVERIFY(testbmp::place(c, dir.filePath("x.bmp").toStdString()));
        QString listed = listing(dir.path());
        accept("a.bmp");
        const QString before = state(*w);
        BoxWatcher box(w.get());
        accept("x.bmp", dir.path());
        if (c.outcome == testbmp::Outcome::Converted) { // the file's own picture, its data file beside it
            QVERIFY2(!box.seen, qPrintable(box.text));
            QCOMPARE(state(*w), accepted(dir.filePath("lcd_x.txt")));
            QCOMPARE(w->PreviewPic->point(0, 0), c.color0);
            QCOMPARE(w->PreviewPic->point(1, 0), c.color1);
            QTest::mouseClick(w->ConvertButton, Qt::LeftButton);
            listed.prepend("lcd_x.txt ");
        } else if (c.outcome == testbmp::Outcome::Rejected) { // the limits, a.bmp shown until OK, then Reset
            QCOMPARE(box.title, QStringLiteral("Picture Size Error"));
            QCOMPARE(box.text, QStringLiteral("Picture Resolution is limit to 240 x 128 pixels "
                                              "(Width x Height) and \r\n2 Colors Bitmap."));
            QVERIFY(box.plainOk && box.pictureShown);
            QCOMPARE(state(*w), kNoPicture);
        } else { // nothing of the file is kept: a.bmp stays shown and converts as before
            QCOMPARE(box.name, QStringLiteral("FailureBox"));
            QCOMPARE(box.text, dir.filePath("x.bmp") + "\n\n" + QString::fromStdString(c.reason));
            QCOMPARE(state(*w), before);
            QCOMPARE(w->PreviewPic->point(0, 0), 0); // a.bmp's black dot
            QTest::mouseClick(w->ConvertButton, Qt::LeftButton);
            QCOMPARE(load(pics() + "/lcd_a.txt").left(18), QStringLiteral("        DB 01H,80H"));
        }
        QCOMPARE(listing(dir.path()), listed);
    }
};

QUELLBIT_GUI_TEST_MAIN(QuellbitApplication, TestForm1)
#include "test_form1.moc"
