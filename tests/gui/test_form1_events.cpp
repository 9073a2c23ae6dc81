// The window program's application object: a failure that escapes an event
// handler is reported in a box and the program goes on.

#include "app/form1_events.h"
#include "common/failure.h"
#include "test_form1_support.h"

#include <QPushButton>

using namespace quellbit;

class TestForm1Events : public QObject {
    Q_OBJECT
private slots:
    void escapedFailureIsReportedAndTheProgramGoesOn();
    void unknownExceptionIsReportedToo();
};

void TestForm1Events::escapedFailureIsReportedAndTheProgramGoesOn()
{
    QPushButton button(QStringLiteral("Fail"));
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&clicks] {
        ++clicks;
        throw Failure("/data/picture.bmp", "cannot be read: Input/output error");
    });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    for (int round = 1; round <= 2; ++round) {
        form1test::BoxWatcher watcher;
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, round);
        QVERIFY(watcher.seen.seen);
        QVERIFY(watcher.seen.text.contains("/data/picture.bmp"));
        QVERIFY(watcher.seen.text.contains("Input/output error"));
    }
}

void TestForm1Events::unknownExceptionIsReportedToo()
{
    QPushButton button(QStringLiteral("Fail"));
    QObject::connect(&button, &QPushButton::clicked, [] { throw 42; });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    form1test::BoxWatcher watcher;
    QTest::mouseClick(&button, Qt::LeftButton);
    QVERIFY(watcher.seen.seen);
    QVERIFY(!watcher.seen.text.isEmpty());
}

int main(int argc, char **argv)
{
    QuellbitApplication app(argc, argv);
    TestForm1Events test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_form1_events.moc"
