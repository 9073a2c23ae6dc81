#include "cli/cli.h"

#include "common/failure.h"
#include "common/input_file.h"
#include "convert/data_file.h"
#include "imaging/bitmap_image.h"
#include "intake/picture_intake.h"
#include "intake/picture_report.h"
#include "preview/plot.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>
#include <sstream>
#include <vector>

namespace quellbit {

namespace {

// The limits in the words of the window's rejection message.
constexpr char kLimits[]
    = "Picture Resolution is limit to 240 x 128 pixels (Width x Height) and 2 Colors Bitmap.";

constexpr char kOverview[] = R"(Converts 240 x 128 one-bit BMP pictures into LCD data files and back.

Commands:
  convert [--inverse] [-o OUT] FILE.bmp...  write each picture's data file
                                            ("pics/logo.bmp" -> "pics/lcd_logo.txt")
  render [-o OUT.png] DATAFILE              draw a data file as a PNG
  check [--inverse] FILE.bmp [DATAFILE]     compare a data file with its picture
  info FILE.bmp                             explain a picture's headers and verdict
Run "quellbit-cli COMMAND --help" for a command's options.

Exit status:
  0  done (check: the data file matches)
  1  at least one picture rejected: not 240 x 128 with 1 bit per pixel
  2  usage error
  3  a file could not be read, decoded or written (a missing data file in
     check included); 3 wins over 1 when both happen in one run
  4  check: the data file differs from what converting would write)";

std::string text(const QString &s)
{
    return s.toStdString();
}
std::string nativePath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

// Every dot of the plotted area as the preview would colour it; -1 where no
// dot was plotted.
class DotGrid final : public Surface {
public:
    DotGrid()
        : dots_(static_cast<std::size_t>(kPictureWidth * kPictureHeight), -1)
    {
    }
    void clear() override { std::fill(dots_.begin(), dots_.end(), -1); }
    void setPixels(std::int32_t x, std::int32_t y, std::span<const std::int32_t> colors) override
    {
        if (y < 0 || y >= kPictureHeight)
            return;
        for (std::size_t i = 0; i < colors.size(); ++i) {
            const std::int64_t column = static_cast<std::int64_t>(x) + static_cast<std::int64_t>(i);
            if (column >= 0 && column < kPictureWidth)
                dots_[static_cast<std::size_t>(y * kPictureWidth + column)] = colors[i];
        }
    }
    const std::vector<std::int32_t> &dots() const { return dots_; }

private:
    std::vector<std::int32_t> dots_;
};

// Plots data file text as the preview would; a line it cannot decode ends
// the plot there, the dots before it stay.
void plotText(const std::string &data, Surface &surface)
{
    surface.clear();
    PlotState state;
    std::istringstream in(data);
    try {
        plotDataStream(in, "data", state, surface, kPictureWidth, kPictureHeight);
    } catch (const Failure &) {
    }
}

} // namespace

QString defaultDataPath(const QString &picturePath)
{
    const qsizetype slash = picturePath.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QStringLiteral(".") : picturePath.left(slash);
    const QString name = slash < 0 ? picturePath : picturePath.mid(slash + 1);
    return QString::fromStdString(dataFilePath(text(folder), text(name), '/'));
}

QString defaultPngPath(const QString &dataPath)
{
    const qsizetype slash = dataPath.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = dataPath.lastIndexOf(QLatin1Char('.'));
    if (dot > slash + 1)
        return dataPath.left(dot) + QStringLiteral(".png");
    return dataPath + QStringLiteral(".png");
}

CommandLine::CommandLine(std::FILE *out, std::FILE *err)
    : out_(out)
    , err_(err)
{
}

void CommandLine::print(std::FILE *stream, const std::string &message)
{
    std::fwrite(message.data(), 1, message.size(), stream);
}

int CommandLine::usageError(const QString &message, const QString &helpText)
{
    print(err_, "quellbit-cli: " + text(message) + "\n\n" + text(helpText));
    return kExitUsage;
}

void CommandLine::reportRejection(const QString &path, const std::string &what, const std::string &why)
{
    endProgress();
    print(err_, text(path) + ": rejected (" + what + "): " + why + "\n  " + kLimits + "\n");
}

void CommandLine::reportFailure(const std::string &message)
{
    endProgress();
    print(err_, message + "\n");
}

void CommandLine::showProgress(qsizetype done, qsizetype total, const QString &name)
{
    print(err_, "\r\x1b[K[" + std::to_string(done) + "/" + std::to_string(total) + "] " + text(name));
    std::fflush(err_);
    progressShown_ = true;
}

void CommandLine::endProgress()
{
    if (!progressShown_)
        return;
    print(err_, "\r\x1b[K");
    std::fflush(err_);
    progressShown_ = false;
}

int CommandLine::run(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kOverview));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("convert, render, check or info"));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(arguments))
        return usageError(parser.errorText(), parser.helpText());
    if (parser.isSet(help)) {
        print(out_, text(parser.helpText()));
        return kExitOk;
    }
    if (parser.isSet(version)) {
        print(out_,
            text(QCoreApplication::applicationName() + QLatin1Char(' ')
                + QCoreApplication::applicationVersion() + QLatin1Char('\n')));
        return kExitOk;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usageError(QStringLiteral("no command given"), parser.helpText());

    // The command's own parser sees the command as its first argument.
    const QString command = positional.first();
    const QStringList rest = QStringList {arguments.value(0)} + positional;
    if (command == QLatin1String("convert"))
        return convert(rest);
    if (command == QLatin1String("render"))
        return render(rest);
    if (command == QLatin1String("check"))
        return check(rest);
    if (command == QLatin1String("info"))
        return info(rest);
    return usageError(QStringLiteral("unknown command \"%1\"").arg(command), parser.helpText());
}

int CommandLine::preparePicture(const QString &path, bool inverse, Picture &picture)
{
    PictureIntake intake = takePicture(nativePath(path));
    const BitmapHeaders &headers = intake.headers;
    if (intake.verdict != Verdict::Accepted) {
        reportRejection(path, describePicture(headers.info), describeVerdict(intake.verdict, headers.info));
        return kExitRejected;
    }
    picture.raster = std::move(intake.raster);
    picture.onColor = colorValue(inverse ? headers.palette1 : headers.palette0);
    return kExitOk;
}

void CommandLine::scan(const Picture &picture, OutputSink &out)
{
    const Raster &raster = picture.raster;
    const ScanRange range = setRange(raster.width(), raster.height());
    NullProgress progress;
    scanPicture(raster, picture.onColor, range, raster.width(), raster.height(), out, progress);
}

std::optional<int> CommandLine::parseCommand(QCommandLineParser &parser, const QStringList &arguments)
{
    const QCommandLineOption help = parser.addHelpOption();
    if (!parser.parse(arguments))
        return usageError(parser.errorText(), parser.helpText());
    if (parser.isSet(help)) {
        print(out_, text(parser.helpText()));
        return kExitOk;
    }
    return std::nullopt;
}

int CommandLine::convert(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts each picture into an LCD data file beside it: the picture's folder, \"lcd_\" and its\n"
        "name with \".txt\" for \".bmp\". Prints each file written. Goes on after a picture that fails;\n"
        "nothing is written for it. Exit 0 all converted, 1 a picture rejected, 3 a file unreadable or\n"
        "unwritable (3 wins over 1), 2 usage error."));
    const QCommandLineOption inverse(QStringLiteral("inverse"),
        QStringLiteral("The picture's second palette colour becomes the 1 bits "
                       "(by default the first)."));
    const QCommandLineOption output(QStringList {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Write the data file to OUT (\"-\": standard output); "
                       "one picture only."),
        QStringLiteral("OUT"));
    parser.addOption(inverse);
    parser.addOption(output);
    parser.addPositionalArgument(QStringLiteral("convert"), QStringLiteral("Convert pictures."));
    parser.addPositionalArgument(
        QStringLiteral("FILE.bmp"), QStringLiteral("Pictures to convert."), QStringLiteral("FILE.bmp..."));
    if (const std::optional<int> done = parseCommand(parser, arguments))
        return *done;
    const QStringList files = parser.positionalArguments().mid(1);
    if (files.isEmpty())
        return usageError(QStringLiteral("convert: no picture given"), parser.helpText());
    const QString target = parser.value(output);
    if (parser.isSet(output) && files.size() != 1)
        return usageError(QStringLiteral("convert: -o takes exactly one picture"), parser.helpText());
    if (parser.isSet(output) && target.isEmpty())
        return usageError(QStringLiteral("convert: -o needs a file name"), parser.helpText());

    const bool progress = files.size() > 1 && ::isatty(::fileno(err_)) == 1;
    bool rejected = false;
    bool broken = false;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString &file = files[i];
        if (progress)
            showProgress(i + 1, files.size(), file);
        try {
            Picture picture;
            if (preparePicture(file, parser.isSet(inverse), picture) != kExitOk) {
                rejected = true;
                continue;
            }
            if (target == QLatin1String("-")) {
                // Held in memory first, so a failure writes nothing.
                StringSink sink;
                scan(picture, sink);
                print(out_, sink.text);
                std::fflush(out_);
                continue;
            }
            const QString path = target.isEmpty() ? defaultDataPath(file) : target;
            SaveFileSink sink(path);
            scan(picture, sink);
            sink.commit();
            endProgress();
            print(out_, text(path) + "\n");
        } catch (const std::exception &e) {
            reportFailure(e.what());
            broken = true;
        }
    }
    endProgress();
    std::fflush(out_);
    return broken ? kExitBroken : rejected ? kExitRejected : kExitOk;
}

int CommandLine::render(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws a data file as the preview shows it into a 240 x 128 PNG: 0 bits dark green (0, 128, 0),\n"
        "1 bits black. Dots a short file does not reach stay dark green. Exit 3, and no PNG, when the\n"
        "data file cannot be read or holds a line too short to decode."));
    const QCommandLineOption output(QStringList {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Write the PNG to OUT.png (\"-\": standard output); by "
                       "default the data file's name with \".png\"."),
        QStringLiteral("OUT.png"));
    parser.addOption(output);
    parser.addPositionalArgument(QStringLiteral("render"), QStringLiteral("Draw a data file."));
    parser.addPositionalArgument(QStringLiteral("DATAFILE"), QStringLiteral("The LCD data file."));
    if (const std::optional<int> done = parseCommand(parser, arguments))
        return *done;
    const QStringList files = parser.positionalArguments().mid(1);
    if (files.size() != 1)
        return usageError(QStringLiteral("render: give exactly one data file"), parser.helpText());
    if (parser.isSet(output) && parser.value(output).isEmpty())
        return usageError(QStringLiteral("render: -o needs a file name"), parser.helpText());
    const QString dataPath = files.first();
    const QString target = parser.isSet(output) ? parser.value(output) : defaultPngPath(dataPath);

    try {
        QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
        ImageSurface surface(image, toRgb(kDotOffColor));
        PlotState state;
        loadPreview(nativePath(dataPath), state, surface, kPictureWidth, kPictureHeight);

        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            throw Failure(text(target), "the PNG cannot be encoded");
        if (target == QLatin1String("-")) {
            print(out_, png.toStdString());
            std::fflush(out_);
            return kExitOk;
        }
        // Written like a data file: all of it or nothing, an earlier PNG kept.
        SaveFileSink file(target);
        file.writeLine(std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
        file.commit();
        print(out_, text(target) + "\n");
        return kExitOk;
    } catch (const std::exception &e) {
        reportFailure(e.what());
        return kExitBroken;
    }
}

int CommandLine::check(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Checks that DATAFILE (by default the name convert gives) is byte for byte what converting\n"
        "FILE.bmp would write. Exit 0 it is; 4 it differs (with the number of dots that differ and the\n"
        "first differing line); 1 the picture is rejected; 3 the picture or the data file cannot be\n"
        "read (a missing data file included)."));
    const QCommandLineOption inverse(QStringLiteral("inverse"),
        QStringLiteral("Compare with the Inverse conversion (second palette "
                       "colour as 1 bits)."));
    parser.addOption(inverse);
    parser.addPositionalArgument(QStringLiteral("check"), QStringLiteral("Check a data file."));
    parser.addPositionalArgument(QStringLiteral("FILE.bmp"), QStringLiteral("The picture."));
    parser.addPositionalArgument(
        QStringLiteral("DATAFILE"), QStringLiteral("The data file to check."), QStringLiteral("[DATAFILE]"));
    if (const std::optional<int> done = parseCommand(parser, arguments))
        return *done;
    const QStringList files = parser.positionalArguments().mid(1);
    if (files.isEmpty() || files.size() > 2)
        return usageError(
            QStringLiteral("check: give a picture and at most one data file"), parser.helpText());
    const QString picturePath = files[0];
    const QString dataPath = files.size() == 2 ? files[1] : defaultDataPath(picturePath);

    std::string expected;
    std::string actual;
    try {
        Picture picture;
        if (preparePicture(picturePath, parser.isSet(inverse), picture) != kExitOk)
            return kExitRejected;
        StringSink sink;
        scan(picture, sink);
        expected = std::move(sink.text);

        const std::vector<std::uint8_t> bytes = readWholeFile(nativePath(dataPath));
        actual.assign(bytes.begin(), bytes.end());
    } catch (const std::exception &e) {
        reportFailure(e.what());
        return kExitBroken;
    }

    if (actual == expected) {
        print(out_, text(dataPath) + ": matches " + text(picturePath) + "\n");
        return kExitOk;
    }
    const auto [firstExpected, firstActual]
        = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    const auto line = 1 + std::count(expected.begin(), firstExpected, '\n');
    DotGrid want;
    DotGrid got;
    plotText(expected, want);
    plotText(actual, got);
    std::size_t dots = 0;
    for (std::size_t i = 0; i < want.dots().size(); ++i)
        dots += want.dots()[i] != got.dots()[i] ? 1 : 0;
    print(err_,
        text(dataPath) + ": differs from what " + text(picturePath) + " converts to: " + std::to_string(dots)
            + (dots == 1 ? " dot differs" : " dots differ") + ", first difference on line "
            + std::to_string(line) + "\n");
    return kExitDiffers;
}

int CommandLine::info(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Shows what a picture's headers say, where its colour table and pixels lie and whether it can\n"
        "be converted, with the reason when not. Exit 0 accepted, 1 rejected, 3 unreadable or the\n"
        "pixels cannot be decoded."));
    parser.addPositionalArgument(QStringLiteral("info"), QStringLiteral("Explain a picture."));
    parser.addPositionalArgument(QStringLiteral("FILE.bmp"), QStringLiteral("The picture."));
    if (const std::optional<int> done = parseCommand(parser, arguments))
        return *done;
    const QStringList files = parser.positionalArguments().mid(1);
    if (files.size() != 1)
        return usageError(QStringLiteral("info: give exactly one picture"), parser.helpText());
    const QString path = files.first();

    PictureReport report;
    try {
        report = reportPicture(nativePath(path));
    } catch (const std::exception &e) {
        reportFailure(e.what());
        return kExitBroken;
    }
    const int status = report.status == PictureStatus::Accepted ? kExitOk
        : report.status == PictureStatus::Rejected               ? kExitRejected
                                                                 : kExitBroken;
    print(out_, report.text);
    std::fflush(out_);
    return status;
}

} // namespace quellbit
