// quellbit-cli as a build pipeline runs it: one `convert` call over many
// pictures, process start-up included. The pictures are copied once into a
// temporary folder, outside the timed loop.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

extern char **environ;

namespace {

class Pictures {
public:
    explicit Pictures(int count)
    {
        const QString sample = QStringLiteral(QUELLBIT_SAMPLES "/logo.bmp");
        args_.push_back(QUELLBIT_CLI);
        args_.push_back("convert");
        for (int i = 0; i < count; ++i) {
            const QString path
                = dir_.filePath(QStringLiteral("picture%1.bmp").arg(i, 4, 10, QLatin1Char('0')));
            if (!QFile::copy(sample, path))
                ok_ = false;
            args_.push_back(QFile::encodeName(path).toStdString());
        }
        for (std::string &arg : args_)
            argv_.push_back(arg.data());
        argv_.push_back(nullptr);
    }

    bool ok() const { return ok_ && dir_.isValid(); }

    // Runs the command with its output thrown away; the exit status, or -1.
    int run() const
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, argv_[0], &actions, nullptr, argv_.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
            return -1;
        int status = 0;
        if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }

private:
    QTemporaryDir dir_;
    bool ok_ = true;
    std::vector<std::string> args_;
    std::vector<char *> argv_;
};

void convertPictures(benchmark::State &state)
{
    const Pictures pictures(static_cast<int>(state.range(0)));
    if (!pictures.ok()) {
        state.SkipWithError("cannot set up the pictures");
        return;
    }
    // Every data file is synced to disk before it replaces the old one, so the
    // disk under the temporary folder (TMPDIR) weighs in as much as the code.
    state.SetLabel(QDir::tempPath().toStdString());
    for (auto _ : state) {
        if (pictures.run() != 0) {
            state.SkipWithError("quellbit-cli convert failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(convertPictures)
    ->Name("cli_convert")
    ->Arg(1)
    ->Arg(1000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
