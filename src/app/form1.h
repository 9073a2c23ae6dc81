#pragma once

// The main window: choosing a picture with the drive, directory and file
// lists, the picture with its properties, the Normal/Inverse choice, the
// progress and result read-outs and the Convert, Preview, Reset and Exit
// buttons. Every control is a public member named as the window knows it.
//
// The handlers are grouped by subsystem: layout and start-up in form1.cpp,
// the workflow around a picture in form1_workflow.cpp, the double-click on a
// file in form1_intake.cpp and the Convert command in form1_convert.cpp.

#include "app/form2.h"
#include "convert/scan.h"
#include "intake/bitmap_header.h"
#include "widgets/dir_list.h"
#include "widgets/drive_list.h"
#include "widgets/file_list.h"
#include "widgets/path_label.h"
#include "widgets/picture_box.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <string>

namespace quellbit {


class Form1 : public QWidget {
    Q_OBJECT
public:
    // Creates the window hidden, its controls in place but not yet in their
    // start-up state; Form_Load finishes the start.
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // The window's load handler: Init_Form, then shown centred in the screen's
    // available area; a window larger than that area is placed with its
    // title bar and top-left corner on the screen.
    void Form_Load();
    // Puts the controls into their start-up state.
    void Init_Form();

    // Navigation: the drive list leads the directory list, the directory
    // list leads the file list.
    void Drive1_Change();
    void Dir1_Change();

    // The picture intake: a double-click on a file name.
    void File1_DblClick();

    void Ready_Convert();
    void Clear_Result();
    void Show_Result();

    void ConvertButton_Click();
    void Set_Range();
    void Scan_Picture(std::int32_t onColor);

    void ResetButton_Click();
    void ExitButton_Click();
    void PreviewButton_Click();

    // The preview window while it exists (created at the first press of
    // Preview, deleted when closed).
    Form2 *previewWindow() const { return Preview; }

    // The controls, in the window's order: an earlier one is in front of a
    // later one where they overlap.
    QPushButton *ExitButton = nullptr;
    QPushButton *ResetButton = nullptr;
    QPushButton *ConvertButton = nullptr;
    QPushButton *PreviewButton = nullptr;
    FileList *File1 = nullptr;
    DirList *Dir1 = nullptr;
    DriveList *Drive1 = nullptr;
    QFrame *Frame1 = nullptr;
    PictureBox *PreviewPic = nullptr;
    QLabel *ColorValue = nullptr;
    QLabel *WidthValue = nullptr;
    QLabel *HeightValue = nullptr;
    QLabel *ColorLabel = nullptr;
    QLabel *WidthLabel = nullptr;
    QLabel *HeightLabel = nullptr;
    QFrame *Frame2 = nullptr;
    QRadioButton *NormalOption = nullptr;
    QRadioButton *InverseOption = nullptr;
    QFrame *Frame3 = nullptr;
    QLabel *StatusValue = nullptr;
    QLabel *ProgressPer = nullptr;
    QLabel *PercentLabel = nullptr;
    QLabel *StatusLabel = nullptr;
    QLabel *ProgressLabel = nullptr;
    QLabel *OutFileLabel = nullptr;
    PathLabel *OutFileValue = nullptr;
    QLabel *FileLabel = nullptr;
    QLabel *DirLabel = nullptr;
    QLabel *DriverLabel = nullptr;
    QLabel *CopyRightLabel = nullptr;

    // The first two palette entries of the last 1-bit bitmap read.
    RGBQUAD Palette0;
    RGBQUAD Palette1;
    // The accepted picture as decoded from the file, 240 x 128 colour values:
    // what PreviewPic shows and what Convert scans. Empty (0 x 0) when no
    // picture is shown.
    PixelRaster Picture {0, 0};
    // "F": no successful conversion of the current picture; "S": the last
    // conversion wrote the whole file. Empty until first set.
    QString ConvertStatus;

    // The folder and file name of the accepted picture, as the file list held
    // them when it was accepted. The data file is named after these, so
    // browsing or selecting another entry before Convert cannot send the
    // dots of one picture into another picture's data file.
    std::string AcceptedFolder;
    std::string AcceptedName;

protected:
    // Tab and Shift+Tab walk the focus order below, skipping disabled
    // controls; each option button is a stop of its own.
    bool focusNextPrevChild(bool next) override;

private:
    void createControls();
    void connectHandlers();
    void setTabOrders();
    void computeOutFilePath();
    // Lists `folder`, or when it cannot be listed the nearest folder that
    // can, saying so.
    void showFolder(const std::string &folder);

    QPointer<Form2> Preview;
    QList<QWidget *> focusOrder_;
};

} // namespace quellbit
