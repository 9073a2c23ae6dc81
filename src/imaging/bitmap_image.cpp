#include "imaging/bitmap_image.h"

#include "common/failure.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace quellbit {

namespace {

std::string text(const QString &s) { return s.toStdString(); }

} // namespace

ImageSurface::ImageSurface(QImage &image, QRgb background) : image_(image), background_(background) { }

void ImageSurface::clear()
{
    image_.fill(background_);
}

void ImageSurface::setPixels(std::int32_t x, std::int32_t y, std::span<const std::int32_t> colors)
{
    if (y < 0 || y >= image_.height())
        return;
    // Only the part of the run that lies on the image.
    const std::int64_t first = std::max<std::int64_t>(x, 0);
    const std::int64_t end = std::min<std::int64_t>(static_cast<std::int64_t>(x) + static_cast<std::int64_t>(colors.size()),
                                                    image_.width());
    if (first >= end)
        return;
    auto *line = reinterpret_cast<QRgb *>(image_.scanLine(y));
    const std::int32_t *from = colors.data() + (first - x);
    for (std::int64_t column = first; column < end; ++column, ++from) {
        const auto c = static_cast<std::uint32_t>(*from);
        line[column] = 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
    }
}

SaveFileSink::SaveFileSink(const QString &path) : path_(path)
{
    const QFileInfo target(path);
    if (target.isDir())
        throw Failure(text(path), "a folder of that name is in the way");

    // A hidden name beside the target, made unique by a random suffix; NewOnly
    // never opens somebody else's file.
    for (int attempt = 0; !ownsTemp_; ++attempt) {
        const QString candidate = target.absolutePath() + QStringLiteral("/.") + target.fileName()
            + QStringLiteral(".") + QString::number(QRandomGenerator::global()->generate(), 36);
        temp_.setFileName(candidate);
        ownsTemp_ = temp_.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        if (!ownsTemp_ && (attempt == 100 || !QFileInfo::exists(candidate)))
            fail("cannot be created: ", text(temp_.errorString()));
    }
    if (target.exists())
        temp_.setPermissions(QFile::permissions(path));
}

SaveFileSink::~SaveFileSink()
{
    if (!committed_)
        discard();
}

void SaveFileSink::discard()
{
    if (!ownsTemp_)
        return;
    // Closing may fail to flush what is left (that is often why we are here);
    // the temporary file goes all the same.
    temp_.close();
    QFile::remove(temp_.fileName());
    ownsTemp_ = false;
}

void SaveFileSink::writeLine(std::string_view line)
{
    const auto length = static_cast<qint64>(line.size());
    errno = 0;
    if (temp_.write(line.data(), length) != length)
        fail("cannot be written: ");
}

void SaveFileSink::commit()
{
    errno = 0;
    if (!temp_.flush())
        fail("cannot be written: ");
    temp_.close();
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(temp_.fileName()).toStdString(),
                            QFile::encodeName(path_).toStdString(), ec);
    if (ec)
        fail("cannot be replaced: ", ec.message());
    committed_ = true;
}

void SaveFileSink::fail(const std::string &what)
{
    // A write that fails in the file's buffer leaves Qt no message of its
    // own; the system's is the plain reason ("File too large").
    const int error = errno;
    const QString qtReason = temp_.errorString();
    const bool plain = error != 0 && (qtReason.isEmpty() || qtReason == QLatin1String("Unknown error"));
    fail(what, plain ? std::string(std::strerror(error)) : text(qtReason));
}

void SaveFileSink::fail(const std::string &what, const std::string &reason)
{
    discard();
    throw Failure(text(path_), what + reason);
}

} // namespace quellbit
