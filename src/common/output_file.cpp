// What writing does on every platform: an output file's buffer, and
// standard output as a sink.

#include "common/output_file.h"

#include "common/failure.h"

#include <cerrno>
#include <cstring>

namespace quellbit {

void OutputFile::write(std::string_view bytes)
{
    if (fd_ < 0)
        throw Failure(path_, "cannot be written: the file is already closed");
    if (buffer_.size() + bytes.size() > kBufferSize)
        flushBuffer();
    if (bytes.size() >= kBufferSize) {
        buffer_.assign(bytes);
        flushBuffer();
        return;
    }
    buffer_.append(bytes);
}

StandardOutput::StandardOutput(std::FILE *stream) : stream_(stream) { }

void StandardOutput::fail()
{
    const int error = errno != 0 ? errno : EIO;
    std::clearerr(stream_);
    throw Failure("standard output", std::strerror(error));
}

void StandardOutput::write(std::string_view bytes)
{
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stream_) != bytes.size())
        fail();
}

void StandardOutput::commit()
{
    errno = 0;
    if (std::fflush(stream_) != 0 || std::ferror(stream_))
        fail();
}

} // namespace quellbit
