// The preview window: its frame and controls, an empty box when it opens,
// Show plotting a converted picture dot for dot, failures reported without
// losing the window, and the window going away when closed.

#include "app/app_icon.h"
#include "app/form2.h"
#include "app/globals.h"
#include "convert/scan.h"
#include "imaging/bitmap_image.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace quellbit;

namespace {

constexpr std::int32_t kBlack = 0;
constexpr std::int32_t kGreen = 32768;
constexpr std::int32_t kWhite = 0xFFFFFF;

// One data line written by hand, and its dots from left to right as the LCD
// shows them ('1' black, '0' green): each byte with its bit 0 leftmost.
const QByteArray kHandLine = "        DB 01H,80H,FFH,00H,0FH,F0H,3CH,A5H;\r\n";
const char kHandDots[] = "10000000" "00000001" "11111111" "00000000"
                         "11110000" "00001111" "00111100" "10100101";

// A 240 x 128 picture with no symmetry a swapped bit order or a shifted row
// could hide: black where (7x + 3y) mod 5 is 0 and in the last column.
bool patternOn(int x, int y) { return (7 * x + 3 * y) % 5 == 0 || x == 239; }

QByteArray patternDataFile()
{
    PixelRaster raster(240, 128, kWhite);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 240; ++x)
            if (patternOn(x, y))
                raster.set(x, y, kBlack);
    return QByteArray::fromStdString(convertToText(raster, kBlack));
}

std::int32_t background(const Form2 &form)
{
    return colorValue(form.LcdPic->palette().color(QPalette::Button).rgb());
}

// The first pixel of the box's interior whose colour is not `expected`, as
// text for the failure message; empty when every pixel matches.
QString firstMismatch(const PictureBox &box, const std::function<std::int32_t(int, int)> &expected)
{
    const QSize size = box.innerSize();
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (box.point(x, y) != expected(x, y))
                return QStringLiteral("pixel (%1, %2) is %3, expected %4")
                    .arg(x).arg(y).arg(box.point(x, y)).arg(expected(x, y));
    return {};
}

// Waits for the next message box while the code under test runs its nested
// event loop, keeps its text and closes it.
class BoxCatcher {
public:
    BoxCatcher()
    {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            poll_.stop();
            text = box->text();
            seen = true;
            box->accept();
        });
        poll_.start(0);
    }
    QString text;
    bool seen = false;

private:
    QTimer poll_;
};

} // namespace

class TestForm2 : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString writeData(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        BmpInfoHeader.biWidth = 240;
        BmpInfoHeader.biHeight = 128;
        OutFilePath.clear();
    }

    void frameAndControlsSitWhereTheTwipsPutThem()
    {
        QWidget owner;
        Form2 form(&owner);
        QCOMPARE(form.logicalDpiX(), 96); // 15 twips a pixel
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        QCOMPARE(form.size(), QSize(290, 232));
        QCOMPARE(form.LcdPic->geometry(), QRect(8, 0, 273, 185));
        QCOMPARE(form.LcdPic->innerSize(), QSize(269, 181));
        QCOMPARE(form.ShowButton->geometry(), QRect(96, 200, 105, 25));
        QVERIFY(form.LcdPic->isVisible() && form.LcdPic->isEnabled());
        QVERIFY(form.ShowButton->isVisible() && form.ShowButton->isEnabled());
        QCOMPARE(form.LcdPic->nextInFocusChain(), form.ShowButton);

        form.resize(600, 500);
        QCOMPARE(form.size(), QSize(600, 500));
        QCOMPARE(form.LcdPic->geometry(), QRect(8, 0, 273, 185));
        QCOMPARE(form.ShowButton->geometry(), QRect(96, 200, 105, 25));
    }

    void windowIsAnOrdinaryResizableTopLevel()
    {
        QWidget owner;
        Form2 form(&owner);
        QCOMPARE(form.windowTitle(), QStringLiteral("LCD Preview"));
        QCOMPARE(form.ShowButton->text(), QStringLiteral("Show"));
        QCOMPARE(form.windowIcon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_RGB32),
                 appIconImage().convertToFormat(QImage::Format_RGB32));
        QVERIFY(form.isWindow());
        QCOMPARE(form.parentWidget(), &owner);
        const Qt::WindowFlags flags = form.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Window);
        for (Qt::WindowType hint : {Qt::WindowTitleHint, Qt::WindowSystemMenuHint, Qt::WindowMinimizeButtonHint,
                                    Qt::WindowMaximizeButtonHint, Qt::WindowCloseButtonHint})
            QVERIFY(flags.testFlag(hint));
        QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
        QCOMPARE(form.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        QVERIFY(form.testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(!form.ShowButton->isDefault() && !form.ShowButton->autoDefault());
    }

    void opensWithAnEmptyBox()
    {
        QWidget owner;
        Form2 form(&owner);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const std::int32_t ground = background(form);
        const QString bad = firstMismatch(*form.LcdPic, [&](int, int) { return ground; });
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
    }

    void showPlotsTheConvertedPictureDotForDot()
    {
        OutFilePath = writeData(QStringLiteral("lcd_pattern.txt"), patternDataFile());
        QWidget owner;
        Form2 form(&owner);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const std::int32_t ground = background(form);
        QVERIFY(ground != kBlack && ground != kGreen);
        auto expected = [&](int x, int y) {
            if (x >= 240 || y >= 128)
                return ground;
            return patternOn(x, y) ? kBlack : kGreen;
        };

        for (int press = 1; press <= 2; ++press) {
            form.ShowButton->click();
            const QString bad = firstMismatch(*form.LcdPic, expected);
            QVERIFY2(bad.isEmpty(), qPrintable(QStringLiteral("press %1: %2").arg(press).arg(bad)));
        }

        // What is painted is the retained image.
        QTest::qWait(0);
        const QImage shown = form.LcdPic->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.copy(form.LcdPic->contentsRect()), form.LcdPic->image());
    }

    void handWrittenLinePutsBitZeroLeftmost()
    {
        OutFilePath = writeData(QStringLiteral("lcd_hand.txt"), kHandLine);
        QWidget owner;
        Form2 form(&owner);
        form.ShowButton->click();
        const std::int32_t ground = background(form);
        const QString bad = firstMismatch(*form.LcdPic, [&](int x, int y) {
            if (y > 0 || x >= 64)
                return ground;
            return kHandDots[x] == '1' ? kBlack : kGreen;
        });
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
        QCOMPARE(form.PlotX, std::int16_t(64));
        QCOMPARE(form.PlotRow, std::int16_t(0));
    }

    void failureIsReportedAndTheWindowGoesOn_data()
    {
        QTest::addColumn<QByteArray>("contents"); // null: no file at all
        QTest::addColumn<bool>("pathSet");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("dotsLeft"); // dots of row 0 still plotted

        QTest::newRow("missing data file: named, box cleared")
            << QByteArray() << true << QStringLiteral("cannot be opened") << 0;
        QTest::newRow("line too short: named by number, dots before it stay")
            << kHandLine + kHandLine + "    DB 01H;\r\n" + kHandLine << true << QStringLiteral("line 3") << 128;
        QTest::newRow("nothing converted yet: told so, box cleared")
            << QByteArray() << false << QStringLiteral("nothing to show") << 0;
    }

    void failureIsReportedAndTheWindowGoesOn()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, pathSet);
        QFETCH(QString, reason);
        QFETCH(int, dotsLeft);

        QWidget owner;
        Form2 form(&owner);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        OutFilePath = writeData(QStringLiteral("lcd_full.txt"), patternDataFile());
        form.ShowButton->click(); // a full box first, so clearing shows

        const QString path = dir_.filePath(QStringLiteral("lcd_failing.txt"));
        if (!contents.isNull())
            writeData(QStringLiteral("lcd_failing.txt"), contents);
        OutFilePath = pathSet ? path : QString();
        {
            BoxCatcher catcher;
            form.ShowButton->click();
            QVERIFY(catcher.seen);
            if (pathSet)
                QVERIFY2(catcher.text.contains(path), qPrintable(catcher.text));
            QVERIFY2(catcher.text.contains(reason), qPrintable(catcher.text));
        }
        const std::int32_t ground = background(form);
        const QString bad = firstMismatch(*form.LcdPic, [&](int x, int y) {
            if (y > 0 || x >= dotsLeft)
                return ground;
            return kHandDots[x % 64] == '1' ? kBlack : kGreen;
        });
        QVERIFY2(bad.isEmpty(), qPrintable(bad));

        // Still usable: the next Show plots a good file.
        OutFilePath = writeData(QStringLiteral("lcd_after.txt"), kHandLine);
        form.ShowButton->click();
        QCOMPARE(form.LcdPic->point(0, 0), kBlack);
        QCOMPARE(form.LcdPic->point(1, 0), kGreen);
        QVERIFY(form.isVisible());
    }

    void enterDoesNotPlotAndEscapeCloses()
    {
        OutFilePath = writeData(QStringLiteral("lcd_keys.txt"), kHandLine);
        QWidget owner;
        QPointer<Form2> form = new Form2(&owner);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        form->ShowButton->setFocus();
        QTest::keyClick(form->ShowButton, Qt::Key_Return);
        QCOMPARE(form->LcdPic->point(0, 0), background(*form));
        QTest::keyClick(form->ShowButton, Qt::Key_Space);
        QCOMPARE(form->LcdPic->point(0, 0), kBlack);
        QTest::keyClick(form->ShowButton, Qt::Key_Escape);
        QTRY_VERIFY(form.isNull());
    }

    void closingDeletesItAndTheNextOneStartsEmpty()
    {
        OutFilePath = writeData(QStringLiteral("lcd_reopen.txt"), patternDataFile());
        QWidget owner;
        QPointer<Form2> first = new Form2(&owner);
        first->show();
        first->ShowButton->click();
        QCOMPARE(first->LcdPic->point(0, 0), kBlack);
        first->close();
        QTRY_VERIFY(first.isNull());

        QPointer<Form2> second = new Form2(&owner);
        second->show();
        const std::int32_t ground = background(*second);
        const QString bad = firstMismatch(*second->LcdPic, [&](int, int) { return ground; });
        QVERIFY2(bad.isEmpty(), qPrintable(bad));
        second->close();
        QTRY_VERIFY(second.isNull());
    }

    void ownerTakesNoInputWhileItIsOpen()
    {
        QWidget owner;
        owner.resize(300, 200);
        auto *other = new QPushButton(QStringLiteral("Other"), &owner);
        other->setGeometry(10, 10, 100, 30);
        int clicks = 0;
        connect(other, &QPushButton::clicked, [&] { ++clicks; });
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));

        // Clicks go through the window system, where modality is enforced.
        const QPoint at = other->geometry().center();
        QPointer<Form2> form = new Form2(&owner);
        bool sawModal = false;
        QTimer::singleShot(0, form, [&] {
            sawModal = QApplication::activeModalWidget() == form;
            QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, at);
            form->close();
        });
        form->exec();
        QVERIFY(sawModal);
        QCOMPARE(clicks, 0);
        QTRY_VERIFY(form.isNull());

        QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, at); // the same click, now allowed
        QCOMPARE(clicks, 1);
    }
};

QTEST_MAIN(TestForm2)
#include "test_form2.moc"
