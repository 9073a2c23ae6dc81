// The commands of quellbit-cli: the table, and one function a command.

#include "cli/command_line.h"

#include "common/file_system.h"
#include "common/input_file.h"
#include "common/output_file.h"
#include "common/shown_name.h"
#include "common/text.h"
#include "convert/data_file.h"
#include "convert/scan.h"
#include "intake/picture_intake.h"
#include "intake/picture_report.h"
#include "prepare/picture_format.h"
#include "prepare/prepare.h"
#include "preview/compare.h"
#include "preview/render.h"

#include <charconv>
#include <map>
#include <optional>
#include <tuple>
#include <variant>

namespace quellbit::cli {

namespace {

// A file as messages name it: "standard input" for "-", otherwise its name
// as text.
std::string named(const std::string &path)
{
    return shownName(inputName(path));
}

bool sameFile(const std::string &a, const std::string &b)
{
    const std::optional<FileId> first = fileId(a);
    return first && first == fileId(b);
}

std::string defaultDataPath(const std::string &picture)
{
    if (picture == kStandardInputName)
        return "-"; // no name to go by: standard output
    return dataFilePathFor(picture);
}

// The data file's name with its extension replaced by the format's, or the
// format's appended when it has none: "lcd_logo.txt" gives "lcd_logo.png".
std::string defaultPicturePath(const std::string &dataPath, RenderFormat format)
{
    const std::size_t dot = dataPath.rfind('.');
    const std::size_t start = lastPartStart(dataPath).value_or(0);
    const std::string stem = dot != std::string::npos && dot > start ? dataPath.substr(0, dot) : dataPath;
    return stem + (format == RenderFormat::Bitmap ? ".bmp" : ".png");
}

// A picture taken in, and the file it was read from.
struct Picture {
    PictureIntake intake;
    FileId file;
};

// Reads and takes in the picture; a refused one is reported here and gives
// nothing.
std::optional<Picture> acceptedPicture(Invocation &call, const std::string &path)
{
    InputFile file(path);
    const std::vector<std::uint8_t> bytes = readWholeFile(file, intakeSettledBy);
    Picture picture {takePicture(bytes, file.path()), {file.device(), file.inode()}};
    if (picture.intake.verdict == Verdict::Accepted)
        return picture;
    if (const std::optional<std::string> kind = otherKind(bytes)) {
        call.report(named(path) + ": rejected: " + *kind + ", not a bitmap; \"" + shownName(prepareCommand(path))
                    + "\" makes one\n  " + limitsMessage());
        return std::nullopt;
    }
    const BITMAPINFOHEADER &info = picture.intake.headers.info;
    call.report(named(path) + ": rejected (" + describePicture(info) + "): " + describeVerdict(picture.intake.verdict, info)
                + "\n  " + limitsMessage());
    return std::nullopt;
}

std::int32_t onColor(const Invocation &call, const PictureIntake &intake)
{
    return quellbit::onColor(intake.headers.palette0, intake.headers.palette1, call.has("inverse"));
}

// The files one call writes (data files, prepared bitmaps), so that two
// pictures never write one file: the place of each (the folder as a file,
// or as named where it does not exist, and the name, links followed) and
// the picture it belongs to.
class OutputsOfCall {
public:
    // The picture whose output `destination` already is, or nothing.
    std::optional<std::string> owner(const OutputDestination &destination)
    {
        const auto found = places_.find(placeOf(destination.file));
        return found == places_.end() ? std::nullopt : std::optional(found->second);
    }
    void claim(const OutputDestination &destination, const std::string &picture)
    {
        places_.emplace(placeOf(destination.file), picture);
    }

private:
    using Place = std::tuple<std::optional<FileId>, std::string, std::string>;
    Place placeOf(const std::string &path)
    {
        const std::string folder = folderOf(path);
        auto known = folders_.find(folder);
        if (known == folders_.end())
            known = folders_.emplace(folder, fileId(folder)).first;
        const std::string name = nameKey(std::string_view(path).substr(lastPartStart(path).value_or(0)));
        return {known->second, known->second ? std::string() : folder, name};
    }
    std::map<std::string, std::optional<FileId>> folders_; // each looked at once a call
    std::map<Place, std::string> places_;
};

// Standard input can be read once a call: "-" more than once is a usage
// error. Its exit status, or nothing.
std::optional<int> standardInputOnce(Invocation &call, const std::vector<std::string> &files)
{
    if (std::count(files.begin(), files.end(), std::string(kStandardInputName)) > 1)
        return call.usageError("standard input (\"-\") can be read once only");
    return std::nullopt;
}

// The words convert and prepare share: at least one picture, and -o only
// with one picture and a name. A usage error's exit status, or nothing.
std::optional<int> pictureWords(Invocation &call)
{
    const std::string *output = call.value("output");
    if (call.operands().empty())
        return call.usageError("no picture given");
    if (output && call.operands().size() != 1)
        return call.usageError("-o takes exactly one picture");
    if (output && output->empty())
        return call.usageError("-o needs a file name");
    return standardInputOnce(call, call.operands());
}

// One picture after another, as convert and prepare go: each with its
// output (-o, or `defaultOutput` of the picture) and no two pictures
// writing one file ("not converted: its data file ... is also the data
// file of ..."). `step` does one picture's work; false when any failed.
bool eachPicture(Invocation &call, std::string (*defaultOutput)(const std::string &), const std::string &output,
                 const std::string &done,
                 const std::function<void(const std::string &path, const std::string &target, const OutputDestination &)> &step)
{
    const std::vector<std::string> &pictures = call.operands();
    const std::string *given = call.value("output");
    bool broken = false;
    OutputsOfCall outputs;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const std::string &path = pictures[i];
        call.showProgress(i + 1, pictures.size(), path);
        broken |= !call.attempt([&] {
            const std::string target = given ? *given : defaultOutput(path);
            const OutputDestination destination = outputDestination(target);
            if (const std::optional<std::string> owner = outputs.owner(destination))
                throw Failure(inputName(path), "not " + done + ": its " + output + " " + shownName(target) + " is also the "
                                        + output + " of " + named(*owner) + ", " + done + " before it in this call");
            outputs.claim(destination, path);
            step(path, target, destination);
        });
    }
    return !broken;
}

int convert(Invocation &call)
{
    if (const std::optional<int> wrong = pictureWords(call))
        return *wrong;
    bool rejected = false;
    const bool done = eachPicture(call, defaultDataPath, "data file", "converted",
                                  [&](const std::string &path, const std::string &target, const OutputDestination &destination) {
        const std::optional<Picture> picture = acceptedPicture(call, path);
        if (!picture) {
            rejected = true;
            return;
        }
        const Raster &raster = picture->intake.raster;
        if (call.isStandardOutput(target, destination.existing)) {
            // All of it or nothing: held in memory first.
            call.print(convertToText(raster, onColor(call, picture->intake)));
            return;
        }
        if (destination.existing == picture->file)
            throw Failure(inputName(path), "not converted: " + shownName(target) + " is the picture itself");
        OutputFile file(target);
        NullProgress progress;
        scanPicture(raster, onColor(call, picture->intake), setRange(raster.width(), raster.height()), raster.width(),
                    raster.height(), file, progress);
        file.commit();
        call.wrote(target);
    });
    return !done ? kExitBroken : rejected ? kExitRejected : kExitOk;
}

int render(Invocation &call)
{
    if (call.operands().size() != 1)
        return call.usageError("give exactly one data file");
    const std::string &dataPath = call.operands().front();
    const std::string *output = call.value("output");
    const std::string *formatName = call.value("format");
    if (output && output->empty())
        return call.usageError("-o needs a file name");
    std::optional<RenderFormat> format;
    if (formatName)
        format = renderFormatOf("." + *formatName);
    if (formatName && !format)
        return call.usageError("--format takes png or bmp, not \"" + *formatName + "\"");
    if (!format)
        format = output ? renderFormatOf(*output).value_or(RenderFormat::Png) : RenderFormat::Png;
    // With the data file on standard input there is no name to go by: the
    // picture goes to standard output.
    const std::string target = output ? *output
        : dataPath == kStandardInputName ? std::string("-")
                                         : defaultPicturePath(dataPath, *format);

    const bool done = call.attempt([&] {
        const std::string picture = renderDataFile(dataPath, *format);
        if (call.isStandardOutput(target, fileId(target))) {
            call.print(picture);
            return;
        }
if (sameFile(target, dataPath))
            throw Failure(inputName(dataPath), "not drawn: " + shownName(target) + " is the data file itself");
        OutputFile file(target);
        file.write(picture);
        file.commit();
        call.wrote(target);
    });
    return done ? kExitOk : kExitBroken;
}

int check(Invocation &call)
{
    const std::vector<std::string> &files = call.operands();
    if (files.empty() || files.size() > 2)
        return call.usageError("give a picture and at most one data file");
    if (files.size() == 1 && files[0] == kStandardInputName)
        return call.usageError("with the picture on standard input, name its data file");
    if (const std::optional<int> wrong = standardInputOnce(call, files))
        return *wrong;
    const std::string picture = named(files[0]);
    const std::string dataPath = files.size() == 2 ? files[1] : defaultDataPath(files[0]);
    const std::string dataShown = named(dataPath);

    int status = kExitOk;
    const bool done = call.attempt([&] {
        const std::optional<Picture> accepted = acceptedPicture(call, files[0]);
        if (!accepted) {
            status = kExitRejected;
            return;
        }
        const PictureIntake &intake = accepted->intake;
        const DataFileComparison result = compareDataFile(dataPath, convertToText(intake.raster, onColor(call, intake)));
        switch (result.outcome) {
        case DataFileComparison::Outcome::Identical:
            call.note(dataShown + ": matches " + picture);
            return;
        case DataFileComparison::Outcome::SameDots:
            call.note(dataShown + ": " + result.describe());
            break;
        case DataFileComparison::Outcome::DotsDiffer:
            call.note(dataShown + ": differs from what " + picture + " converts to: " + result.describe());
            break;
        }
        status = kExitDiffers;
    });
    return done ? status : kExitBroken;
}

// "X,Y" in whole numbers, either of them negative; nothing when the words
// are off.
std::optional<std::pair<std::int32_t, std::int32_t>> cropCorner(std::string_view words)
{
    const std::size_t comma = words.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    std::int32_t x = 0;
    std::int32_t y = 0;
    const auto whole = [](std::string_view text, std::int32_t &value) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        return !text.empty() && error == std::errc() && end == text.data() + text.size();
    };
    if (!whole(words.substr(0, comma), x) || !whole(words.substr(comma + 1), y))
        return std::nullopt;
    return std::pair {x, y};
}

// The highest frame prepare is asked for: each frame before it is decoded.
constexpr int kMostFrames = 65535;

// The options of prepare, every value checked; a usage error's words when
// they are off.
std::variant<PrepareOptions, std::string> prepareOptions(const Invocation &call)
{
    PrepareOptions options;
    int sizings = 0;
    for (const auto &[name, sizing] : kSizingNames)
        if (call.has(name)) {
            options.sizing = sizing;
            ++sizings;
        }
    if (sizings > 1)
        return std::string("--fit, --fill, --stretch and --crop exclude each other");
    if (const std::string *crop = call.value("crop")) {
        const auto corner = cropCorner(*crop);
        if (!corner)
            return "--crop takes X,Y in whole pixels (\"0,40\"), not \"" + *crop + "\"";
        std::tie(options.cropX, options.cropY) = *corner;
    }
    const std::string *threshold = call.value("threshold");
    const std::string *dither = call.value("dither");
    if (threshold && dither)
        return std::string("--threshold and --dither exclude each other");
    if (threshold) {
        // "50" or "50%".
        std::string_view percent = *threshold;
        if (percent.ends_with('%'))
            percent.remove_suffix(1);
        const auto [end, error] = std::from_chars(percent.data(), percent.data() + percent.size(), options.threshold);
        if (percent.empty() || error != std::errc() || end != percent.data() + percent.size() || options.threshold < 1
            || options.threshold > 100)
            return "--threshold takes a whole percent from 1 to 100, not \"" + *threshold + "\"";
    }
    if (dither) {
        const std::optional<Tone> tone = named(kToneNames, *dither);
        if (!tone || *tone == Tone::Threshold)
            return "--dither takes floyd-steinberg, atkinson or bayer, not \"" + *dither + "\"";
        options.tone = *tone;
    }
    options.invert = call.has("invert");
    if (const std::string *frame = call.value("frame")) {
        const auto [end, error] = std::from_chars(frame->data(), frame->data() + frame->size(), options.frame);
        if (frame->empty() || error != std::errc() || end != frame->data() + frame->size() || options.frame < 1
            || options.frame > kMostFrames)
            return "--frame takes a whole number from 1 to 65535, not \"" + *frame + "\"";
    }
    return options;
}

int prepare(Invocation &call)
{
    if (const std::optional<int> wrong = pictureWords(call))
        return *wrong;
    const auto parsed = prepareOptions(call);
    if (const std::string *problem = std::get_if<std::string>(&parsed))
        return call.usageError(*problem);
    const PrepareOptions &options = std::get<PrepareOptions>(parsed);

    const auto defaultBitmap = [](const std::string &path) {
        return path == kStandardInputName ? std::string("-") : preparedPath(path);
    };
    const bool done = eachPicture(call, defaultBitmap, "bitmap", "prepared",
                                  [&](const std::string &path, const std::string &target, const OutputDestination &destination) {
        InputFile input(path);
        const std::vector<std::uint8_t> bytes
            = readWholeFile(input, [&](std::span<const std::uint8_t> head) { return prepareSettledBy(head, options.frame); });
        const PreparedPicture prepared = preparePicture(bytes, input.path(), options);
        if (call.isStandardOutput(target, destination.existing)) {
            call.print(prepared.bitmap());
            call.note(describePreparation(shownName(input.path()), prepared, options, "standard output"));
            return;
        }
        if (destination.existing == FileId {input.device(), input.inode()})
            throw Failure(inputName(path), "not prepared: " + shownName(target) + " is the picture itself");
        OutputFile file(target);
        file.write(prepared.bitmap());
        file.commit();
        call.note(describePreparation(shownName(input.path()), prepared, options, shownName(target)));
        call.wrote(target);
    });
    return done ? kExitOk : kExitBroken;
}

// A line of info's report: the label and its colon in 16 columns.
std::string reportLine(const std::string &label, const std::string &value)
{
    std::string text = label + ":";
    text.resize(std::max<std::size_t>(text.size() + 1, 16), ' ');
    return text + value + "\n";
}

// The report on a file that is no bitmap at all: its kind and what prepare
// makes of it, never values read as if it were a bitmap's headers.
PictureReport reportOtherKind(std::span<const std::uint8_t> bytes, const std::string &path, const std::string &kind)
{
    PictureReport report;
    report.status = PictureStatus::Rejected;
    report.text = reportLine("file", named(path) + " (" + thousands(static_cast<std::int64_t>(bytes.size())) + " bytes)")
        + reportLine("kind", kind + ", not a bitmap");
    try {
        const PreparedPicture prepared = preparePicture(bytes, inputName(path), {});
        report.text += reportLine("prepare", "reads it: " + std::to_string(prepared.sourceWidth) + " x "
                                                 + std::to_string(prepared.sourceHeight) + " pixels");
    } catch (const Failure &failure) {
        report.text += reportLine("prepare", "cannot read it: " + failure.reason());
    }
    report.text += reportLine("verdict", "not a bitmap: convert and the window take 240 x 128 BMP pictures with 1 bit "
                                         "per pixel");
    return report;
}

// `text` as a JSON string, quotes included.
std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : readable(text)) {
        if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out + "\"";
}

// The report as one JSON object: each line's label, in lower case with
// "_" for spaces, is a key whose value is the line's text (a continued
// line joined by "\n"); "status" is "accepted", "rejected", "broken" or
// "not a bitmap".
std::string jsonReport(const std::string &text, const std::string &status)
{
    std::vector<std::pair<std::string, std::string>> fields;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t colon = line.find(':');
        if (line.starts_with(std::string(16, ' ')) || colon == std::string::npos || colon >= 16) {
            const std::size_t words = line.find_first_not_of(' ');
            if (!fields.empty() && words != std::string::npos) {
                fields.back().second += '\n';
                fields.back().second.append(line, words);
            }
            continue;
        }
        std::string key = line.substr(line.find_first_not_of(' '), colon - line.find_first_not_of(' '));
        for (char &c : key)
            c = c == ' ' ? '_' : static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        fields.emplace_back(key, line.size() > 16 ? line.substr(16) : std::string());
    }
    std::string json = "{\n  \"status\": ";
    json += jsonString(status);
    for (const auto &[key, value] : fields) {
        json += ",\n  ";
        json += jsonString(key);
        json += ": ";
        json += jsonString(value);
    }
    json += "\n}\n";
    return json;
}

int info(Invocation &call)
{
    if (call.operands().size() != 1)
        return call.usageError("give exactly one picture");
    int status = kExitBroken;
    call.attempt([&] {
        const std::string &path = call.operands().front();
        const std::vector<std::uint8_t> bytes = readWholeFile(path);
        const std::optional<std::string> kind = otherKind(bytes);
        PictureReport report = kind ? reportOtherKind(bytes, path, *kind) : reportPicture(bytes, inputName(path));
        if (report.status != PictureStatus::Accepted) {
            if (path == kStandardInputName) {
                std::string suggestion = prepareSuggestion(bytes, "picture");
                if (!suggestion.empty())
                    report.text += reportLine("make a copy", "quellbit-cli prepare - > picture-lcd.bmp");
            } else {
                report.text += prepareSuggestion(bytes, path);
            }
        }
        status = report.status == PictureStatus::Accepted ? kExitOk
            : report.status == PictureStatus::Rejected    ? kExitRejected
                                                          : kExitBroken;
        if (call.has("json"))
            call.print(jsonReport(report.text, kind                          ? "not a bitmap"
                                                   : status == kExitOk       ? "accepted"
                                                   : status == kExitRejected ? "rejected"
                                                                             : "broken"));
        else
            call.print(report.text);
    });
    return status;
}

} // namespace

const std::vector<Command> &commands()
{
    static const std::vector<Command> table {
        {"convert", "[--inverse] [-o OUT] PICTURE...", "Write each picture's LCD data file beside it.",
         "Each PICTURE, a 240 x 128 BMP with 1 bit per pixel, becomes an LCD data file in\n"
         "its folder, named \"lcd_\" and its name with \".txt\" for \".bmp\"\n"
         "(\"pics/logo.bmp\" gives \"pics/lcd_logo.txt\"), and the name of each file\n"
         "written is printed. \"-\" reads the picture from standard input and writes its\n"
         "data file to standard output. An earlier file is replaced only once the new\n"
         "one is complete. A picture that fails is named with the reason and the others\n"
         "go on; two pictures whose data files would be one file, and an output that is\n"
         "the picture itself, are not converted.\n\n"
         "Exit 0 all converted, 1 a picture refused, 3 a file unreadable or unwritable\n"
         "(3 wins over 1), 2 a usage error.",
         {{"inverse", 0, nullptr, "The second palette colour becomes the 1 bits (by default the first)."},
          {"output", 'o', "OUT", "Write the data file to OUT (\"-\": standard output); one picture only."}},
         convert},
        {"render", "[-o OUT] [--format png|bmp] DATAFILE", "Draw a data file as a PNG or a one-bit BMP picture.",
         "As PNG the 240 x 128 dots look as the preview shows them: 1 bits black, 0 bits\n"
         "dark green (0, 128, 0), dots a short file does not reach dark green too. As BMP\n"
         "the picture has 1 bit per pixel, 1 bits black (palette entry 0) and every\n"
         "other dot white: converting it gives the data file back, so a data file can be\n"
         "edited as a picture. The format follows OUT's extension (.png or .bmp, any\n"
         "case), PNG otherwise; by default OUT is the data file's name with the format's\n"
         "extension.\n\n"
         "Exit 0 drawn; 3, and nothing written, when the data file cannot be read, holds\n"
         "a line too short to decode, or is OUT itself; 2 a usage error.",
         {{"output", 'o', "OUT", "Write the picture to OUT (\"-\": standard output, PNG unless --format bmp)."},
          {"format", 0, "png|bmp", "The picture's format, whatever OUT's name says."}},
         render},
        {"check", "[--inverse] PICTURE [DATAFILE]", "Compare a data file with what its picture converts to.",
         "DATAFILE (by default the name convert gives) is compared with what converting\n"
         "PICTURE writes: first dot by dot as the preview draws it, then, when the dots\n"
         "are the same, as text (letter case, spacing, line ends).\n\n"
         "Exit 0 it matches byte for byte; 4 it differs, with the number of dots that\n"
         "differ and the first line concerned, or how the text differs; 1 the picture is\n"
         "refused; 3 the picture or the data file cannot be read; 2 a usage error.",
         {{"inverse", 0, nullptr, "Compare with the Inverse conversion (second palette colour as 1 bits)."}},
         check},
        {"info", "[--json] PICTURE", "Explain a picture's headers and whether it converts.",
         "Shows what a picture's headers say, where its colour table and pixels lie, the\n"
         "colours a Normal and an Inverse conversion turn into 1 bits, and whether it can\n"
         "be converted, with the reason when not. A file that is no bitmap at all (a\n"
         "PNG, a JPEG...) is named by its kind, with what prepare makes of it. A picture\n"
         "that does not convert ends with the prepare command that makes a copy that\n"
         "does.\n\n"
         "With --json the report is one JSON object: \"status\" (\"accepted\", \"rejected\",\n"
         "\"broken\" or \"not a bitmap\"), and for each line of the report its label in\n"
         "lower case with \"_\" for spaces (\"file\", \"size\", \"bits_per_pixel\",\n"
         "\"verdict\", \"make_a_copy\"...) with the line's text as a string.\n\n"
         "Exit 0 accepted, 1 refused by the size and depth test or not a bitmap, 3\n"
         "unreadable or its pixels cannot be decoded, 2 a usage error.",
         {{"json", 0, nullptr, "Print the report as one JSON object (keys above)."}},
         info},
        {"prepare", "[options] PICTURE...",
         "Make any picture a 240 x 128 one-bit BMP that convert accepts.",
         "Each PICTURE, a PNG, JPEG, GIF, WebP, BMP, PBM, PGM or PPM of any size and\n"
         "colour depth, becomes a 240 x 128 BMP with 1 bit per pixel that convert and\n"
         "the window accept, its black dots the 1 bits of a Normal conversion. A JPEG is\n"
         "turned as its EXIF orientation says; of an animation, the first frame is read.\n"
         "The bitmap is written beside the picture, its name with \"-lcd.bmp\" for its\n"
         "extension (\"pics/photo.png\" gives \"pics/photo-lcd.bmp\"); its name is printed,\n"
         "and a line on standard error tells what was done, as in\n"
         "  quellbit-cli: photo.png 1024 x 768 -> fit 171 x 128, Floyd-Steinberg,\n"
         "  38 % black -> photo-lcd.bmp\n"
         "Transparent parts are white. The light of a pixel is its luminance (Rec. 709)\n"
         "in linear light; a PNG's gAMA chunk is read as browsers read it. Scaling gives\n"
         "each dot the pixels it covers, by how much it covers each: shrinking averages,\n"
         "enlarging keeps each pixel's share (a whole factor repeats pixels, so pixel art\n"
         "stays sharp; an edge lands within a dot). A picture of 240 x 128 is never\n"
         "scaled, and one that is black and white already comes through dot for dot.\n"
         "Atkinson dithering passes on three quarters of each dot's error: more\n"
         "contrast than the light asks for, by design.\n\n"
         "Exit 0 all prepared; 3 a picture unreadable, of a kind prepare does not read,\n"
         "or not written (its output is the picture itself, or another picture's);\n"
         "2 a usage error.",
         {{"fit", 0, nullptr, "Scale to fit inside 240 x 128, keeping the proportions, centred on white (the default)."},
          {"fill", 0, nullptr, "Scale to cover 240 x 128, keeping the proportions, centred; the rest is cut."},
          {"stretch", 0, nullptr, "Scale to exactly 240 x 128."},
          {"crop", 0, "X,Y", "No scaling: the 240 x 128 dots from the picture's pixel X,Y on; white past its edges."},
          {"threshold", 0, "N", "Black where the light, as the picture stores it, is below N percent (1 to 100; 50 by default)."},
          {"dither", 0, "D", "Dither in linear light instead: floyd-steinberg, atkinson or bayer."},
          {"invert", 0, nullptr, "Swap black and white within the picture; the margin stays white."},
          {"frame", 0, "N", "Of an animated GIF or WebP, frame N as it is shown (1, the first, by default)."},
          {"output", 'o', "OUT", "Write the bitmap to OUT (\"-\": standard output); one picture only."}},
         prepare},
    };
    return table;
}

} // namespace quellbit::cli
