#include "app/form1.h"

#include "app/app_icon.h"
#include "app/form2.h"
#include "common/version.h"
#include "widgets/twips.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace quellbit {

namespace {

constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                         | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                                         | Qt::WindowCloseButtonHint;

// Client area in twips.
constexpr int kClientWidth = 6990;
constexpr int kClientHeight = 8175;

// The one size fixed in pixels: the main picture box, 2-pixel border
// included, so that its inner area holds a whole 240 x 128 picture.
constexpr int kPictureBoxWidth = 245;
constexpr int kPictureBoxHeight = 133;

template <typename Control>
Control *make(QWidget *container, const char *name, int left, int top, int width, int height)
{
    auto *control = new Control(container);
    control->setObjectName(QString::fromLatin1(name));
    placeInTwips(control, left, top, width, height);
    return control;
}

// A fixed caption a pixel or two wider than its label is set a little
// tighter, so that it is shown whole in its place.
void fitCaption(QLabel *l)
{
    QFont font = l->font();
    for (int spacing = 98; spacing >= 86 && QFontMetrics(font).horizontalAdvance(l->text()) > l->width(); spacing -= 2)
        font.setLetterSpacing(QFont::PercentageSpacing, spacing);
    l->setFont(font);
}

template <typename Label = QLabel>
Label *label(QWidget *container, const char *name, const char *caption, int left, int top, int width, int height,
             Qt::Alignment align = Qt::AlignLeft)
{
    auto *l = make<Label>(container, name, left, top, width, height);
    l->setText(QString::fromLatin1(caption));
    l->setAlignment(align | Qt::AlignTop);
    l->setTextFormat(Qt::PlainText);
    fitCaption(l);
    return l;
}

QPushButton *button(QWidget *container, const char *name, const char *caption, int left, int top, int width,
                    int height)
{
    auto *b = make<QPushButton>(container, name, left, top, width, height);
    b->setText(QString::fromLatin1(caption));
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QFrame *frame(QWidget *container, const char *name, int left, int top, int width, int height)
{
    auto *f = make<QFrame>(container, name, left, top, width, height);
    f->setFrameStyle(QFrame::Box | QFrame::Sunken); // an etched line, no caption
    return f;
}

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    widget->setPalette(p);
}

} // namespace

Form1::Form1(QWidget *parent) : QWidget(parent, kWindowFlags)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quellbit-") + QString::fromStdString(shortProgramVersion()));
    setWindowIcon(appIcon());
    // The captions are laid out for a narrow 8-point sans serif; the wider
    // default font of many desktops would cut off their ends.
    QFont captions;
    captions.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Helvetica")});
    captions.setPointSizeF(8.25);
    setFont(captions);
    resize(twipsToPixelsX(kClientWidth), twipsToPixelsY(kClientHeight));
    createControls();
    setTabOrders();
    connectHandlers();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    // Containers first, so that the controls inside them can be created;
    // the stacking order is put right at the end.
    Frame1 = frame(this, "Frame1", 360, 2640, 6255, 3015);
    Frame2 = frame(this, "Frame2", 360, 5640, 6255, 1935);

    ExitButton = button(this, "ExitButton", "Exit", 5520, 6480, 855, 375);
    ResetButton = button(this, "ResetButton", "Reset", 5520, 6000, 855, 375);
    ConvertButton = button(this, "ConvertButton", "Convert", 3120, 6000, 855, 375);
    PreviewButton = button(this, "PreviewButton", "Preview", 4080, 6000, 855, 375);
    ConvertButton->setEnabled(false);
    PreviewButton->setEnabled(false);

    File1 = make<FileList>(this, "File1", 3480, 720, 3135, 1845);
    File1->setPattern(QStringLiteral("*.bmp"));
    Dir1 = make<DirList>(this, "Dir1", 360, 900, 2895, 1665);
    Drive1 = make<DriveList>(this, "Drive1", 960, 240, 2295, 315);

    PreviewPic = make<PictureBox>(Frame1, "PreviewPic", 1080, 600, 4335, 2055);
    PreviewPic->setFocusPolicy(Qt::StrongFocus);
    const QColor darkBlue(0, 0, 192);
    ColorValue = label(Frame1, "ColorValue", "", 4080, 240, 1935, 285);
    WidthValue = label(Frame1, "WidthValue", "", 2640, 240, 615, 285);
    HeightValue = label(Frame1, "HeightValue", "", 1200, 240, 615, 285);
    for (QLabel *value : {ColorValue, WidthValue, HeightValue})
        setTextColor(value, darkBlue);
    ColorLabel = label(Frame1, "ColorLabel", "Color :", 3480, 240, 495, 255);
    WidthLabel = label(Frame1, "WidthLabel", "Width :", 1920, 240, 615, 255);
    HeightLabel = label(Frame1, "HeightLabel", "Height :", 480, 240, 615, 255);

    NormalOption = make<QRadioButton>(Frame2, "NormalOption", 480, 360, 975, 375);
    NormalOption->setText(QStringLiteral("Normal"));
    NormalOption->setChecked(true);
    InverseOption = make<QRadioButton>(Frame2, "InverseOption", 1560, 360, 975, 375);
    InverseOption->setText(QStringLiteral("Inverse"));
    InverseOption->setEnabled(false);
    Frame3 = frame(Frame2, "Frame3", 240, 120, 4575, 735);
    StatusValue = label(Frame2, "StatusValue", "", 3120, 1080, 1095, 255, Qt::AlignRight);
    ProgressPer = label(Frame2, "ProgressPer", "", 1200, 1080, 375, 255, Qt::AlignRight);
    PercentLabel = label(Frame2, "PercentLabel", "%", 1680, 1080, 255, 255);
    StatusLabel = label(Frame2, "StatusLabel", "Status :", 2400, 1080, 615, 255);
    ProgressLabel = label(Frame2, "ProgressLabel", "Progress :", 360, 1080, 735, 255);
    OutFileLabel = label(Frame2, "OutFileLabel", "Output File :", 360, 1440, 855, 255);
    OutFileValue = label<PathLabel>(Frame2, "OutFileValue", "", 1320, 1440, 4695, 375);
    setTextColor(OutFileValue, QColor(0, 128, 0));

    FileLabel = label(this, "FileLabel", "Files Name (*.bmp):", 3480, 360, 1575, 255);
    DirLabel = label(this, "DirLabel", "Directory:", 360, 600, 975, 255);
    DriverLabel = label(this, "DriverLabel", "Driver:", 360, 240, 615, 255);
    CopyRightLabel = label(this, "CopyRightLabel", "", 360, 7680, 6255, 495);
    QFont notice(QStringLiteral("Arial"));
    notice.setPointSizeF(8.25);
    notice.setWeight(QFont::Normal);
    notice.setItalic(false);
    CopyRightLabel->setFont(notice);
    setTextColor(CopyRightLabel, QColor(64, 64, 64));

    // Stacking: raise from the last control of each container to the first,
    // so the first ends up in front.
    const QList<QWidget *> windowOrder = {ExitButton, ResetButton, ConvertButton, PreviewButton, File1,
                                          Dir1, Drive1, Frame1, Frame2, FileLabel, DirLabel, DriverLabel,
                                          CopyRightLabel};
    const QList<QWidget *> frame1Order = {PreviewPic, ColorValue, WidthValue, HeightValue,
                                          ColorLabel, WidthLabel, HeightLabel};
    const QList<QWidget *> frame2Order = {NormalOption, InverseOption, Frame3, StatusValue, ProgressPer,
                                          PercentLabel, StatusLabel, ProgressLabel, OutFileLabel, OutFileValue};
    for (const QList<QWidget *> *order : {&windowOrder, &frame1Order, &frame2Order})
        for (auto it = order->crbegin(); it != order->crend(); ++it)
            (*it)->raise();
}

void Form1::setTabOrders()
{
    focusOrder_ = {Drive1,        Dir1,        File1,      PreviewButton, PreviewPic,
                   ConvertButton, ResetButton, ExitButton, InverseOption, NormalOption};
    for (qsizetype i = 1; i < focusOrder_.size(); ++i)
        setTabOrder(focusOrder_[i - 1], focusOrder_[i]);
}

bool Form1::focusNextPrevChild(bool next)
{
    // Qt lets only one option button of a group take the focus by Tab; the
    // window's order has both, so the walk ignores their focus policy.
    QWidget *current = focusWidget();
    while (current && !focusOrder_.contains(current))
        current = current->parentWidget();
    const qsizetype count = focusOrder_.size();
    const qsizetype at = current ? focusOrder_.indexOf(current) : -1;
    if (at < 0)
        return QWidget::focusNextPrevChild(next);
    for (qsizetype step = 1; step <= count; ++step) {
        QWidget *candidate = focusOrder_[((next ? at + step : at - step) % count + count) % count];
        if (candidate->isEnabled() && candidate->isVisible()) {
            candidate->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

void Form1::connectHandlers()
{
    connect(Drive1, &DriveList::driveChanged, this, &Form1::Drive1_Change);
    connect(Dir1, &DirList::pathChanged, this, &Form1::Dir1_Change);
    connect(File1, &FileList::fileChosen, this, &Form1::File1_DblClick);
    connect(ConvertButton, &QPushButton::clicked, this, &Form1::ConvertButton_Click);
    connect(PreviewButton, &QPushButton::clicked, this, &Form1::PreviewButton_Click);
    connect(ResetButton, &QPushButton::clicked, this, &Form1::ResetButton_Click);
    connect(ExitButton, &QPushButton::clicked, this, &Form1::ExitButton_Click);
}

void Form1::Form_Load()
{
    Init_Form();
    if (const QScreen *s = screen()) {
        const QRect area = s->availableGeometry();
        const QSize size = frameGeometry().size();
        move(area.left() + std::max(0, (area.width() - size.width()) / 2),
             area.top() + std::max(0, (area.height() - size.height()) / 2));
    }
    show();
}

void Form1::Init_Form()
{
    CopyRightLabel->setText(QStringLiteral("Quellbit ") + QString::fromStdString(shortProgramVersion())
                            + QStringLiteral(": 240 x 128 one-bit bitmaps to LCD data files.\r\n"
                                             "Free to use and to pass on, without any warranty."));
    ProgressPer->setText(QStringLiteral("0"));

    const QString home = QCoreApplication::applicationDirPath();
    Drive1->setDrive(Drive1->driveFor(home));
    showFolder(QFile::encodeName(home).toStdString());

    const double boxWidth = pixelsToTwipsX(kPictureBoxWidth);
    const double boxHeight = pixelsToTwipsY(kPictureBoxHeight);
    const float frameWidth = static_cast<float>(pixelsToTwipsX(Frame1->width()));
    const float frameHeight = static_cast<float>(pixelsToTwipsY(Frame1->height()));
    const float top = (frameHeight + 300.0f) / 2.0f - static_cast<float>(boxHeight) / 2.0f;
    const float left = frameWidth / 2.0f - static_cast<float>(boxWidth) / 2.0f;
    placeInTwips(PreviewPic, left, top, boxWidth, boxHeight);
}

} // namespace quellbit
