// The workflow around a picture: navigation, the states before and after a
// conversion, Reset, Exit and Preview.

#include "app/failure_report.h"
#include "app/form1.h"
#include "app/form2.h"
#include "app/globals.h"
#include "convert/data_file.h"

namespace quellbit {

void Form1::Drive1_Change()
{
    try {
        Dir1->setPath(Drive1->drive());
    } catch (const std::exception &failure) {
        reportFailure(this, failure);
    }
}

void Form1::Dir1_Change()
{
    try {
        File1->setPath(Dir1->path());
    } catch (const std::exception &failure) {
        reportFailure(this, failure);
    }
}

void Form1::computeOutFilePath()
{
    OutFilePath = QString::fromStdString(dataFilePathFor((AcceptedFolder + QLatin1Char('/') + AcceptedName).toStdString()));
}

void Form1::Ready_Convert()
{
    InverseOption->setEnabled(BmpInfoHeader.biBitCount == 1);
    NormalOption->setChecked(true);
    PreviewButton->setEnabled(false);
    ConvertButton->setEnabled(true);
    StatusValue->clear();
    OutFileValue->clear();
    ProgressPer->setText(QStringLiteral("0"));
    ConvertStatus = QStringLiteral("F");
    computeOutFilePath();
}

void Form1::Clear_Result()
{
    StatusValue->clear();
    OutFileValue->clear();
    PreviewButton->setEnabled(false);
    ProgressPer->setText(QStringLiteral("0"));
    ConvertStatus = QStringLiteral("F");
    computeOutFilePath();
}

void Form1::Show_Result()
{
    if (ConvertStatus == QLatin1String("S")) {
        StatusValue->setText(QStringLiteral("Successed"));
        OutFileValue->setText(OutFilePath);
    } else {
        StatusValue->setText(QStringLiteral("Failed"));
        OutFileValue->clear();
    }
}

void Form1::ResetButton_Click()
{
    PreviewPic->removePicture();
    Picture = PixelRaster(0, 0);
    InverseOption->setEnabled(false);
    NormalOption->setChecked(true);
    PreviewButton->setEnabled(false);
    ConvertButton->setEnabled(false);
    const std::initializer_list<QLabel *> readOuts
        = {HeightValue, WidthValue, ColorValue, StatusValue, OutFileValue};
    for (QLabel *readOut : readOuts)
        readOut->clear();
    ProgressPer->setText(QStringLiteral("0"));
    ConvertStatus = QStringLiteral("F");
    OutFilePath.clear();
    AcceptedFolder.clear();
    AcceptedName.clear();
}

void Form1::ExitButton_Click()
{
    close();
}

void Form1::PreviewButton_Click()
{
    try {
        if (!Preview)
            Preview = new Form2(this);
        Preview->exec();
    } catch (const std::exception &failure) {
        reportFailure(this, failure);
    }
}

} // namespace quellbit
