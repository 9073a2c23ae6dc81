#pragma once

// The LCD preview window: a picture box that shows the data file of the
// current picture dot by dot, one screen pixel per LCD dot (black for a 1 bit,
// dark green for a 0 bit), and a "Show" button that reads the file and plots
// it again from the top-left corner.

#include "widgets/picture_box.h"

#include <QDialog>
#include <QPushButton>

#include <cstdint>
#include <string_view>

namespace quellbit {

class Form2 : public QDialog {
    Q_OBJECT
public:
    // A resizable top-level window owned by `owner`; it deletes itself when
    // closed, so every new one starts with an empty picture box.
    explicit Form2(QWidget *owner);

    PictureBox *LcdPic = nullptr;
    QPushButton *ShowButton = nullptr;

    // Runs Load_Preview; a failure is shown in a message box naming the file
    // (and the line), the dots plotted before it stay and the window goes on.
    void ShowButton_Click();
    // Clears LcdPic, starts at (0, 0) and calls Plot_Bits with the bit string
    // of every non-empty line of the data file at OutFilePath. Throws Failure
    // naming the file when it cannot be read or a line cannot be decoded;
    // PlotX and PlotRow are then left where the plot stopped.
    void Load_Preview();
    // Plots one decoded bit string at (PlotX, PlotRow) within biWidth x
    // biHeight and moves the position on to the next dot.
    void Plot_Bits(std::string_view bits);

    std::int16_t PlotX = 0;
    std::int16_t PlotRow = 0;

protected:
    // Resting the pointer on a plotted dot of LcdPic shows where its bit
    // stands in the data file: "dot (239, 0): line 4, item 6, bit 7 of 80H".
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace quellbit
