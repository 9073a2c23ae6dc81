// The picture intake: a double-click on a file name reads and judges the
// bitmap's headers, then shows the picture or tells the user the limits.

#include "app/failure_report.h"
#include "app/form1.h"
#include "app/globals.h"

#include <QMessageBox>

namespace quellbit {

namespace {

QString rejectionPrompt()
{
    return QStringLiteral("Picture Resolution is limit to ") + QString::number(kPictureWidth) + QStringLiteral(" x ")
           + QString::number(kPictureHeight) + QStringLiteral(" pixels (Width x Height) and ") + QStringLiteral("\r\n")
           + QString::number(2) + QStringLiteral(" Colors Bitmap.");
}

} // namespace

void Form1::File1_DblClick()
{
    try {
        // The separator always goes in, also after a root folder: "//a.bmp"
        // names the same file as "/a.bmp". With no entry selected the path
        // names the folder itself, which the header read refuses.
        const QString folder = File1->path();
        const QString name = File1->fileName();
        const BitmapHeaders headers = readBitmapHeaders((folder + QLatin1Char('/') + name).toStdString());
        BmpFileHeader = headers.file;
        BmpInfoHeader = headers.info;
        if (headers.paletteRead) {
            Palette0 = headers.palette0;
            Palette1 = headers.palette1;
        }

        if (judgeHeaders(BmpInfoHeader) != Verdict::Accepted) {
            QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Picture Size Error"), rejectionPrompt(),
                            QMessageBox::Ok, this);
            box.setObjectName(QStringLiteral("PictureSizeError"));
            box.exec();
            ResetButton_Click();
            return;
        }

        PreviewPic->loadPicture(File1->path() + QLatin1Char('/') + File1->fileName());
        const int bits = BmpInfoHeader.biBitCount;
        HeightValue->setText(QString::number(BmpInfoHeader.biHeight));
        WidthValue->setText(QString::number(BmpInfoHeader.biWidth));
        ColorValue->setText(QString::number(bits) + QStringLiteral(" Bits ") + QStringLiteral(" (")
                            + QString::number(1LL << bits) + QStringLiteral(" Colors)"));
        AcceptedFolder = folder;
        AcceptedName = name;
        Ready_Convert();
    } catch (const std::exception &failure) {
        reportFailure(this, failure);
        ResetButton_Click();
    }
}

} // namespace quellbit
