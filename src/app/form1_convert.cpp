// The Convert command: the scan of the picture shown in PreviewPic (the
// decoded picture it was made from) into the LCD data file at OutFilePath,
// with the progress read-out repainted at once at every percent step.

#include "app/failure_report.h"
#include "app/form1.h"
#include "app/globals.h"
#include "common/output_file.h"
#include "imaging/bitmap_image.h"

#include <QFile>

namespace quellbit {

namespace {

// Shows each percent step in the read-out at once: the scan does not yield
// to the event loop, so the label is repainted on the spot.
class LabelProgress final : public ProgressSink {
public:
    explicit LabelProgress(QLabel *label) : label_(label) { }
    void progress(std::int16_t percent) override
    {
        label_->setText(QString::number(percent));
        label_->repaint();
    }

private:
    QLabel *label_;
};

} // namespace

void Form1::ConvertButton_Click()
{
    try {
        Set_Range();
        Clear_Result();
        if (BmpInfoHeader.biBitCount == 1) {
            Scan_Picture(onColor(Palette0, Palette1, !NormalOption->isChecked()));
            PreviewButton->setEnabled(true);
        } else {
            PreviewButton->setEnabled(false);
        }
        Show_Result();
    } catch (const std::exception &failure) {
        // The earlier data file stays as it was (the file is replaced only
        // when the whole scan has been written); the read-out keeps the last
        // step reached.
        reportFailure(this, failure);
        ConvertStatus = QStringLiteral("F");
        PreviewButton->setEnabled(false);
        Show_Result();
    }
}

void Form1::Set_Range()
{
    ScanBounds = setRange(BmpInfoHeader.biWidth, BmpInfoHeader.biHeight);
}

void Form1::Scan_Picture(std::int32_t onColor)
{
    const std::int32_t width = BmpInfoHeader.biWidth;
    const std::int32_t height = BmpInfoHeader.biHeight;
    OutputFile out(OutFilePathBytes);
    LabelProgress progress(ProgressPer);
    scanPicture(Picture, onColor, ScanBounds, width, height, out, progress);
    out.commit();
    ProgressPer->setText(QStringLiteral("100"));
    ConvertStatus = QStringLiteral("S");
}

} // namespace quellbit
