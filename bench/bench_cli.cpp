// quellbit-cli as a build pipeline runs it, process start-up included, each
// against a peer timed in the same run:
//   one picture: convert against bmptopnm | pbmtoxbm   (target: at most half its time)
//                and its peak memory                   (target: at most 6 MiB)
//   1,000 pictures in one call against file_loop, a minimal C loop doing
//   only the file work (read, write to a temporary file, rename)
//                                                      (target: at most 1.25 times its time)
// Compare the medians of each pair.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char **environ;

namespace {

namespace fs = std::filesystem;

// A temporary folder with `count` copies of the sample picture.
class Pictures {
public:
    explicit Pictures(int count)
    {
        std::string name = (fs::temp_directory_path() / "quellbit-bench-XXXXXX").string();
        if (::mkdtemp(name.data()) == nullptr)
            return;
        folder_ = name;
        std::error_code ec;
        for (int i = 0; i < count && !ec; ++i) {
            char file[32];
            std::snprintf(file, sizeof file, "/picture%04d.bmp", i);
            paths_.push_back(folder_ + file);
            fs::copy_file(QUELLBIT_SAMPLES "/logo.bmp", paths_.back(), fs::copy_options::overwrite_existing, ec);
        }
        ok_ = !ec;
    }
    ~Pictures()
    {
        std::error_code ec;
        if (!folder_.empty())
            fs::remove_all(folder_, ec);
    }
    bool ok() const { return ok_; }
    const std::string &folder() const { return folder_; }
    const std::vector<std::string> &paths() const { return paths_; }

private:
    std::string folder_;
    std::vector<std::string> paths_;
    bool ok_ = false;
};

// The processes of one pipeline, each reading the one before through a
// pipe; the first reads nothing, the last writes to `output`. True when all
// ended with status 0; `peakKiB` is the largest resident size any reached.
bool runPipeline(const std::vector<std::vector<std::string>> &commands, const std::string &output, long &peakKiB)
{
    std::vector<pid_t> pids;
    int input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    for (std::size_t i = 0; i < commands.size(); ++i) {
        int pipeEnds[2] = {-1, -1};
        const bool last = i + 1 == commands.size();
        if (!last && ::pipe2(pipeEnds, O_CLOEXEC) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input, 0);
        if (last)
            posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        else
            posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::vector<char *> argv;
        for (const std::string &word : commands[i])
            argv.push_back(const_cast<char *>(word.c_str()));
        argv.push_back(nullptr);
        pid_t pid = 0;
        const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(input);
        if (!last)
            ::close(pipeEnds[1]);
        input = pipeEnds[0];
        if (spawned != 0)
            return false;
        pids.push_back(pid);
    }
    bool ok = true;
    peakKiB = 0;
    for (const pid_t pid : pids) {
        int status = 0;
        rusage usage {};
        ok = ::wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
        peakKiB = std::max(peakKiB, usage.ru_maxrss);
    }
    return ok;
}

void run(benchmark::State &state, const std::vector<std::vector<std::string>> &commands, const std::string &output)
{
    long peak = 0;
    for (auto _ : state) {
        long peakOfRun = 0;
        if (!runPipeline(commands, output, peakOfRun)) {
            state.SkipWithError("a command failed or is missing");
            return;
        }
        peak = std::max(peak, peakOfRun);
    }
    state.counters["peak_KiB"] = static_cast<double>(peak);
}

void ConvertOnePicture(benchmark::State &state)
{
    const Pictures pictures(1);
    const std::string out = pictures.folder() + "/lcd_out.txt";
    run(state, {{QUELLBIT_CLI, "convert", "-o", out, pictures.paths()[0]}}, "/dev/null");
}
BENCHMARK(ConvertOnePicture)->UseRealTime()->Unit(benchmark::kMillisecond);

void NetpbmOnePicture(benchmark::State &state)
{
    const Pictures pictures(1);
    run(state, {{"bmptopnm", pictures.paths()[0]}, {"pbmtoxbm"}}, pictures.folder() + "/out.xbm");
}
BENCHMARK(NetpbmOnePicture)->UseRealTime()->Unit(benchmark::kMillisecond);

std::vector<std::string> withPictures(std::vector<std::string> words, const Pictures &pictures)
{
    words.insert(words.end(), pictures.paths().begin(), pictures.paths().end());
    return words;
}

void ConvertThousandPictures(benchmark::State &state)
{
    const Pictures pictures(1000);
    run(state, {withPictures({QUELLBIT_CLI, "convert"}, pictures)}, "/dev/null");
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(ConvertThousandPictures)->UseRealTime()->Unit(benchmark::kMillisecond);

void FileLoopThousandPictures(benchmark::State &state)
{
    const Pictures pictures(1000);
    run(state, {withPictures({QUELLBIT_FILE_LOOP}, pictures)}, "/dev/null");
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(FileLoopThousandPictures)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
