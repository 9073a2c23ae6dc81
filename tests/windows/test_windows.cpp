// quellbit-cli.exe on what only Windows has: UTF-16 names, long paths,
// devices, binary standard output, names that differ in letter case only,
// backslashes and drives, and a replace that keeps what the old file had.
// Every row runs the built program as a user would, in a folder of its own.
// The rules shared with Linux are tested by the Linux suite; the data files
// of the real bitmaps are compared with the Linux build's byte for byte by
// tests/windows/run-under-wine.sh.
//
// Under Wine some rows cannot show what they check: such a row is marked
// skipped there, with the reason, never counted as passed.

#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool underWine()
{
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// The program beside this test.
std::wstring program()
{
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return self.substr(0, self.rfind(L'\\') + 1) + L"quellbit-cli.exe";
}

std::wstring wide(const std::string &utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end())).wstring();
}

std::string narrow(const std::wstring &text)
{
    const std::u8string utf8 = fs::path(text).u8string();
    return {utf8.begin(), utf8.end()};
}

// A 240 x 128 one-bit bitmap, palette entry 0 black, 1 white, every pixel
// white but the top row's leftmost (bottom-up: the last row stored).
std::string picture()
{
    std::string bytes(62 + 128 * 32, '\xFF');
    const std::string header("BM\x3E\x10\0\0\0\0\0\0\x3E\0\0\0\x28\0\0\0\xF0\0\0\0\x80\0\0\0\x01\0\x01\0", 30);
    bytes.replace(0, 30, header);
    bytes.replace(30, 28, std::string(28, '\0')); // no compression, sizes, colours, entry 0 black
    bytes.replace(58, 4, std::string("\xFF\xFF\xFF\0", 4));
    bytes[62 + 127 * 32] = 0x7F;
    return bytes;
}

// Its data file, worked out by hand: Normal makes entry 0 the 1 bits, so
// only bit 0 of the first byte is set; 480 lines of 45 bytes.
std::string pictureData()
{
    std::string text = "        DB 01H,00H,00H,00H,00H,00H,00H,00H;\r\n";
    for (int line = 1; line < 480; ++line)
        text += "        DB 00H,00H,00H,00H,00H,00H,00H,00H;\r\n";
    return text;
}

// A folder of its own for each test case, removed afterwards.
struct Folder {
    fs::path path;
    Folder()
    {
        static int count = 0;
        path = fs::temp_directory_path() / (L"quellbit-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-"
                                            + std::to_wstring(++count));
        fs::create_directories(path);
    }
    ~Folder()
    {
        std::error_code ignored;
        fs::remove_all(longPath(path), ignored);
    }
    static fs::path longPath(const fs::path &p) { return L"\\\\?\\" + fs::absolute(p).wstring(); }
    std::wstring operator/(const std::wstring &name) const { return (path / name).wstring(); }
};

void save(const fs::path &file, const std::string &bytes)
{
    std::ofstream(Folder::longPath(file), std::ios::binary) << bytes;
}

std::string load(const fs::path &file)
{
    std::ifstream in(Folder::longPath(file), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Run {
    DWORD status = 0;
    std::string out, err;
};

// Runs quellbit-cli.exe with `words` in `folder`, standard output and error
// caught as bytes.
Run cli(const fs::path &folder, const std::vector<std::wstring> &words)
{
    std::wstring line = L"\"" + program() + L"\"";
    for (const std::wstring &word : words)
        line += L" \"" + word + L"\"";
    SECURITY_ATTRIBUTES inherit {sizeof inherit, nullptr, TRUE};
    HANDLE out[2] = {}, err[2] = {}; // read, write
    ::CreatePipe(&out[0], &out[1], &inherit, 0);
    ::CreatePipe(&err[0], &err[1], &inherit, 0);
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out[1];
    startup.hStdError = err[1];
    PROCESS_INFORMATION process {};
    const bool started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          folder.wstring().c_str(), &startup, &process);
    ::CloseHandle(out[1]);
    ::CloseHandle(err[1]);
    const auto drain = [](HANDLE pipe, std::string &into) {
        char buffer[4096];
        for (DWORD got = 0; ::ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0;)
            into.append(buffer, got);
        ::CloseHandle(pipe);
    };
    Run run;
    std::thread errors(drain, err[0], std::ref(run.err));
    drain(out[0], run.out);
    errors.join();
    REQUIRE_MESSAGE(started, "cannot start quellbit-cli.exe");
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::GetExitCodeProcess(process.hProcess, &run.status);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    return run;
}

DWORD attributesOf(const fs::path &file)
{
    return ::GetFileAttributesW(Folder::longPath(file).c_str());
}

} // namespace

TEST_CASE("names in any script, from the command line to the file and back in messages")
{
    const Folder dir;
    // Greek, Japanese, an emoji (a surrogate pair in UTF-16), a combining accent.
    const std::wstring name = wide("\xCE\x9B\xCE\x9F\xCE\x93\xCE\x9F_\xE6\x97\xA5\xE6\x9C\xAC_\xF0\x9F\x98\x80_e\xCC\x81.bmp");
    const std::wstring data = wide("lcd_\xCE\x9B\xCE\x9F\xCE\x93\xCE\x9F_\xE6\x97\xA5\xE6\x9C\xAC_\xF0\x9F\x98\x80_e\xCC\x81.txt");
    save(dir.path / name, picture());
    const Run run = cli(dir.path, {L"convert", name});
    CHECK(run.status == 0);
    CHECK(run.out == ".\\" + narrow(data) + "\n");
    CHECK(load(dir.path / data) == pictureData());
    // A refusal names the file in UTF-8 too.
    const Run missing = cli(dir.path, {L"info", L"\x00E9t\x00E9.bmp"});
    CHECK(missing.status == 3);
    CHECK(missing.err.starts_with("quellbit-cli: \xC3\xA9t\xC3\xA9.bmp: cannot be opened for reading: "));
}

TEST_CASE("a path over 260 characters")
{
    const Folder dir;
    fs::path deep = dir.path;
    while (deep.wstring().size() < 300)
        deep /= std::wstring(40, L'd');
    fs::create_directories(Folder::longPath(deep));
    save(deep / L"logo.bmp", picture());
    const std::wstring picturePath = (deep / L"logo.bmp").wstring();
    REQUIRE(picturePath.size() > 260);
    const Run run = cli(dir.path, {L"convert", picturePath});
    CHECK(run.status == 0);
    CHECK(load(deep / L"lcd_logo.txt") == pictureData());
    // Replaced a second time, through the long name.
    CHECK(cli(dir.path, {L"convert", L"--inverse", picturePath}).status == 0);
    CHECK(load(deep / L"lcd_logo.txt").starts_with("        DB FEH,FFH,"));
}

TEST_CASE("devices are written in place")
{
    const Folder dir;
    save(dir.path / L"logo.bmp", picture());
    for (const std::wstring device : {L"NUL", L"nul", L"NUL:"}) {
        const Run run = cli(dir.path, {L"convert", L"-o", device, L"logo.bmp"});
        CHECK(run.status == 0);
        CHECK(run.out == narrow(device) + "\n");
    }
    // Nothing but the picture in the folder: no file named NUL, no
    // temporary file.
    int entries = 0;
    for ([[maybe_unused]] const auto &entry : fs::directory_iterator(dir.path))
        ++entries;
    CHECK(entries == 1);
    // A device is no picture.
    const Run read = cli(dir.path, {L"convert", L"NUL"});
    CHECK(read.status == 3);
    CHECK(read.err == "quellbit-cli: NUL: not a regular file (a device)\n");
}

TEST_CASE("standard output is binary: CR LF stays CR LF")
{
    const Folder dir;
    save(dir.path / L"logo.bmp", picture());
    const Run data = cli(dir.path, {L"convert", L"-o", L"-", L"logo.bmp"});
    CHECK(data.status == 0);
    CHECK(data.out == pictureData()); // 21,600 bytes, never CR CR LF
    // A bitmap through standard output keeps every byte (0x0A, 0x1A...).
    save(dir.path / L"lcd_logo.txt", pictureData());
    const Run drawn = cli(dir.path, {L"render", L"--format", L"bmp", L"-o", L"-", L"lcd_logo.txt"});
    CHECK(drawn.status == 0);
    save(dir.path / L"again.bmp", drawn.out);
    const Run back = cli(dir.path, {L"convert", L"-o", L"-", L"again.bmp"});
    CHECK(back.out == pictureData());
}

TEST_CASE("names that differ in letter case are one file")
{
    const Folder dir;
    save(dir.path / L"x.bmp", picture());
    // x.bmp and X.BMP are one picture, so lcd_x.txt and lcd_X.txt one file.
    const Run run = cli(dir.path, {L"convert", L"x.bmp", L"X.BMP"});
    CHECK(run.status == 3);
    CHECK(run.out == ".\\lcd_x.txt\n");
    CHECK(run.err == "quellbit-cli: X.BMP: not converted: its data file .\\lcd_X.txt is also the data file of x.bmp, converted before it in this call\n");
    // Output onto the picture, named in other letters.
    const Run onto = cli(dir.path, {L"convert", L"-o", L"X.Bmp", L"x.bmp"});
    CHECK(onto.status == 3);
    CHECK(onto.err == "quellbit-cli: x.bmp: not converted: X.Bmp is the picture itself\n");
    CHECK(load(dir.path / L"x.bmp") == picture());
    // A folder in the way.
    fs::create_directory(dir.path / L"LCD_Y.TXT");
    save(dir.path / L"y.bmp", picture());
    const Run folder = cli(dir.path, {L"convert", L"y.bmp"});
    CHECK(folder.status == 3);
    CHECK(folder.err == "quellbit-cli: .\\lcd_y.txt: a folder of that name is in the way\n");
}

TEST_CASE("the naming rule with backslashes, forward slashes and drives")
{
    const Folder dir;
    fs::create_directory(dir.path / L"Art");
    save(dir.path / L"Art" / L"LOGO.BMP", picture());
    const std::string full = narrow(dir.path.wstring());
    const std::string drive = full.substr(0, 2); // "C:"
    struct Row {
        const char *name;
        std::wstring picture;
        std::string written;
        bool inArt; // run in the picture's folder
    };
    for (const Row &row : std::initializer_list<Row> {
             {"full path", wide(full + "\\Art\\LOGO.BMP"), full + "\\Art\\lcd_LOGO.txt", false},
             {"forward slashes", L"Art/LOGO.BMP", "Art/lcd_LOGO.txt", false},
             {"a doubled separator stays", L"Art\\\\LOGO.BMP", "Art\\\\lcd_LOGO.txt", false},
             {"a bare name", L"LOGO.BMP", ".\\lcd_LOGO.txt", true},
             {"a drive's current folder", wide(drive) + L"LOGO.BMP", drive + "lcd_LOGO.txt", true}}) {
        CAPTURE(row.name);
        const Run run = cli(row.inArt ? dir.path / L"Art" : dir.path, {L"convert", row.picture});
        CHECK(run.status == 0);
        CHECK(run.out == row.written + "\n");
        CHECK(load(dir.path / L"Art" / L"lcd_LOGO.txt") == pictureData());
        fs::remove(dir.path / L"Art" / L"lcd_LOGO.txt");
    }
}

TEST_CASE("a hidden data file stays hidden when it is replaced; a read-only one is refused and kept")
{
    const Folder dir;
    save(dir.path / L"logo.bmp", picture());
    save(dir.path / L"lcd_logo.txt", "old");
    ::SetFileAttributesW((dir / L"lcd_logo.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    if (!(attributesOf(dir.path / L"lcd_logo.txt") & FILE_ATTRIBUTE_HIDDEN)) {
        MESSAGE("skipped: this file system keeps no hidden attribute here");
        return;
    }
    // Windows' replace keeps the attributes itself; Wine's drops them and
    // the program sets them again: either way the file stays hidden.
    CHECK(cli(dir.path, {L"convert", L"logo.bmp"}).status == 0);
    CHECK(load(dir.path / L"lcd_logo.txt") == pictureData());
    CHECK((attributesOf(dir.path / L"lcd_logo.txt") & FILE_ATTRIBUTE_HIDDEN) != 0);

    ::SetFileAttributesW((dir / L"lcd_logo.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    const Run refused = cli(dir.path, {L"convert", L"--inverse", L"logo.bmp"});
    CHECK(refused.status == 3);
    CHECK(refused.err == "quellbit-cli: .\\lcd_logo.txt: cannot be replaced: the file is read-only\n");
    CHECK(load(dir.path / L"lcd_logo.txt") == pictureData());
    CHECK((attributesOf(dir.path / L"lcd_logo.txt") & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN))
          == (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    ::SetFileAttributesW((dir / L"lcd_logo.txt").c_str(), FILE_ATTRIBUTE_NORMAL); // so that it can go
}

// Wine keeps no security descriptors on its files: only Windows can show
// that the replace keeps one.
TEST_CASE("a replaced data file keeps its security descriptor" * doctest::skip(underWine()))
{
    const Folder dir;
    save(dir.path / L"logo.bmp", picture());
    save(dir.path / L"lcd_logo.txt", "old");
    // Access for everyone and the owner's own, not inherited from the folder.
    const std::wstring file = dir / L"lcd_logo.txt";
    PSECURITY_DESCRIPTOR wanted = nullptr;
    REQUIRE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;WD)(A;;FA;;;OW)", SDDL_REVISION_1,
                                                                   &wanted, nullptr));
    REQUIRE(::SetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, wanted));
    ::LocalFree(wanted);
    const auto dacl = [&] {
        std::vector<std::uint8_t> descriptor(65536);
        DWORD size = 0;
        ::GetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), 65536, &size);
        wchar_t *text = nullptr;
        ::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1,
                                                               DACL_SECURITY_INFORMATION, &text, nullptr);
        const std::string sddl = text ? narrow(text) : "";
        ::LocalFree(text);
        return sddl;
    };
    const std::string before = dacl();
    CHECK(cli(dir.path, {L"convert", L"logo.bmp"}).status == 0);
    CHECK(load(dir.path / L"lcd_logo.txt") == pictureData());
    CHECK(dacl() == before);
}

TEST_CASE("PNG through the Windows Imaging Component: drawn and read back dot for dot")
{
    const Folder dir;
    save(dir.path / L"lcd_logo.txt", pictureData());
    CHECK(cli(dir.path, {L"render", L"-o", L"drawn.png", L"lcd_logo.txt"}).status == 0);
    CHECK(load(dir.path / L"drawn.png").starts_with("\x89PNG\r\n\x1A\n"));
    // Drawn black on dark green: green is lighter than 10 %, black darker.
    const Run prepared = cli(dir.path, {L"prepare", L"--threshold", L"10", L"-o", L"again.bmp", L"drawn.png"});
    CHECK(prepared.status == 0);
    const Run back = cli(dir.path, {L"convert", L"-o", L"-", L"again.bmp"});
    CHECK(back.out == pictureData());
    // A PNG cut short is named as such.
    save(dir.path / L"cut.png", load(dir.path / L"drawn.png").substr(0, 60));
    const Run cut = cli(dir.path, {L"prepare", L"cut.png"});
    CHECK(cut.status == 3);
    CHECK(cut.err.starts_with("quellbit-cli: cut.png: the PNG data cannot be read: "));
}
