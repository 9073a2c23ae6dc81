// The main window as it opens: its own settings, every control's kind,
// container, caption, place and size in pixels at 96 dpi, colours, stacking,
// focus order and start-up state.

#include "app/app_icon.h"
#include "test_form1_support.h"
#include "widgets/twips.h"

#include <QCoreApplication>
#include <QScreen>

using namespace quellbit;

class TestForm1Layout : public QObject {
    Q_OBJECT
private slots:
    void init() { w = form1test::startWindow(); QVERIFY(w); }
    void cleanup() { w.reset(); }

    void windowSettings();
    void controlPlaces_data();
    void controlPlaces();
    void pictureBoxIsCentredByTheTwoFormulas();
    void readOutColoursAndNotice();
    void stackingPutsEarlierControlsInFront();
    void startUpState();
    void startUpShowsTheProgramFolder();
    void tabWalk_data();
    void tabWalk();
    void noDefaultButton();
    void resizingMovesNothing();

private:
    std::unique_ptr<Form1> w;
};

void TestForm1Layout::windowSettings()
{
    QCOMPARE(w->windowTitle(), QStringLiteral("Quellbit-0.1"));
    QCOMPARE(w->size(), QSize(466, 545));
    const Qt::WindowFlags flags = w->windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(w->minimumSize(), QSize(0, 0)); // sizable
    QVERIFY(w->layout() == nullptr);
    QCOMPARE(w->windowIcon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_RGB32),
             appIconImage().convertToFormat(QImage::Format_RGB32));
    const QPoint centre = w->screen()->availableGeometry().center();
    QVERIFY(qAbs(w->geometry().center().x() - centre.x()) <= 1);
    QVERIFY(qAbs(w->geometry().center().y() - centre.y()) <= 1);
}

void TestForm1Layout::controlPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("caption");
    // Twips from the control table divided by 15.
    QTest::newRow("ExitButton") << "ExitButton" << "QPushButton" << "Form1" << QRect(368, 432, 57, 25) << "Exit";
    QTest::newRow("ResetButton") << "ResetButton" << "QPushButton" << "Form1" << QRect(368, 400, 57, 25) << "Reset";
    QTest::newRow("ConvertButton") << "ConvertButton" << "QPushButton" << "Form1" << QRect(208, 400, 57, 25)
                                   << "Convert";
    QTest::newRow("PreviewButton") << "PreviewButton" << "QPushButton" << "Form1" << QRect(272, 400, 57, 25)
                                   << "Preview";
    QTest::newRow("File1") << "File1" << "quellbit::FileList" << "Form1" << QRect(232, 48, 209, 123) << "";
    QTest::newRow("Dir1") << "Dir1" << "quellbit::DirList" << "Form1" << QRect(24, 60, 193, 111) << "";
    QTest::newRow("Drive1") << "Drive1" << "quellbit::DriveList" << "Form1" << QRect(64, 16, 153, 21) << "";
    QTest::newRow("Frame1") << "Frame1" << "QFrame" << "Form1" << QRect(24, 176, 417, 201) << "";
    QTest::newRow("PreviewPic") << "PreviewPic" << "quellbit::PictureBox" << "Frame1" << QRect(86, 44, 245, 133)
                                << "";
    QTest::newRow("ColorValue") << "ColorValue" << "QLabel" << "Frame1" << QRect(272, 16, 129, 19) << "";
    QTest::newRow("WidthValue") << "WidthValue" << "QLabel" << "Frame1" << QRect(176, 16, 41, 19) << "";
    QTest::newRow("HeightValue") << "HeightValue" << "QLabel" << "Frame1" << QRect(80, 16, 41, 19) << "";
    QTest::newRow("ColorLabel") << "ColorLabel" << "QLabel" << "Frame1" << QRect(232, 16, 33, 17) << "Color :";
    QTest::newRow("WidthLabel") << "WidthLabel" << "QLabel" << "Frame1" << QRect(128, 16, 41, 17) << "Width :";
    QTest::newRow("HeightLabel") << "HeightLabel" << "QLabel" << "Frame1" << QRect(32, 16, 41, 17) << "Height :";
    QTest::newRow("Frame2") << "Frame2" << "QFrame" << "Form1" << QRect(24, 376, 417, 129) << "";
    QTest::newRow("NormalOption") << "NormalOption" << "QRadioButton" << "Frame2" << QRect(32, 24, 65, 25)
                                  << "Normal";
    QTest::newRow("InverseOption") << "InverseOption" << "QRadioButton" << "Frame2" << QRect(104, 24, 65, 25)
                                   << "Inverse";
    QTest::newRow("Frame3") << "Frame3" << "QFrame" << "Frame2" << QRect(16, 8, 305, 49) << "";
    QTest::newRow("StatusValue") << "StatusValue" << "QLabel" << "Frame2" << QRect(208, 72, 73, 17) << "";
    QTest::newRow("ProgressPer") << "ProgressPer" << "QLabel" << "Frame2" << QRect(80, 72, 25, 17) << "0";
    QTest::newRow("PercentLabel") << "PercentLabel" << "QLabel" << "Frame2" << QRect(112, 72, 17, 17) << "%";
    QTest::newRow("StatusLabel") << "StatusLabel" << "QLabel" << "Frame2" << QRect(160, 72, 41, 17) << "Status :";
    QTest::newRow("ProgressLabel") << "ProgressLabel" << "QLabel" << "Frame2" << QRect(24, 72, 49, 17)
                                   << "Progress :";
    QTest::newRow("OutFileLabel") << "OutFileLabel" << "QLabel" << "Frame2" << QRect(24, 96, 57, 17)
                                  << "Output File :";
    QTest::newRow("OutFileValue") << "OutFileValue" << "QLabel" << "Frame2" << QRect(88, 96, 313, 25) << "";
    QTest::newRow("FileLabel") << "FileLabel" << "QLabel" << "Form1" << QRect(232, 24, 105, 17)
                               << "Files Name (*.bmp):";
    QTest::newRow("DirLabel") << "DirLabel" << "QLabel" << "Form1" << QRect(24, 40, 65, 17) << "Directory:";
    QTest::newRow("DriverLabel") << "DriverLabel" << "QLabel" << "Form1" << QRect(24, 16, 41, 17) << "Driver:";
    QTest::newRow("CopyRightLabel") << "CopyRightLabel" << "QLabel" << "Form1" << QRect(24, 512, 417, 33) << "*";
}

void TestForm1Layout::controlPlaces()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, container);
    QFETCH(QRect, place);
    QFETCH(QString, caption);
    auto *control = w->findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), kind);
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(control->geometry(), place);
    QVERIFY(control->isVisible());
    if (auto *l = qobject_cast<QLabel *>(control)) {
        if (caption != "*")
            QCOMPARE(l->text(), caption);
        // A fixed caption is shown whole in its place.
        if (!caption.isEmpty() && caption != "*")
            QVERIFY2(QFontMetrics(l->font()).horizontalAdvance(caption) <= l->width(), qPrintable(caption));
        const bool right = name == "StatusValue" || name == "ProgressPer";
        QCOMPARE(bool(l->alignment() & Qt::AlignRight), right);
    } else if (auto *b = qobject_cast<QAbstractButton *>(control)) {
        QCOMPARE(b->text(), caption);
    }
}

void TestForm1Layout::pictureBoxIsCentredByTheTwoFormulas()
{
    // Top = (3015 + 300) / 2 - 1995 / 2 = 660, Left = 6255 / 2 - 3675 / 2 = 1290.
    QCOMPARE(pixelsToTwipsY(w->PreviewPic->y()), 660.0);
    QCOMPARE(pixelsToTwipsX(w->PreviewPic->x()), 1290.0);
    QCOMPARE(w->PreviewPic->innerSize(), QSize(241, 129));
}

void TestForm1Layout::readOutColoursAndNotice()
{
    const QColor darkBlue(0, 0, 192);
    for (QLabel *l : {w->HeightValue, w->WidthValue, w->ColorValue})
        QCOMPARE(l->palette().color(QPalette::WindowText), darkBlue);
    QCOMPARE(w->OutFileValue->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    QCOMPARE(w->CopyRightLabel->palette().color(QPalette::WindowText), QColor(64, 64, 64));
    QCOMPARE(w->HeightLabel->palette().color(QPalette::WindowText),
             w->palette().color(QPalette::WindowText));
    const QFont notice = w->CopyRightLabel->font();
    QCOMPARE(notice.family(), QStringLiteral("Arial"));
    QCOMPARE(notice.pointSizeF(), 8.25);
    QCOMPARE(notice.weight(), QFont::Normal);
    QVERIFY(!notice.italic());
    const QStringList lines = w->CopyRightLabel->text().split("\r\n");
    QCOMPARE(lines.size(), 2);
    QVERIFY(!lines[0].isEmpty() && !lines[1].isEmpty());
}

void TestForm1Layout::stackingPutsEarlierControlsInFront()
{
    // Qt keeps siblings from the bottom of the stack to the top.
    auto stack = [](QWidget *container) {
        QStringList names;
        for (QObject *child : container->children())
            if (child->isWidgetType())
                names << child->objectName();
        return names;
    };
    QCOMPARE(stack(w.get()), (QStringList {"CopyRightLabel", "DriverLabel", "DirLabel", "FileLabel", "Frame2",
                                           "Frame1", "Drive1", "Dir1", "File1", "PreviewButton",
                                           "ConvertButton", "ResetButton", "ExitButton"}));
    QCOMPARE(stack(w->Frame1),
             (QStringList {"HeightLabel", "WidthLabel", "ColorLabel", "HeightValue", "WidthValue", "ColorValue",
                           "PreviewPic"}));
    QCOMPARE(stack(w->Frame2),
             (QStringList {"OutFileValue", "OutFileLabel", "ProgressLabel", "StatusLabel", "PercentLabel",
                           "ProgressPer", "StatusValue", "Frame3", "InverseOption", "NormalOption"}));
    // Where they overlap, what the user sees on top is the earlier control.
    const QPoint onConvert = w->ConvertButton->geometry().center();
    QCOMPARE(w->childAt(onConvert), w->ConvertButton);
    const QPoint onNormal = w->NormalOption->mapTo(w.get(), w->NormalOption->rect().center());
    QVERIFY(w->childAt(onNormal) == w->NormalOption || w->NormalOption->isAncestorOf(w->childAt(onNormal)));
}

void TestForm1Layout::startUpState()
{
    QVERIFY(!w->PreviewPic->hasPicture());
    for (QLabel *l : {w->HeightValue, w->WidthValue, w->ColorValue, w->StatusValue, w->OutFileValue})
        QCOMPARE(l->text(), QString());
    QCOMPARE(w->ProgressPer->text(), QStringLiteral("0"));
    QVERIFY(w->NormalOption->isChecked());
    QVERIFY(w->NormalOption->isEnabled());
    QVERIFY(!w->InverseOption->isChecked());
    QVERIFY(!w->InverseOption->isEnabled());
    QVERIFY(!w->ConvertButton->isEnabled());
    QVERIFY(!w->PreviewButton->isEnabled());
    QVERIFY(w->ResetButton->isEnabled());
    QVERIFY(w->ExitButton->isEnabled());
    QCOMPARE(w->ConvertStatus, QString());
    QCOMPARE(OutFilePath, QString());
    QCOMPARE(w->File1->pattern(), QStringLiteral("*.bmp"));
}

void TestForm1Layout::startUpShowsTheProgramFolder()
{
    const QString home = QDir::cleanPath(QCoreApplication::applicationDirPath());
    QCOMPARE(w->Dir1->path(), home);
    QCOMPARE(w->File1->path(), home);
    QCOMPARE(w->Drive1->drive(), w->Drive1->driveFor(home));
    QCOMPARE(w->Dir1->currentItem()->text(0), QFileInfo(home).fileName());
}

void TestForm1Layout::tabWalk_data()
{
    QTest::addColumn<bool>("armed");
    QTest::addColumn<QStringList>("walk");
    QTest::newRow("after start-up disabled controls are skipped")
        << false
        << QStringList {"Drive1", "Dir1", "File1", "PreviewPic", "ResetButton", "ExitButton", "NormalOption",
                        "Drive1"};
    QTest::newRow("with every control enabled the whole order is walked")
        << true
        << QStringList {"Drive1",      "Dir1",       "File1",         "PreviewButton", "PreviewPic", "ConvertButton",
                        "ResetButton", "ExitButton", "InverseOption", "NormalOption",  "Drive1"};
}

void TestForm1Layout::tabWalk()
{
    QFETCH(bool, armed);
    QFETCH(QStringList, walk);
    if (armed)
        for (QWidget *c : {(QWidget *)w->PreviewButton, (QWidget *)w->ConvertButton, (QWidget *)w->InverseOption})
            c->setEnabled(true);
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    w->Drive1->setFocus(Qt::TabFocusReason);
    QStringList seen {QApplication::focusWidget()->objectName()};
    for (int i = 1; i < walk.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(seen, walk);
}

void TestForm1Layout::noDefaultButton()
{
    for (QPushButton *b : {w->ExitButton, w->ResetButton, w->ConvertButton, w->PreviewButton}) {
        QVERIFY(!b->isDefault());
        QVERIFY(!b->autoDefault());
    }
    for (QWidget *passive : {(QWidget *)w->Frame1, (QWidget *)w->Frame2, (QWidget *)w->Frame3,
                             (QWidget *)w->HeightLabel, (QWidget *)w->CopyRightLabel})
        QCOMPARE(passive->focusPolicy(), Qt::NoFocus);
}

void TestForm1Layout::resizingMovesNothing()
{
    const QRect before = w->ExitButton->geometry();
    const QRect frame = w->Frame2->geometry();
    w->resize(700, 700);
    QTRY_COMPARE(w->size(), QSize(700, 700));
    QCOMPARE(w->ExitButton->geometry(), before);
    QCOMPARE(w->Frame2->geometry(), frame);
    w->resize(300, 300);
    QTRY_COMPARE(w->size(), QSize(300, 300));
    QCOMPARE(w->ExitButton->geometry(), before);
}

QTEST_MAIN(TestForm1Layout)
#include "test_form1_layout.moc"
