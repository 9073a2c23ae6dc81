#include "prepare/windows/imaging_decoder.h"

#include "common/failure.h"
#include "common/windows/imaging_factory.h"
#include "prepare/decoders.h"

#include <vector>

namespace quellbit {

using windows::ComPtr;

// PNG of every colour type and depth, interlaced or not.
void decodePng(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows)
{
    decodeThroughImaging(bytes, name, rows, GUID_ContainerFormatPng, "PNG");
}

void decodeThroughImaging(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows,
                          const GUID &container, const std::string &kind)
{
    const auto check = [&](HRESULT result) {
        if (FAILED(result))
            throw Failure(name, "the " + kind + " data cannot be read: " + windows::comReason(result));
    };
    if (bytes.size() > 0xFFFFFFFFu)
        throw Failure(name, "the " + kind + " data cannot be read: the file is too long");
    IWICImagingFactory &factory = windows::imagingFactory(name);
    ComPtr<IWICStream> stream;
    check(factory.CreateStream(stream.put()));
    check(stream->InitializeFromMemory(const_cast<BYTE *>(bytes.data()), static_cast<DWORD>(bytes.size())));
    ComPtr<IWICBitmapDecoder> decoder;
    check(factory.CreateDecoder(container, nullptr, decoder.put()));
    check(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand));
    ComPtr<IWICBitmapFrameDecode> frame;
    check(decoder->GetFrame(0, frame.put()));
    UINT width = 0;
    UINT height = 0;
    check(frame->GetSize(&width, &height));
    checkPictureSize(width, height, name);

    // Every format to 16-bit RGBA, not premultiplied, then each sample
    // rounded to 8 bits as the Linux build does: the same picture gives the
    // same bitmap on both systems, dithered too. Where the component cannot
    // make 16-bit RGBA of a format (Wine's, from 16-bit grey and alpha), it
    // makes 8-bit RGBA its own way.
    ComPtr<IWICFormatConverter> converter;
    check(factory.CreateFormatConverter(converter.put()));
    const bool deep = SUCCEEDED(converter->Initialize(frame.get(), GUID_WICPixelFormat64bppRGBA,
                                                      WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom));
    if (!deep)
        check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppRGBA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                    WICBitmapPaletteTypeCustom));
    rows.begin(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
    std::vector<std::uint16_t> wide(static_cast<std::size_t>(width) * 4);
    std::vector<std::uint8_t> row(wide.size());
    const auto rowBytes = static_cast<UINT>(deep ? wide.size() * sizeof wide[0] : row.size());
    for (UINT y = 0; y < height; ++y) {
        if (!rows.wants(static_cast<std::int32_t>(y)))
            continue;
        const WICRect line {0, static_cast<INT>(y), static_cast<INT>(width), 1};
        check(converter->CopyPixels(&line, rowBytes, rowBytes,
                                    deep ? reinterpret_cast<BYTE *>(wide.data()) : row.data()));
        if (deep)
            for (std::size_t i = 0; i < wide.size(); ++i)
                row[i] = static_cast<std::uint8_t>((wide[i] * 255u + 32767u) / 65535u);
        rows.row(static_cast<std::int32_t>(y), Samples::Rgba, row);
    }
}

} // namespace quellbit
