// Both windows at the screen's resolution: laid out from the twips design,
// placed on the screen, and every picture drawn one dot per device pixel.
// CTest runs this at 96, 120, 144 and 192 dots per inch (QT_FONT_DPI) and
// with QT_SCALE_FACTOR=2; each run checks the row of its own resolution.

#include "app/form1.h"
#include "app/quellbit_application.h"
#include "app/form2.h"
#include "app/globals.h"
#include "gui/gui_test_main.h"
#include "support/bmp_writer.h"

#include <QDir>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace quellbit;

namespace {

// No symmetry a shifted, doubled or dropped column or row could hide.
bool black(int x, int y) { return (7 * x + 3 * y) % 5 == 0 || x == 239 || y == 127; }

struct Layout {
    int dpi;
    QSize client;
    QRect frame1, previewPic; // PreviewPic inside Frame1
    QSize preview;
    QRect lcdPic, showButton;
};

// The design's twips over 15, 12, 10 and 7.5 twips per pixel, a half pixel
// rounded up. PreviewPic is 245 x 133 pixels at every resolution, at
//   Top  = (Frame1 height + 300) / 2 - 133 px / 2,
//   Left = Frame1 width / 2 - 245 px / 2,
// in twips from Frame1's size in whole pixels: at 120, (3012 + 300) / 2 - 798
// = 858 twips = 71.5 px and 6252 / 2 - 1470 = 1656 twips = 138 px.
const Layout kLayouts[] = {
    {96, {466, 545}, {24, 176, 417, 201}, {86, 44, 245, 133}, {290, 232}, {8, 0, 273, 185},
        {96, 200, 105, 25}},
    {120, {583, 681}, {30, 220, 521, 251}, {138, 72, 245, 133}, {363, 290}, {10, 0, 341, 231},
        {120, 250, 131, 31}},
    {144, {699, 818}, {36, 264, 626, 302}, {191, 100, 245, 133}, {435, 348}, {12, 0, 410, 278},
        {144, 300, 158, 38}},
    {192, {932, 1090}, {48, 352, 834, 402}, {295, 155, 245, 133}, {580, 464}, {16, 0, 546, 370},
        {192, 400, 210, 50}},
};

// The first pixel of `grab` unlike a picture box drawn at `box` on `ground`:
// its outer border line not the ground, the line around it all ground, and
// inside, from (2, 2), the 240 x 128 dots (`on` where black() holds, `off`
// elsewhere) with a free column and row of `free` beside them.
QString firstMismatch(const QImage &grab, const QRect &box, QRgb ground, QRgb on, QRgb off, QRgb free)
{
    const auto rgb = [](QRgb c) { return c & 0xFFFFFF; };
    for (int y = box.top() - 1; y <= box.bottom() + 1; ++y)
        for (int x = box.left() - 1; x <= box.right() + 1; ++x) {
            const int dx = x - box.left() - 2, dy = y - box.top() - 2;
            const QRgb got = rgb(grab.pixel(x, y));
            bool right = true;
            if (!box.contains(x, y))
                right = !grab.valid(x, y) || got == rgb(ground);
            else if (!box.adjusted(1, 1, -1, -1).contains(x, y))
                right = got != rgb(ground);
            else if (dx >= 0 && dx <= 240 && dy >= 0 && dy <= 128)
                right = got == rgb(dx == 240 || dy == 128 ? free : black(dx, dy) ? on : off);
            if (!right)
                return QStringLiteral("(%1, %2) is %3").arg(x).arg(y).arg(got, 6, 16, QLatin1Char('0'));
        }
    return {};
}

} // namespace

class TestResolution : public QObject {
    Q_OBJECT
private slots:
    void windowsAtThisResolution();
};

void TestResolution::windowsAtThisResolution()
{
    const int dpi = qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchX());
    const Layout *want = nullptr;
    for (const Layout &layout : kLayouts)
        want = layout.dpi == dpi ? &layout : want;
    QVERIFY2(want, qPrintable(QStringLiteral("no layout worked out for %1 dots per inch").arg(dpi)));

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    testbmp::Layout picture;
    picture.pixel = [](int x, int y) { return black(x, y) ? 0 : 1; };
    QVERIFY(testbmp::save(tmp.filePath("p.bmp").toStdString(), testbmp::build(picture)));
    OutFilePath.clear();

    Form1 w;
    w.Form_Load();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.devicePixelRatioF(), 1.0); // the toolkit stretches nothing
    QCOMPARE(w.size(), want->client);
    QCOMPARE(w.Frame1->geometry(), want->frame1);
    QCOMPARE(w.PreviewPic->geometry(), want->previewPic);

    // Centred in the available area, give or take the frame a window system
    // adds only once the window is shown; when larger, the top-left corner
    // (and so the title bar) on the screen.
    const QRect area = w.screen()->availableGeometry(), frame = w.frameGeometry();
    const QSize added = frame.size() - w.size();
    const int across[] = {frame.left() - area.left(), area.right() - frame.right(),
                          frame.width() - area.width(), added.width()};
    const int down[] = {frame.top() - area.top(), area.bottom() - frame.bottom(),
                        frame.height() - area.height(), added.height()};
    for (const int *margins : {across, down})
        QVERIFY(margins[2] > 0 ? margins[0] == 0
                               : margins[0] >= 0 && qAbs(margins[0] - margins[1]) <= margins[3] + 1);

    w.Dir1->setPath(tmp.path());
    QVERIFY(w.File1->selectFile("p.bmp"));
    w.File1_DblClick();
    w.ConvertButton_Click();
    QCOMPARE(w.StatusValue->text(), QStringLiteral("Successed"));
    w.Drive1->setFocus(); // no focus mark on the box
    QCoreApplication::processEvents();

    const QImage form1 = w.grab().toImage();
    QCOMPARE(form1.size(), want->client);
    const QString shown = firstMismatch(form1, want->previewPic.translated(want->frame1.topLeft()),
        w.palette().color(QPalette::Window).rgb(), qRgb(0, 0, 0), qRgb(255, 255, 255),
        w.PreviewPic->palette().color(QPalette::Window).rgb());
    QVERIFY2(shown.isEmpty(), qPrintable(shown));

    QList<QRect> places; // the preview window's client area, LcdPic, ShowButton
    QString dots;
    QTimer::singleShot(0, &w, [&] {
        Form2 *p = w.previewWindow();
        p->ShowButton_Click();
        p->ShowButton->setFocus();
        QCoreApplication::processEvents();
        places = {p->rect(), p->LcdPic->geometry(), p->ShowButton->geometry()};
        dots = firstMismatch(p->grab().toImage(), p->LcdPic->geometry(),
            p->palette().color(QPalette::Window).rgb(), qRgb(0, 0, 0), qRgb(0, 128, 0),
            p->LcdPic->palette().color(QPalette::Button).rgb());
        p->close();
    });
    w.PreviewButton_Click();
    QCOMPARE(places, (QList<QRect> {QRect({0, 0}, want->preview), want->lcdPic, want->showButton}));
    QVERIFY2(dots.isEmpty(), qPrintable(dots));
}

QUELLBIT_GUI_TEST_MAIN(QuellbitApplication, TestResolution)
#include "test_resolution.moc"
