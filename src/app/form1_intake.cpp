// The picture intake: a double-click on a file name reads the bitmap once,
// judges its headers and decodes it, then shows the picture or tells the
// user the limits or why the file cannot be used.

#include "app/failure_report.h"
#include "app/form1.h"
#include "app/globals.h"
#include "imaging/raster_image.h"
#include "intake/picture_intake.h"

#include <QMessageBox>

namespace quellbit {

namespace {

QString rejectionPrompt()
{
    return QString::fromStdString(limitsMessage("\r\n"));
}

} // namespace

void Form1::File1_DblClick()
{
    // The separator always goes in, also after a root folder: "//a.bmp"
    // names the same file as "/a.bmp". With no entry selected the path
    // names the folder itself, which the intake refuses.
    const std::string folder = File1->pathBytes();
    const std::string name = File1->fileNameBytes();
    PictureIntake intake;
    try {
        intake = takePicture(folder + "/" + name);
    } catch (const std::exception &failure) {
        // Nothing of the file is kept: the picture shown before, its
        // captions, the header records, Palette0 and Palette1 and OutFilePath
        // stay as they were, and that picture can still be converted.
        reportFailure(this, failure);
        return;
    }

    BmpInfoHeader = intake.headers.info;
    if (intake.headers.paletteRead) {
        Palette0 = intake.headers.palette0;
        Palette1 = intake.headers.palette1;
    }
    if (intake.verdict != Verdict::Accepted) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Picture Size Error"), rejectionPrompt(),
                        QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("PictureSizeError"));
        box.exec();
        ResetButton_Click();
        return;
    }

    // The picture shown is the one decoded from the bytes just judged, and
    // Convert scans the same pixels.
    PreviewPic->loadPicture(rasterImage(intake.raster));
    Picture = std::move(intake.raster);
    const int bits = BmpInfoHeader.biBitCount;
    HeightValue->setText(QString::number(BmpInfoHeader.biHeight));
    WidthValue->setText(QString::number(BmpInfoHeader.biWidth));
    ColorValue->setText(QString::number(bits) + QStringLiteral(" Bits ") + QStringLiteral(" (")
                        + QString::number(1LL << bits) + QStringLiteral(" Colors)"));
    AcceptedFolder = folder;
    AcceptedName = name;
    Ready_Convert();
}

} // namespace quellbit
