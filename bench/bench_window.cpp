// The main window's two interactive paths, measured in real windows (run
// under Xvfb): a Convert click until "Successed" is shown, the 100 progress
// repaints included, and a Show click in the preview until the last dot is
// plotted and on screen.

#include "app/form1.h"
#include "app/form2.h"
#include "support/bmp_writer.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Scene {
    QTemporaryDir dir;
    std::unique_ptr<quellbit::Form1> window;
};

Scene &scene()
{
    static Scene s = [] {
        Scene made;
        testbmp::Layout layout;
        layout.pixel = [](int x, int y) { return (x * 7 + y * 3) % 5 == 0 ? 1 : 0; };
        testbmp::save((made.dir.path() + "/bench.bmp").toStdString(), testbmp::build(layout));
        made.window = std::make_unique<quellbit::Form1>();
        made.window->Form_Load();
        (void)QTest::qWaitForWindowExposed(made.window.get());
        made.window->Dir1->setPath(made.dir.path());
        made.window->File1->selectFile(QStringLiteral("bench.bmp"));
        made.window->File1_DblClick();
        return made;
    }();
    return s;
}

void BM_ConvertClickToSuccessed(benchmark::State &state)
{
    quellbit::Form1 &w = *scene().window;
    for (auto _ : state) {
        QTest::mouseClick(w.ConvertButton, Qt::LeftButton);
        if (w.StatusValue->text() != QLatin1String("Successed"))
            state.SkipWithError("the conversion did not succeed");
    }
}
BENCHMARK(BM_ConvertClickToSuccessed)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ShowClickToLastDot(benchmark::State &state)
{
    quellbit::Form1 &w = *scene().window;
    w.ConvertButton_Click();
    quellbit::Form2 preview(&w);
    preview.setAttribute(Qt::WA_DeleteOnClose, false);
    preview.show();
    (void)QTest::qWaitForWindowExposed(&preview);
    for (auto _ : state) {
        QTest::mouseClick(preview.ShowButton, Qt::LeftButton);
        QCoreApplication::processEvents(); // the box's one repaint
        benchmark::DoNotOptimize(preview.LcdPic->point(239, 127));
    }
    preview.hide();
}
BENCHMARK(BM_ShowClickToLastDot)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    scene().window.reset();
    return 0;
}
