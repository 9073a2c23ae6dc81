#include "prepare/decoders.h"

#include "common/failure.h"
#include "prepare/held_picture.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace quellbit {

namespace {

// More scans than any encoder writes: each scan of a progressive picture
// goes over the whole picture again, so a few bytes a scan could cost
// without end.
constexpr int kMostScans = 500;

// libjpeg reports errors through a function that must not return; it jumps
// back. Everything that must survive the jump lives here, and the functions
// that call setjmp hold no object with a destructor.
struct JpegReader {
    jpeg_decompress_struct info {};
    jpeg_error_mgr errors {};
    jpeg_progress_mgr progress {};
    std::jmp_buf jump {};
    char error[JMSG_LENGTH_MAX] = {};
};

JpegReader &readerOf(j_common_ptr common)
{
    // `info` is the first member: its address is the reader's.
    return *reinterpret_cast<JpegReader *>(common);
}

extern "C" void jpegError(j_common_ptr common)
{
    JpegReader &reader = readerOf(common);
    (*common->err->format_message)(common, reader.error);
    std::longjmp(reader.jump, 1);
}

// Warnings pass, as a viewer lets them, except the file's end in the middle
// of the picture: the rest would be made up.
extern "C" void jpegMessage(j_common_ptr common, int level)
{
    if (level < 0 && common->err->msg_code == JWRN_JPEG_EOF) {
        JpegReader &reader = readerOf(common);
        std::snprintf(reader.error, sizeof reader.error, "the file ends inside the picture data");
        std::longjmp(reader.jump, 1);
    }
}

extern "C" void jpegProgress(j_common_ptr common)
{
    JpegReader &reader = readerOf(common);
    if (reader.info.input_scan_number > kMostScans) {
        std::snprintf(reader.error, sizeof reader.error, "more than %d scans", kMostScans);
        std::longjmp(reader.jump, 1);
    }
}

bool readHeader(JpegReader &reader, std::span<const std::uint8_t> bytes)
{
    if (setjmp(reader.jump))
        return false;
    jpeg_mem_src(&reader.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_save_markers(&reader.info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&reader.info, TRUE);
    return true;
}

bool start(JpegReader &reader)
{
    if (setjmp(reader.jump))
        return false;
    jpeg_start_decompress(&reader.info);
    return true;
}

bool readRow(JpegReader &reader, JSAMPROW row)
{
    if (setjmp(reader.jump))
        return false;
    jpeg_read_scanlines(&reader.info, &row, 1);
    return true;
}

class JpegHandle {
public:
    explicit JpegHandle(JpegReader &reader)
        : reader_(reader)
    {
        reader.info.err = jpeg_std_error(&reader.errors);
        reader.errors.error_exit = jpegError;
        reader.errors.emit_message = jpegMessage;
        jpeg_create_decompress(&reader.info);
        reader.progress.progress_monitor = jpegProgress;
        reader.info.progress = &reader.progress;
        // Without a backing store, libjpeg refuses a picture whose
        // coefficients (a progressive picture's) would take more.
        reader.info.mem->max_memory_to_use = static_cast<long>(kLargestHeld);
    }
    ~JpegHandle() { jpeg_destroy_decompress(&reader_.info); }
    JpegHandle(const JpegHandle &) = delete;
    JpegHandle &operator=(const JpegHandle &) = delete;

private:
    JpegReader &reader_;
};

int orientationOf(const jpeg_decompress_struct &info)
{
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next)
        if (marker->marker == JPEG_APP0 + 1)
            if (const int orientation = exifOrientation({marker->data, marker->data_length}); orientation != 1)
                return orientation;
    return 1;
}

} // namespace

void decodeJpeg(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows)
{
    JpegReader reader;
    const JpegHandle handle(reader);
    const auto failed = [&]() { return Failure(name, std::string("the JPEG data cannot be read: ") + reader.error); };
    if (!readHeader(reader, bytes))
        throw failed();
    jpeg_decompress_struct &info = reader.info;
    checkPictureSize(info.image_width, info.image_height, name);
    if (info.progressive_mode) {
        // Every scan adds to the whole picture's coefficients, two bytes for
        // each sample of each component, held until the last scan.
        std::uint64_t samples = 0;
        const std::uint64_t largest
            = static_cast<std::uint64_t>(info.max_h_samp_factor) * static_cast<std::uint64_t>(info.max_v_samp_factor);
        for (int c = 0; c < info.num_components; ++c)
            samples += static_cast<std::uint64_t>(info.comp_info[c].h_samp_factor)
                * static_cast<std::uint64_t>(info.comp_info[c].v_samp_factor);
        checkHeldSize(info.image_width, info.image_height, largest ? (2 * samples + largest - 1) / largest : 2,
            "a progressive JPEG picture", name);
    }

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    if (!start(reader))
        throw failed();
    const auto width = static_cast<std::size_t>(info.output_width);
    const auto channels = static_cast<std::size_t>(info.output_components);
    if (info.output_width != info.image_width || info.output_height != info.image_height
        || channels != (cmyk ? 4u : info.out_color_space == JCS_GRAYSCALE ? 1u : 3u))
        throw Failure(name, "the JPEG data cannot be read: unexpected row layout");

    OrientedRows oriented(orientationOf(info), rows, name);
    oriented.begin(static_cast<std::int32_t>(info.image_width), static_cast<std::int32_t>(info.image_height));
    std::vector<JSAMPLE> row(width * channels);
    std::vector<std::uint8_t> rgb(cmyk ? width * 3 : 0);
    for (std::int32_t y = 0; y < static_cast<std::int32_t>(info.image_height); ++y) {
        if (!readRow(reader, row.data()))
            throw failed();
        if (!cmyk) {
            oriented.row(y, channels == 1 ? Samples::Grey : Samples::Rgb, row);
            continue;
        }
        // Ink to light. Adobe's encoders, nearly the only ones writing
        // CMYK, store the values inverted: 255 no ink.
        const bool inverted = info.saw_Adobe_marker;
        for (std::size_t x = 0; x < width; ++x) {
            const JSAMPLE *ink = row.data() + 4 * x;
            const unsigned k = inverted ? ink[3] : 255u - ink[3];
            for (std::size_t c = 0; c < 3; ++c)
                rgb[3 * x + c] = static_cast<std::uint8_t>(((inverted ? ink[c] : 255u - ink[c]) * k + 127) / 255);
        }
        oriented.row(y, Samples::Rgb, rgb);
    }
    oriented.finish();
    // The rest of the file (after the last row) is not read: nothing in it
    // changes the picture.
}

} // namespace quellbit
