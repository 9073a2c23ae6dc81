// `quellbit-cli prepare` of a 1920 x 1080 PNG photo with Floyd-Steinberg,
// against ImageMagick doing the same job in the same run:
//
//     convert photo.png -resize 240x128 -dither FloydSteinberg -monochrome BMP3:out.bmp
//
// Targets: at most a quarter of ImageMagick's wall time, and at most 64 MiB
// of memory at the peak (the child's maximum resident set). The photo is
// made once, before the timed runs: smooth light and colour gradients, a few
// soft shapes and a little grain, as a camera picture has, saved as an RGB
// PNG by libpng at its default compression.

#include <benchmark/benchmark.h>

#include <png.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

extern char **environ;

namespace {

namespace fs = std::filesystem;

constexpr int kPhotoWidth = 1920;
constexpr int kPhotoHeight = 1080;

// libpng reports errors by longjmp: nothing here has a destructor.
bool writePng(png_structp png, png_infop info, std::FILE *file, const png_byte *pixels)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, kPhotoWidth, kPhotoHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
        PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kPhotoHeight; ++y)
        png_write_row(png, pixels + std::size_t(y) * kPhotoWidth * 3);
    png_write_end(png, nullptr);
    return true;
}

bool savePhoto(const std::string &path)
{
    std::vector<png_byte> pixels(std::size_t(kPhotoWidth) * kPhotoHeight * 3);
    std::mt19937 grain(20240601);
    std::normal_distribution<double> noise(0.0, 3.0);
    for (int y = 0; y < kPhotoHeight; ++y)
        for (int x = 0; x < kPhotoWidth; ++x) {
            const double u = double(x) / kPhotoWidth;
            const double v = double(y) / kPhotoHeight;
            // Sky to ground, a warm light from the left, two soft discs.
            double r = 40 + 180 * (1 - v) * (0.6 + 0.4 * u);
            double g = 60 + 150 * (1 - v) * (0.7 + 0.3 * std::sin(3 * u));
            double b = 90 + 140 * (1 - v * v);
            const double d1 = std::hypot(x - 620.0, y - 560.0) / 260.0;
            const double d2 = std::hypot(x - 1380.0, y - 430.0) / 180.0;
            const double disc1 = 1 / (1 + std::exp((d1 - 1) * 12));
            const double disc2 = 1 / (1 + std::exp((d2 - 1) * 20));
            r = r * (1 - disc1) + 200 * disc1;
            g = g * (1 - disc1) + 70 * disc1;
            b = b * (1 - disc1) + 50 * disc1;
            r = r * (1 - disc2) + 30 * disc2;
            g = g * (1 - disc2) + 40 * disc2;
            b = b * (1 - disc2) + 60 * disc2;
            png_byte *p = &pixels[(std::size_t(y) * kPhotoWidth + std::size_t(x)) * 3];
            for (const double c : {r, g, b})
                *p++ = png_byte(std::clamp(std::lround(c + noise(grain)), 0L, 255L));
        }

    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool written = png && info && writePng(png, info, file, pixels.data());
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && written;
}

// The folder with the photo, made once for all measurements.
class Photo {
public:
    Photo()
    {
        std::string pattern = (fs::temp_directory_path() / "quellbit-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return;
        dir_ = pattern;
        ok_ = savePhoto(path());
    }
    ~Photo()
    {
        if (!dir_.empty())
            fs::remove_all(dir_);
    }
    bool ok() const { return ok_; }
    std::string path() const { return (dir_ / "photo.png").string(); }
    std::string output(const char *name) const { return (dir_ / name).string(); }

private:
    fs::path dir_;
    bool ok_ = false;
};

const Photo &photo()
{
    static const Photo made;
    return made;
}

struct Run {
    bool ok = false;
    double seconds = 0;
    double peakMiB = 0;
};

// Runs a program with its output thrown away: wall time and peak memory.
Run run(const std::vector<std::string> &arguments)
{
    std::vector<char *> argv;
    for (const std::string &a : arguments)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    Run result;
    if (spawned != 0)
        return result;
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return result;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.peakMiB = double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    return result;
}

std::vector<std::string> prepareCommand()
{
    return {QUELLBIT_CLI, "prepare", "--dither", "floyd-steinberg", "-o", photo().output("prepared.bmp"),
        photo().path()};
}

std::vector<std::string> magickCommand()
{
    return {IMAGEMAGICK_CONVERT, photo().path(), "-resize", "240x128", "-dither", "FloydSteinberg",
        "-monochrome", "BMP3:" + photo().output("magick.bmp")};
}

void measure(benchmark::State &state, const std::vector<std::string> &command)
{
    if (!photo().ok()) {
        state.SkipWithError("the photo cannot be made");
        return;
    }
    double peak = 0;
    for (auto _ : state) {
        const Run r = run(command);
        if (!r.ok) {
            state.SkipWithError((command[0] + " failed").c_str());
            return;
        }
        peak = std::max(peak, r.peakMiB);
    }
    state.counters["peak_MiB"] = peak;
}

void preparePhoto(benchmark::State &state)
{
    measure(state, prepareCommand());
}

void magickPhoto(benchmark::State &state)
{
    measure(state, magickCommand());
}

// Both in turn, each iteration: the share of ImageMagick's time that prepare
// takes (target: at most 0.25) and prepare's peak memory (at most 64 MiB).
void prepareShareOfMagick(benchmark::State &state)
{
    if (!photo().ok()) {
        state.SkipWithError("the photo cannot be made");
        return;
    }
    double prepared = 0;
    double magick = 0;
    double peak = 0;
    for (auto _ : state) {
        const Run ours = run(prepareCommand());
        const Run theirs = run(magickCommand());
        if (!ours.ok || !theirs.ok) {
            state.SkipWithError("a command failed");
            return;
        }
        prepared += ours.seconds;
        magick += theirs.seconds;
        peak = std::max(peak, ours.peakMiB);
    }
    const double share = prepared / magick;
    state.counters["prepare_ms"] = 1000 * prepared / double(state.iterations());
    state.counters["magick_ms"] = 1000 * magick / double(state.iterations());
    state.counters["share"] = share;
    state.counters["peak_MiB"] = peak;
    state.SetLabel(share <= 0.25 && peak <= 64 ? "within target (share <= 0.25, peak <= 64 MiB)"
                                               : "MISSES target (share <= 0.25, peak <= 64 MiB)");
}

} // namespace

BENCHMARK(preparePhoto)->Name("prepare_photo_1920x1080")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(magickPhoto)->Name("imagemagick_photo_1920x1080")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(prepareShareOfMagick)
    ->Name("prepare_share_of_imagemagick")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

BENCHMARK_MAIN();
