// Windows: PNG through Windows' own imaging component.

#include "preview/png_encoder.h"

#include "common/failure.h"
#include "common/windows/imaging_factory.h"

namespace quellbit {

using windows::ComPtr;

namespace {

[[noreturn]] void encoderFailed(HRESULT result)
{
    throw Failure({}, "the PNG cannot be encoded: " + windows::comReason(result));
}

void check(HRESULT result)
{
    if (FAILED(result))
        encoderFailed(result);
}

WICColor wicColor(std::int32_t value)
{
    const auto red = static_cast<WICColor>(value & 0xFF);
    const auto green = static_cast<WICColor>(value >> 8 & 0xFF);
    const auto blue = static_cast<WICColor>(value >> 16 & 0xFF);
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

} // namespace

std::string encodeTwoColourPng(std::int32_t width, std::int32_t height, const std::array<std::int32_t, 2> &palette,
                               std::span<const std::uint8_t> index)
{
    OneBitRows pixels = packOneBitRows(width, height, index);

    IWICImagingFactory &factory = windows::imagingFactory({});
    ComPtr<IStream> stream;
    check(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()));
    ComPtr<IWICBitmapEncoder> encoder;
    check(factory.CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put()));
    check(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache));
    ComPtr<IWICBitmapFrameEncode> frame;
    check(encoder->CreateNewFrame(frame.put(), nullptr));
    check(frame->Initialize(nullptr));
    check(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)));
    WICPixelFormatGUID format = GUID_WICPixelFormat1bppIndexed;
    check(frame->SetPixelFormat(&format));
    if (format != GUID_WICPixelFormat1bppIndexed)
        encoderFailed(WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT);
    ComPtr<IWICPalette> colours;
    check(factory.CreatePalette(colours.put()));
    WICColor entries[2] = {wicColor(palette[0]), wicColor(palette[1])};
    check(colours->InitializeCustom(entries, 2));
    check(frame->SetPalette(colours.get()));
    check(frame->WritePixels(static_cast<UINT>(height), static_cast<UINT>(pixels.rowBytes),
                             static_cast<UINT>(pixels.bytes.size()), pixels.bytes.data()));
    check(frame->Commit());
    check(encoder->Commit());

    STATSTG status {};
    check(stream->Stat(&status, STATFLAG_NONAME));
    std::string out(static_cast<std::size_t>(status.cbSize.QuadPart), '\0');
    check(stream->Seek(LARGE_INTEGER {}, STREAM_SEEK_SET, nullptr));
    ULONG read = 0;
    check(stream->Read(out.data(), static_cast<ULONG>(out.size()), &read));
    out.resize(read);
    return out;
}

} // namespace quellbit
