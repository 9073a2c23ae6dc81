#pragma once

// quellbit-cli: converts pictures to LCD data files, draws data files as
// PNG, checks a data file against its picture and explains a picture's
// headers. main() only builds this object and returns what run() returns.

#include "convert/scan.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace quellbit {

// Exit status of every command.
enum ExitStatus : int {
    kExitOk = 0, // everything done, or the data file matches
    kExitRejected = 1, // at least one picture rejected by the acceptance test
    kExitUsage = 2, // the command line itself is wrong
    kExitBroken = 3, // a file could not be read, decoded or written (wins over 1)
    kExitDiffers = 4, // check: the data file is not what converting would write
};

class CommandLine {
public:
    CommandLine(std::FILE *out, std::FILE *err);

    // `arguments` as QCoreApplication::arguments() gives them, program first.
    int run(const QStringList &arguments);

private:
    // An accepted, decoded picture and the colour that becomes the 1 bits.
    struct Picture {
        PixelRaster raster {0, 0};
        std::int32_t onColor = 0;
    };

    int convert(const QStringList &arguments);
    int render(const QStringList &arguments);
    int check(const QStringList &arguments);
    int info(const QStringList &arguments);

    // The one conversion routine of convert and check: the picture intake.
    // A rejection is reported here and gives kExitRejected, an accepted
    // picture is decoded into `picture` (kExitOk). Throws Failure when the
    // file cannot be read or decoded.
    int preparePicture(const QString &path, bool inverse, Picture &picture);
    static void scan(const Picture &picture, OutputSink &out);

    void reportRejection(const QString &path, const std::string &what, const std::string &why);
    void reportFailure(const std::string &message);
    int usageError(const QString &message, const QString &helpText);
    // Adds --help and parses a command's words: an exit status when that is
    // all there is to do (help shown, or the words are off), else nothing.
    std::optional<int> parseCommand(QCommandLineParser &parser, const QStringList &arguments);
    void showProgress(qsizetype done, qsizetype total, const QString &name);
    void endProgress();

    void print(std::FILE *stream, const std::string &text);

    std::FILE *out_;
    std::FILE *err_;
    bool progressShown_ = false;
};

// Where convert writes a picture's data file unless told otherwise: the
// picture's folder as given ("." when the path names none), "/", and the
// data file name ("pics/logo.bmp" -> "pics/lcd_logo.txt").
QString defaultDataPath(const QString &picturePath);

// The PNG render writes by default: the data file's name with its extension
// replaced by ".png", or ".png" appended when it has none.
QString defaultPngPath(const QString &dataPath);

} // namespace quellbit
