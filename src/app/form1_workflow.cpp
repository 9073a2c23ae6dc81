// The workflow around a picture: navigation, the states before and after a
// conversion, Reset, Exit and Preview.

#include "app/failure_report.h"
#include "app/form1.h"
#include "app/form2.h"
#include "app/globals.h"
#include "common/failure.h"
#include "common/folder_listing.h"
#include "common/shown_name.h"
#include "convert/data_file.h"

#include <QDir>
#include <QFile>

namespace quellbit {

void Form1::Drive1_Change()
{
    // Listed again even when the directory list shows that folder already.
    const std::string before = Dir1->pathBytes();
    showFolder(QFile::encodeName(Drive1->drive()).toStdString());
    if (Dir1->pathBytes() == before)
        Dir1_Change();
}

void Form1::Dir1_Change()
{
    try {
        File1->setPathBytes(Dir1->pathBytes());
    } catch (const std::exception &failure) {
        reportFailure(this, failure);
    }
}

void Form1::showFolder(const std::string &folder)
{
    try {
        Dir1->setPathBytes(folder);
        return;
    } catch (const Failure &failure) {
        // The lists are never left with nothing to choose: the nearest
        // folder that can be listed is shown instead, and the user told.
        const std::string home = QFile::encodeName(QDir::homePath()).toStdString();
        const std::string instead = nearestListableFolder(folder, home);
        try {
            Dir1->setPathBytes(instead);
        } catch (const std::exception &) {
        }
        reportFailure(this, Failure(failure.file(), failure.reason() + "; the lists show " + shownName(instead)
                                                        + " instead"));
    }
}

void Form1::computeOutFilePath()
{
    OutFilePathBytes = dataFilePathFor(AcceptedFolder + '/' + AcceptedName);
    OutFilePath = QString::fromStdString(shownName(OutFilePathBytes));
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
    OutFilePathBytes.clear();
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
