#include "common/windows/imaging_factory.h"

#include "common/failure.h"
#include "common/windows/wide_names.h"

#include <cstdio>

namespace quellbit::windows {

IWICImagingFactory &imagingFactory(const std::string &name)
{
    // Made once and kept for the process: a batch of pictures needs no new
    // one each time.
    static IWICImagingFactory *factory = nullptr;
    static HRESULT made = [] {
        const HRESULT started = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (FAILED(started) && started != RPC_E_CHANGED_MODE)
            return started;
        return ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void **>(&factory));
    }();
    if (FAILED(made) || factory == nullptr)
        throw Failure(name, "the Windows Imaging Component is not available: " + comReason(made));
    return *factory;
}

std::string comReason(HRESULT result)
{
    // Errors of the imaging component itself have no system text.
    const std::string reason = systemReason(static_cast<DWORD>(result));
    if (!reason.starts_with("error "))
        return reason;
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    return std::string("error ") + code;
}

} // namespace quellbit::windows
