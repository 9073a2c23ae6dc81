#pragma once

// Shared by the main window tests: a started main window, a folder of test
// pictures, and a watcher that finds a modal box, notes what it shows and
// closes it.

#include "app/form1.h"
#include "app/globals.h"
#include "support/bmp_writer.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace form1test {

// What a modal message box showed while it was open.
struct BoxSeen {
    bool seen = false;
    QString objectName;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool pictureStillShown = false;
    QString heightWhileOpen;
};

// Polls for the active modal widget; when a message box appears it records
// it (and runs `whileOpen`) and presses its OK button.
class BoxWatcher : public QObject {
public:
    explicit BoxWatcher(std::function<void(BoxSeen &)> whileOpen = {}) : whileOpen_(std::move(whileOpen))
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            timer_.stop();
            seen.seen = true;
            seen.objectName = box->objectName();
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.buttons = box->standardButtons();
            seen.icon = box->icon();
            if (whileOpen_)
                whileOpen_(seen);
            if (QAbstractButton *ok = box->button(QMessageBox::Ok))
                ok->click();
            else
                box->reject();
        });
        timer_.start(10);
    }
    BoxSeen seen;

private:
    QTimer timer_;
    std::function<void(BoxSeen &)> whileOpen_;
};

// A folder of pictures: a.bmp, b.bmp (accepted), small.bmp (rejected).
// In a.bmp the first palette entry (black) is used at (0, 0) and (15, 0)
// only, every other pixel uses the second (white).
inline int sparsePixel(int x, int y) { return (y == 0 && (x == 0 || x == 15)) ? 0 : 1; }

inline bool writeBitmap(const QString &path, const testbmp::Spec1 &spec)
{
    return testbmp::save(path, testbmp::build(spec));
}

inline bool makePictures(const QString &folder)
{
    testbmp::Spec1 a;
    a.pixel = sparsePixel;
    testbmp::Spec1 b;
    b.pixel = [](int x, int) { return x % 2; };
    testbmp::Spec1 small;
    small.width = 100;
    return writeBitmap(folder + "/a.bmp", a) && writeBitmap(folder + "/b.bmp", b)
        && writeBitmap(folder + "/small.bmp", small);
}

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A main window after start-up, shown and exposed.
inline std::unique_ptr<quellbit::Form1> startWindow()
{
    quellbit::OutFilePath.clear();
    quellbit::BmpInfoHeader = {};
    auto window = std::make_unique<quellbit::Form1>();
    window->Form_Load();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    return window;
}

// Browses to `folder`, selects `name` and double-clicks it as the handler
// sees it.
inline void accept(quellbit::Form1 &w, const QString &folder, const QString &name)
{
    w.Dir1->setPath(folder);
    w.File1->selectFile(name);
    w.File1_DblClick();
}

} // namespace form1test
