// quellbit-cli as a build pipeline runs it, process start-up included, each
// against a peer run in the same iterations (counters ours_ms, peer_ms and
// their ratio; peak_KiB is the most memory quellbit-cli held, start_ms the
// median time to start and end a process that does nothing):
//   one picture: convert against bmptopnm | pbmtoxbm   (target: ratio at most 0.5,
//                                                        peak at most 6 MiB)
//   one picture against file_loop doing that picture's file work: what
//   starting quellbit-cli costs beyond a C program's start
//                                                      (target: ratio at most 1.3)
//   1,000 pictures in one call against file_loop, a minimal C loop doing
//   only the file work (read, write to a temporary file, rename)
//                                                      (target: ratio at most 1.25)

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
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

double secondsOf(const std::vector<std::vector<std::string>> &commands, const std::string &output, bool &ok)
{
    long peak = 0;
    const auto started = std::chrono::steady_clock::now();
    ok = runPipeline(commands, output, peak) && ok;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

// Runs ours and the peer one after the other in every iteration, so that
// what else the machine does weighs on both alike. The benchmark's time is
// ours; the counters give both in milliseconds and their ratio.
void againstPeer(benchmark::State &state, const std::vector<std::vector<std::string>> &ours,
                 const std::vector<std::vector<std::string>> &peer, const std::string &peerOutput)
{
    double oursTotal = 0;
    double peerTotal = 0;
    bool ok = true;
    for (auto _ : state) {
        const double seconds = secondsOf(ours, "/dev/null", ok);
        peerTotal += secondsOf(peer, peerOutput, ok);
        oursTotal += seconds;
        state.SetIterationTime(seconds);
    }
    if (!ok) {
        state.SkipWithError("a command failed or is missing");
        return;
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = 1000 * oursTotal / runs;
    state.counters["peer_ms"] = 1000 * peerTotal / runs;
    state.counters["ratio"] = oursTotal / peerTotal;
}

// The most memory the command held resident, in KiB, as peak_memory
// measures it; -1 when that fails.
double peakKiB(const std::vector<std::string> &command)
{
    const Pictures none(0);
    std::vector<std::string> words {QUELLBIT_PEAK_MEMORY};
    words.insert(words.end(), command.begin(), command.end());
    const std::string report = none.folder() + "/peak";
    long unused = 0;
    if (!runPipeline({words}, report, unused))
        return -1;
    std::FILE *file = std::fopen(report.c_str(), "r");
    long kib = -1;
    if (file) {
        if (std::fscanf(file, "%ld", &kib) != 1)
            kib = -1;
        std::fclose(file);
    }
    return static_cast<double>(kib);
}

// One picture: quellbit-cli convert against bmptopnm | pbmtoxbm.
void OnePicture(benchmark::State &state)
{
    const Pictures pictures(1);
    const std::vector<std::string> convert {QUELLBIT_CLI, "convert", "-o", pictures.folder() + "/lcd_out.txt",
                                            pictures.paths()[0]};
    againstPeer(state, {convert}, {{"bmptopnm", pictures.paths()[0]}, {"pbmtoxbm"}}, pictures.folder() + "/out.xbm");
    state.counters["peak_KiB"] = peakKiB(convert);
    // What starting any process costs on this machine: a small C program
    // that does nothing (file_loop without pictures).
    std::vector<double> floor;
    bool ok = true;
    for (int i = 0; i < 50; ++i)
        floor.push_back(secondsOf({{QUELLBIT_FILE_LOOP}}, "/dev/null", ok));
    std::nth_element(floor.begin(), floor.begin() + 25, floor.end());
    state.counters["start_ms"] = 1000 * floor[25];
}
BENCHMARK(OnePicture)->UseManualTime()->Unit(benchmark::kMillisecond);

// One picture a call against the same file work in C: start-up (loading
// and relocating the libraries, static constructors) is most of both.
void OnePictureStartUp(benchmark::State &state)
{
    const Pictures pictures(1);
    againstPeer(state, {{QUELLBIT_CLI, "convert", pictures.paths()[0]}}, {{QUELLBIT_FILE_LOOP, pictures.paths()[0]}},
                "/dev/null");
}
BENCHMARK(OnePictureStartUp)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

// A thousand pictures in one call against the file work alone.
void ThousandPictures(benchmark::State &state)
{
    const Pictures pictures(1000);
    std::vector<std::string> convert {QUELLBIT_CLI, "convert"};
    std::vector<std::string> loop {QUELLBIT_FILE_LOOP};
    convert.insert(convert.end(), pictures.paths().begin(), pictures.paths().end());
    loop.insert(loop.end(), pictures.paths().begin(), pictures.paths().end());
    againstPeer(state, {convert}, {loop}, "/dev/null");
    state.counters["peak_KiB"] = peakKiB(convert);
}
BENCHMARK(ThousandPictures)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
