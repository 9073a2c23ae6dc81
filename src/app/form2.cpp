#include "app/form2.h"

#include "app/app_icon.h"
#include "app/failure_report.h"
#include "app/globals.h"
#include "common/failure.h"
#include "preview/plot.h"
#include "widgets/twips.h"

#include <QFile>
#include <QHelpEvent>
#include <QToolTip>

#include <algorithm>
#include <exception>
#include <vector>

namespace quellbit {

namespace {

// A dialog to the window system, so that it is marked as owned by the main
// window (transient for it) and kept in front of it; still with the frame of
// a normal window.
constexpr Qt::WindowFlags kFrame = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                                   | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;

// Lets a run plot without a repaint per dot: the box is repainted once, when
// the run ends, also when it ends with a failure.
class UpdatesHeld {
public:
    explicit UpdatesHeld(QWidget *widget) : widget_(widget), wasEnabled_(widget->updatesEnabled())
    {
        widget_->setUpdatesEnabled(false);
    }
    ~UpdatesHeld() { widget_->setUpdatesEnabled(wasEnabled_); }
    UpdatesHeld(const UpdatesHeld &) = delete;
    UpdatesHeld &operator=(const UpdatesHeld &) = delete;

private:
    QWidget *widget_;
    bool wasEnabled_;
};

} // namespace

Form2::Form2(QWidget *owner) : QDialog(owner, kFrame)
{
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("LCD Preview"));
    setWindowIcon(appIcon());

    LcdPic = new PictureBox(this);
    LcdPic->setObjectName(QStringLiteral("LcdPic"));
    // The control-face colour, as behind a button's caption.
    LcdPic->setBackgroundRole(QPalette::Button);
    placeInTwips(LcdPic, 120, 0, 4095, 2775);
    LcdPic->setFocusPolicy(Qt::StrongFocus);
    LcdPic->clear();
    LcdPic->installEventFilter(this);

    ShowButton = new QPushButton(QStringLiteral("Show"), this);
    ShowButton->setObjectName(QStringLiteral("ShowButton"));
    // No default button: Enter does not plot; the button takes Space and
    // clicks like any other.
    ShowButton->setAutoDefault(false);
    ShowButton->setDefault(false);
    placeInTwips(ShowButton, 1440, 3000, 1575, 375);
    setTabOrder(LcdPic, ShowButton);
    LcdPic->setFocus(); // the first in the focus order has it when the window opens

    // Fixed positions; the frame can be resized and maximised freely.
    resize(twipsToPixelsX(4350), twipsToPixelsY(3480));

    connect(ShowButton, &QPushButton::clicked, this, &Form2::ShowButton_Click);
}

void Form2::ShowButton_Click()
{
    try {
        Load_Preview();
    } catch (const std::exception &failure) {
        reportFailure(this, failure);
    }
}

void Form2::Load_Preview()
{
    UpdatesHeld held(LcdPic);
    LcdPic->clear();
    PlotX = 0;
    PlotRow = 0;
    if (OutFilePath.isEmpty())
        throw Failure("(no data file)", "no picture has been converted yet, so there is nothing to show");
    readBitStrings(OutFilePathBytes, [this](std::string_view bits) { Plot_Bits(bits); });
}

void Form2::Plot_Bits(std::string_view bits)
{
    PlotState state {PlotX, PlotRow};
    plotBits(bits, state, *LcdPic, BmpInfoHeader.biWidth, BmpInfoHeader.biHeight);
    PlotX = state.PlotX;
    PlotRow = state.PlotRow;
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != LcdPic || event->type() != QEvent::ToolTip)
        return QDialog::eventFilter(watched, event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QPoint at = help->pos() - LcdPic->contentsRect().topLeft();
    // Never more than the box shows, whatever the header says.
    std::vector<std::int32_t> row(static_cast<std::size_t>(std::clamp(BmpInfoHeader.biWidth, 0, LcdPic->innerSize().width())));
    for (std::size_t x = 0; x < row.size(); ++x)
        row[x] = LcdPic->point(static_cast<int>(x), at.y());
    const std::string text = describePlottedDot(at.x(), at.y(), row, BmpInfoHeader.biWidth, BmpInfoHeader.biHeight);
    if (text.empty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), QString::fromStdString(text), LcdPic);
    return true;
}

} // namespace quellbit
