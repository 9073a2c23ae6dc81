// quellbit-cli as a user drives it: in this process where a row needs no
// process of its own (exit status, what it says, what it writes and leaves
// alone), and as the built program where it does (a file size limit, a
// signal in the middle of a batch). Each kind of outcome shows once: the
// rules behind them are tested with the core.

#include "cli/command_line.h"
#include "support/bmp_writer.h"
#include "support/data_text.h"
#include "support/files.h"

#include <doctest/doctest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

using testbmp::TempFolder;
using testtext::marksText;
using testtext::replaced;

namespace {

const std::string kLimits = "Picture Resolution is limit to 240 x 128 pixels (Width x Height) and 2 Colors Bitmap.";
const std::string kNotUtf8 = "\xFF\xFEpicture"; // Latin-1 bytes, as an old file system might hold

// Good, refused, broken and mistaken files side by side in `dir`.
void makeFiles(const TempFolder &dir)
{
    const std::string good = testbmp::build({.pixel = testtext::marks});
    for (const std::string &name : std::vector<std::string> {"good.bmp", "good2.bmp", "x.bmp", "x.BMP", kNotUtf8 + ".bmp"})
        testbmp::save(dir.file(name), good);
    testbmp::save(dir.file("short.bmp"), good.substr(0, 62 + 32 * 100));
    testbmp::save(dir.file("wide.bmp"), testbmp::build({.width = 320, .pixel = testtext::marks}));
    ::symlink("good.bmp", dir.file("link.bmp").c_str());
    ::symlink("lcd_x.txt", dir.file("lcd_y.txt").c_str());
    testbmp::save(dir.file("y.bmp"), good);
    testbmp::save(dir.file("marks.txt"), marksText());
    testbmp::save(dir.file("edited.txt"), std::string(marksText()).replace(3 * 45 + 31, 2, "C1")); // 80H -> C1H
    testbmp::save(dir.file("short.txt"), "        DB FFH,00H,00H,00H,00H,00H,00H,00H;\r\nDB 01H\r\n");
    for (const auto &[fixture, name] : {std::pair {"gif-animated.gif", "anim.gif"},
             std::pair {"jpeg-exif6.jpg", "turned.jpg"}, std::pair {"png-rgb8.png", "pic.png"}})
        testbmp::save(dir.file(name), testbmp::load(QUELLBIT_TEST_DATA "/prepare/" + std::string(fixture)));
}

// The data files and pictures a command made, and any temporary file left:
// the entries named "lcd_*", "out*", "*-lcd.bmp" and ".quellbit*" that are not
// links.
std::string made(const TempFolder &dir)
{
    std::string list;
    std::istringstream names(testbmp::listing(dir.path()));
    for (std::string name; names >> name;)
        if ((name.starts_with("lcd_") || name.starts_with("out") || name.ends_with("-lcd.bmp")
             || name.starts_with(".quellbit"))
            && !std::filesystem::is_symlink(dir.file(name)))
            list += (list.empty() ? "" : " ") + name;
    return list;
}

struct Run {
    int status;
    std::string out, err;
};

// Runs the command line in this process with `dir` as the working folder;
// standard output goes to `out` when one is given.
Run cli(const TempFolder &dir, std::vector<std::string> words, std::FILE *out = nullptr)
{
    char *text[2] = {};
    std::size_t size[2] = {};
    std::FILE *outStream = out ? out : ::open_memstream(&text[0], &size[0]);
    std::FILE *errStream = ::open_memstream(&text[1], &size[1]);
    words.insert(words.begin(), "quellbit-cli");
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const int status = quellbit::cli::run(static_cast<int>(words.size()), argv.data(), outStream, errStream);
    std::filesystem::current_path(here);
    if (!out)
        std::fclose(outStream);
    std::fclose(errStream);
    Run run {status, text[0] ? std::string(text[0], size[0]) : "", std::string(text[1], size[1])};
    std::free(text[0]);
    std::free(text[1]);
    return run;
}

// Starts the built program in `dir`, standard output to `out` (-1: thrown
// away) and standard error to `errFile`, under a file size limit of `limit`
// bytes (0: the present one).
pid_t start(const TempFolder &dir, const std::vector<std::string> &words, const std::string &errFile, rlim_t limit = 0,
            int out = -1)
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    const int null = out >= 0 ? out : ::open("/dev/null", O_WRONLY);
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const rlimit small {limit, limit};
    if (null < 0 || err < 0 || ::dup2(null, 1) < 0 || ::dup2(err, 2) < 0 || ::chdir(dir.path().c_str()) != 0
        || (limit != 0 && ::setrlimit(RLIMIT_FSIZE, &small) != 0))
        ::_exit(126);
    std::vector<char *> argv {const_cast<char *>(QUELLBIT_CLI)};
    for (const std::string &word : words)
        argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

} // namespace

// Every command's exit status, part of what it says (on either stream) and
// the files it leaves: only those named, and never a temporary file.
TEST_CASE("commands")
{
    struct Row {
        const char *name;
        std::vector<std::string> words; // "@" stands for the folder's full path
        int status;
        std::string says;
        std::string made = {};
        bool full = false; // standard output is /dev/full
        std::string input = {}; // a pipe into standard input, when given
        bool exact = false; // says is all that is said, on both streams
    };
    const std::string both = "lcd_good.txt lcd_good2.txt";
    const std::string replacement = "\xEF\xBF\xBD";
    for (const Row &row : std::initializer_list<Row> {
             {"an accepted picture converts beside itself", {"convert", "good.bmp"}, 0, "./lcd_good.txt\n", "lcd_good.txt"},
             {"-o -: the data file on standard output", {"convert", "-o", "-", "good.bmp"}, 0, marksText()},
             {"--inverse: the other colour's dots", {"convert", "--inverse", "-o", "-", "good.bmp"}, 0,
              "        DB FEH,7DH,FFH,FFH,FFH,FFH,FFH,FFH;\r\n        DB FFH"},
             {"a refused picture among accepted ones: 1", {"convert", "good.bmp", "wide.bmp", "good2.bmp"}, 1,
              "wide.bmp: rejected (320 x 128, 1 bit): width is 320, not 240\n  " + kLimits, both},
             {"a broken picture among them: 3 wins over 1", {"convert", "good.bmp", "short.bmp", "wide.bmp", "good2.bmp"},
              3, "short.bmp: the pixel data ends after row 100 of 128", both},
             {"names that are not UTF-8 are read and written as given", {"convert", "-o", "out" + kNotUtf8,
              kNotUtf8 + ".bmp"}, 0, "", "out" + kNotUtf8},
             {"and shown with replacement characters", {"convert", "gone" + kNotUtf8 + ".bmp"}, 3,
              "gone" + replacement + replacement + "picture.bmp: "},
             {"/dev/full as standard output: said, exit 3", {"convert", "-o", "-", "good.bmp"}, 3,
              "standard output: No space left on device\n", "", true},
             {"two pictures, one data file: the second is not converted", {"convert", "x.bmp", "x.BMP"}, 3,
              "x.BMP: not converted: its data file ./lcd_x.txt is also the data file of x.bmp", "lcd_x.txt"},
             {"also through a link to the other's data file (the link left alone)", {"convert", "x.bmp", "y.bmp"}, 3,
              "y.bmp: not converted: its data file ./lcd_y.txt is also the data file of x.bmp, converted before it in "
              "this call\n", "lcd_x.txt"},
             {"also when the folder is named two ways", {"convert", "good.bmp", "@/good.bmp"}, 3,
              "@/good.bmp: not converted: its data file @/lcd_good.txt is also the data file of good.bmp",
              "lcd_good.txt"},
             {"the output is the picture itself, through a link", {"convert", "-o", "link.bmp", "good.bmp"}, 3,
              "good.bmp: not converted: link.bmp is the picture itself"},
             {"render onto its own data file", {"render", "-o", "marks.txt", "marks.txt"}, 3,
              "marks.txt: not drawn: marks.txt is the data file itself"},

             {"check: the file conversion writes", {"check", "good.bmp", "marks.txt"}, 0, "marks.txt: matches good.bmp"},
             {"check: two dots more", {"check", "good.bmp", "edited.txt"}, 4,
              "edited.txt: differs from what good.bmp converts to: 2 dots differ, first difference on line 4"},
             {"check: no data file", {"check", "good.bmp"}, 3, "./lcd_good.txt: "},
             {"check: a refused picture", {"check", "wide.bmp"}, 1, "width is 320, not 240"},
             {"render: PNG beside the data file", {"render", "marks.txt"}, 0, "marks.png\n"},
             {"render -o -: PNG", {"render", "-o", "-", "marks.txt"}, 0, "\x89PNG\r\n\x1A\n"},
             {"render -o -: BMP when asked", {"render", "--format", "bmp", "-o", "-", "marks.txt"}, 0,
              std::string("BM>\x10\0\0", 6)},
             {"render: a line too short", {"render", "-o", "out.png", "short.txt"}, 3, "short.txt: line 2"},
             {"check: the same line too short, the same answer", {"check", "good.bmp", "short.txt"}, 3,
              "short.txt: line 2"},
             {"a control character in a name is shown escaped", {"convert", "gone\n\x1b[2J.bmp"}, 3,
              "gone\\n\\x1b[2J.bmp: cannot be opened"},
             {"-o into a folder that is not there", {"convert", "-o", "nodir/", "good.bmp"}, 3,
              "nodir/: cannot be created: No such file or directory"},
             {"info: an accepted picture", {"info", "good.bmp"}, 0, "\nverdict:        accepted\n"},
             {"info: a refused picture, and the command that makes a copy", {"info", "wide.bmp"}, 1,
              "not 240\n                " + kLimits + "\nmake a copy:    quellbit-cli prepare wide.bmp  (writes"},
             {"prepare: a file of another kind", {"prepare", "good.bmp", "marks.txt"}, 3,
              "marks.txt: an LCD data file; prepare reads PNG, JPEG, GIF, WebP, BMP, PBM, PGM and PPM pictures", "good-lcd.bmp"},
             {"prepare onto the picture itself", {"prepare", "-o", "good.bmp", "good.bmp"}, 3,
              "good.bmp: not prepared: good.bmp is the picture itself"},
             {"prepare: a value out of range", {"prepare", "--threshold", "0", "good.bmp"}, 2,
              "--threshold takes a whole percent from 1 to 100, not \"0\""},
             {"info: a broken picture", {"info", "short.bmp"}, 3, "cannot be decoded: the pixel data ends after row 100"},

             {"a pipe into convert -: the data file on standard output", {"convert", "-"}, 0, marksText(), "", false,
              testbmp::build({.pixel = testtext::marks})},
             {"a pipe into render -: the PNG on standard output", {"render", "-"}, 0, "\x89PNG\r\n\x1A\n", "", false,
              marksText()},
             {"a pipe into prepare -: the bitmap out, what was done on standard error", {"prepare", "-"}, 0,
              "quellbit-cli: standard input 8 x 4 -> fit 240 x 120, threshold 50 %, 41 % black -> standard output\n", "",
              false, testbmp::load(QUELLBIT_TEST_DATA "/prepare/png-rgb8.png")},
             {"standard input cut short is named", {"convert", "-"}, 3,
              "quellbit-cli: standard input: the pixel data ends after row 100", "", false,
              testbmp::build({.pixel = testtext::marks}).substr(0, 62 + 32 * 100)},
             {"a file error: the program's name first, the file, the reason", {"convert", "gone.bmp"}, 3,
              "quellbit-cli: gone.bmp: cannot be opened for reading: No such file or directory\n", "", false, "", true},
             {"--quiet: the error alone, no file names", {"-q", "convert", "good.bmp", "short.bmp"}, 3,
              "quellbit-cli: short.bmp: the pixel data ends after row 100 of 128 (3,200 of 4,096 bytes)\n",
              "lcd_good.txt", false, "", true},
             {"prepare: each file beside its picture, named on standard output", {"prepare", "wide.bmp", "pic.png"}, 0,
              "wide-lcd.bmp\npic-lcd.bmp\nquellbit-cli: wide.bmp 320 x 128 -> fit", "pic-lcd.bmp wide-lcd.bmp"},
             {"prepare: a GIF's second frame, its right half black", {"prepare", "--frame", "2", "-o", "-", "anim.gif"},
              0, "anim.gif 8 x 4 -> fit 240 x 120, threshold 50 %, 67 % black"},
             {"prepare: a GIF has no frame 3", {"prepare", "--frame", "3", "anim.gif"}, 3,
              "quellbit-cli: anim.gif: a GIF picture of 2 frames; there is no frame 3"},
             {"info: a JPEG is named, no header values", {"info", "turned.jpg"}, 1,
              "kind:           a JPEG picture, not a bitmap\nprepare:        reads it: 8 x 4 pixels\n"},
             {"help", {"--help"}, 0, "Usage: quellbit-cli convert [--inverse] [-o OUT] PICTURE...\n"},
             {"a command's help", {"render", "--help"}, 0,
              "Usage: quellbit-cli render [-o OUT] [--format png|bmp] DATAFILE\n"},
             {"version", {"--version"}, 0, "quellbit-cli 0.1.0\n"},
             {"no command", {}, 2, "quellbit-cli: no command given"},
             {"an unknown command", {"paint", "good.bmp"}, 2, "quellbit-cli: unknown command \"paint\""},
             {"no picture", {"convert"}, 2, "quellbit-cli: convert: no picture given\nUsage: quellbit-cli convert"},
             {"-o with two pictures", {"convert", "-o", "out.txt", "good.bmp", "good2.bmp"}, 2, "-o takes exactly one picture"},
             {"-o without a value", {"convert", "good.bmp", "-o"}, 2, "convert: -o needs a value"},
             {"-o with an empty name", {"convert", "-o", "", "good.bmp"}, 2, "convert: -o needs a file name"},
             {"render -o with an empty name", {"render", "-o", "", "marks.txt"}, 2, "render: -o needs a file name"},
             {"-o given twice", {"convert", "-o", "out1", "--output=out2", "good.bmp"}, 2, "--output given twice"},
             {"an unknown option", {"convert", "--sideways", "good.bmp"}, 2, "unknown option \"--sideways\""},
             {"a value for a switch", {"convert", "--inverse=yes", "good.bmp"}, 2, "--inverse takes no value"},
             {"an unknown format", {"render", "--format", "gif", "marks.txt"}, 2, "--format takes png or bmp, not \"gif\""},
             {"check with three files", {"check", "good.bmp", "marks.txt", "edited.txt"}, 2,
              "give a picture and at most one data file"},
             {"info with two pictures", {"info", "good.bmp", "wide.bmp"}, 2, "give exactly one picture"},
         }) {
        INFO(row.name);
        TempFolder dir;
        makeFiles(dir);
        std::vector<std::string> words;
        for (const std::string &word : row.words)
            words.push_back(replaced(word, "@", dir.path()));
        std::FILE *full = row.full ? std::fopen("/dev/full", "w") : nullptr;
        const Run run = row.input.empty() ? cli(dir, words, full)
                                          : testbmp::withStandardInput(testbmp::pipeHolding(row.input), [&] { return cli(dir, words, full); });
        if (full)
            std::fclose(full);
        CHECK_EQ(run.status, row.status);
        const std::string says = replaced(row.says, "@", dir.path());
        if (!CHECK(row.exact ? run.out + run.err == says : (run.out + run.err).find(says) != std::string::npos))
            std::fprintf(stderr, "    says: %s%s\n", run.out.c_str(), run.err.c_str());
        CHECK_EQ(made(dir), row.made);
        CHECK_EQ(testbmp::load(dir.file("good.bmp")).size(), std::size_t {62 + 128 * 32}); // never touched
    }
}

// info --json: the status first, each report line under its label, a
// continued line joined by an escaped "\n", and a file that is no bitmap
// has no header values.
TEST_CASE("info --json")
{
    TempFolder dir;
    makeFiles(dir);
    const Run wide = cli(dir, {"info", "--json", "wide.bmp"});
    CHECK_EQ(wide.status, 1);
    CHECK(wide.out.starts_with("{\n  \"status\": \"rejected\",\n  \""));
    CHECK(wide.out.ends_with("\"\n}\n"));
    const std::string fields[] = {"\n  \"size\": \"320 x 128 (bottom-up rows)\",\n",
        "\n  \"verdict\": \"rejected: width is 320, not 240\\n" + kLimits + "\",\n",
        "\n  \"make_a_copy\": \"quellbit-cli prepare wide.bmp  (wr"};
    for (const std::string &field : fields) {
        INFO(field);
        CHECK_NE(wide.out.find(field), std::string::npos);
    }
    const std::string jpeg = cli(dir, {"info", "--json", "turned.jpg"}).out;
    CHECK(jpeg.starts_with("{\n  \"status\": \"not a bitmap\",\n"));
    CHECK_EQ(jpeg.find("\"size\""), std::string::npos);
}

// A picture prepared, converted and drawn back as a bitmap (chosen by the
// name's extension, in any case): the prepared bitmap again, byte for byte.
TEST_CASE("prepare convert render gives the prepared picture")
{
    TempFolder dir;
    REQUIRE(testbmp::save(dir.file("photo.png"), testbmp::load(QUELLBIT_TEST_DATA "/prepare/png-rgba16.png")));
    REQUIRE_EQ(cli(dir, {"prepare", "--dither=bayer", "--invert", "-o", "prepared.bmp", "photo.png"}).status, 0);
    REQUIRE_EQ(cli(dir, {"convert", "-o", "data.txt", "prepared.bmp"}).status, 0);
    REQUIRE_EQ(cli(dir, {"render", "-o", "back.Bmp", "data.txt"}).status, 0);
    CHECK(testbmp::load(dir.file("back.Bmp")) == testbmp::load(dir.file("prepared.bmp")));
}

// The program itself under a file size limit: a message, not death by
// SIGXFSZ, the earlier data file kept, no temporary file left.
TEST_CASE("file size limit")
{
    TempFolder dir;
    makeFiles(dir);
    testbmp::save(dir.file("lcd_good.txt"), "earlier");
    const pid_t pid = start(dir, {"convert", "good.bmp"}, dir.file("err"), 4096);
    CHECK_EQ(testbmp::waitFor(pid), 3);
    CHECK_EQ(testbmp::load(dir.file("err")), "quellbit-cli: ./lcd_good.txt: cannot be written: File too large\n");
    CHECK_EQ(testbmp::load(dir.file("lcd_good.txt")), "earlier");
    CHECK_EQ(made(dir), "lcd_good.txt");
}

// SIGTERM in the middle of a long batch: the program ends by it and leaves
// no temporary file. Its standard output is a pipe of 4 KiB that is read up
// to the first byte only: the names of the 100 data files written (21 KB)
// cannot all get through it, so the batch cannot end before the signal.
TEST_CASE("terminated in the middle of a batch")
{
    TempFolder dir;
    std::vector<std::string> words {"convert"};
    for (int i = 0; i < 100; ++i)
        testbmp::save(dir.file(words.emplace_back(std::to_string(i) + std::string(200, 'p') + ".bmp")),
                      testbmp::build({}));
    int pipe[2];
    REQUIRE(::pipe(pipe) == 0);
    REQUIRE(::fcntl(pipe[1], F_SETPIPE_SZ, 4096) >= 0);
    const pid_t pid = start(dir, words, dir.file("err"), 0, pipe[1]);
    ::close(pipe[1]);
    char first = 0;
    REQUIRE(::read(pipe[0], &first, 1) == 1); // the batch is under way
    ::kill(pid, SIGTERM);
    CHECK_EQ(testbmp::waitFor(pid), 128 + SIGTERM);
    ::close(pipe[0]);
    CHECK_EQ(made(dir).find(".quellbit"), std::string::npos);
}
