// Takes the README's pictures of both windows: the main window after a
// sample picture was converted, and the LCD preview after Show (left out
// when no second file is named). Run under Xvfb by `make screenshots`, at
// 96 dots per inch and, for the main window, at 120 (QT_FONT_DPI=120).

#include "app/form1.h"
#include "app/quellbit_application.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    quellbit::QuellbitApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: screenshots FORM1.png [FORM2.png]\n");
        return 2;
    }
    const QString form1Png = QString::fromLocal8Bit(argv[1]);
    const QString form2Png = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString();

    // The samples are shown from a neutral folder, so the picture tells
    // nothing of the machine it was taken on.
    const QString folder = QDir::temp().filePath(QStringLiteral("Pictures"));
    QDir().mkpath(folder);
    for (const QString &name : QDir(QCoreApplication::applicationDirPath()).entryList({"*.bmp"}, QDir::Files))
        QFile::copy(QCoreApplication::applicationDirPath() + QLatin1Char('/') + name, folder + QLatin1Char('/') + name);

    quellbit::Form1 window;
    window.Form_Load();
    window.Dir1->setPath(folder);
    window.File1->selectFile(QStringLiteral("logo.bmp"));
    window.File1_DblClick();
    window.ConvertButton_Click();
    if (window.StatusValue->text() != QLatin1String("Successed")) {
        std::fprintf(stderr, "screenshots: the sample picture was not converted\n");
        return 1;
    }
    QApplication::processEvents();
    bool saved = window.grab().save(form1Png);
    if (form2Png.isEmpty()) {
        QDir(folder).removeRecursively();
        return saved ? 0 : 1;
    }

    // The preview is modal: Show and the picture are taken inside its loop.
    QTimer::singleShot(0, [&] {
        quellbit::Form2 *preview = window.previewWindow();
        preview->ShowButton_Click();
        QApplication::processEvents();
        saved = preview->grab().save(form2Png) && saved;
        preview->close();
    });
    window.PreviewButton_Click();
    QDir(folder).removeRecursively();
    return saved ? 0 : 1;
}
