#include "intake/bitmap_header.h"

#include "common/failure.h"
#include "common/text.h"

#include <utility>

namespace quellbit {

namespace {

// Sequential little-endian reader over the first bytes of the file.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) { }

    std::uint8_t u8() { return bytes_[pos_++]; }
    std::uint16_t u16() { return littleEndian16(bytes_, std::exchange(pos_, pos_ + 2)); }
    std::uint32_t u32() { return littleEndian32(bytes_, std::exchange(pos_, pos_ + 4)); }
    std::int32_t s32() { return static_cast<std::int32_t>(u32()); }
    std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
    RGBQUAD quad()
    {
        RGBQUAD q;
        q.rgbBlue = u8();
        q.rgbGreen = u8();
        q.rgbRed = u8();
        q.rgbReserved = u8();
        return q;
    }
    void seek(std::size_t pos) { pos_ = pos; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

std::string byteCount(std::uint64_t n)
{
    return counted(n, "byte", "bytes");
}

} // namespace

std::uint64_t paletteOffsetFor(std::uint32_t biSize)
{
    if (biSize < kInfoHeaderSize)
        return kFileHeaderSize + kInfoHeaderSize;
    return std::uint64_t {kFileHeaderSize} + biSize;
}

BitmapHeaders parseFixedHeaders(std::span<const std::uint8_t> bytes, const std::string &fileName)
{
    constexpr std::size_t headerEnd = kFileHeaderSize + kInfoHeaderSize;
    if (bytes.size() < headerEnd)
        throw Failure(fileName, "the file ends after " + byteCount(bytes.size())
                                    + "; a bitmap's two headers take 54 bytes");

    BitmapHeaders h;
    ByteReader in(bytes);
    h.file.bfType = in.u16();
    h.file.bfSize = in.u32();
    h.file.bfReserved1 = in.u16();
    h.file.bfReserved2 = in.u16();
    h.file.bfOffBits = in.u32();

    h.info.biSize = in.u32();
    h.info.biWidth = in.s32();
    h.info.biHeight = in.s32();
    h.info.biPlanes = in.u16();
    h.info.biBitCount = in.s16();
    h.info.biCompression = in.u32();
    h.info.biSizeImage = in.u32();
    h.info.biXPelsPerMeter = in.s32();
    h.info.biYPelsPerMeter = in.s32();
    h.info.biClrUsed = in.u32();
    h.info.biClrImportant = in.u32();
    return h;
}

BitmapHeaders parseBitmapHeaders(std::span<const std::uint8_t> bytes, const std::string &fileName)
{
    BitmapHeaders h = parseFixedHeaders(bytes, fileName);
    if (h.info.biBitCount == 1) {
        h.paletteOffset = paletteOffsetFor(h.info.biSize);
        const std::uint64_t paletteEnd = h.paletteOffset + 8;
        if (bytes.size() < paletteEnd)
            throw Failure(fileName, "the file ends after " + byteCount(bytes.size())
                                        + ", before the end of its two palette entries at byte "
                                        + thousands(static_cast<std::int64_t>(paletteEnd)));
        ByteReader in(bytes);
        in.seek(static_cast<std::size_t>(h.paletteOffset));
        h.palette0 = in.quad();
        h.palette1 = in.quad();
        h.paletteRead = true;
    }
    return h;
}

Verdict judgeHeaders(const BITMAPINFOHEADER &info)
{
    if (info.biHeight != kPictureHeight)
        return Verdict::WrongHeight;
    if (info.biWidth != kPictureWidth)
        return Verdict::WrongWidth;
    if (info.biBitCount != kPictureBitCount)
        return Verdict::WrongBitCount;
    return Verdict::Accepted;
}

std::string describePicture(const BITMAPINFOHEADER &info)
{
    std::string text = thousands(info.biWidth) + " x " + thousands(info.biHeight) + ", "
        + thousands(info.biBitCount) + (info.biBitCount == 1 ? " bit" : " bits");
    if (info.biHeight < 0)
        text += ", top-down";
    return text;
}

std::string describeVerdict(Verdict verdict, const BITMAPINFOHEADER &info)
{
    switch (verdict) {
    case Verdict::Accepted:
        return "accepted";
    case Verdict::WrongHeight:
        return "height is " + thousands(info.biHeight) + ", not " + thousands(kPictureHeight)
            + (info.biHeight == -kPictureHeight ? " (top-down rows are not accepted)" : "");
    case Verdict::WrongWidth:
        return "width is " + thousands(info.biWidth) + ", not " + thousands(kPictureWidth);
    case Verdict::WrongBitCount:
        return "bit count is " + thousands(info.biBitCount) + ", not 1";
    }
    return {};
}

std::string limitsMessage(std::string_view lineBreak)
{
    return "Picture Resolution is limit to " + std::to_string(kPictureWidth) + " x " + std::to_string(kPictureHeight)
        + " pixels (Width x Height) and " + std::string(lineBreak) + "2 Colors Bitmap.";
}

} // namespace quellbit
