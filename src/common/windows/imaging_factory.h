#pragma once

// Windows' own imaging component (WIC), which reads and writes PNG for the
// Windows build in place of libpng.

#include <windows.h>
#include <wincodec.h>

#include <string>

namespace quellbit::windows {

// Holds one reference to a COM object and lets it go.
template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (object_)
            object_->Release();
    }
    ComPtr(const ComPtr &) = delete;
    ComPtr &operator=(const ComPtr &) = delete;
    T *operator->() const { return object_; }
    T *get() const { return object_; }
    // Where a call that hands out a reference puts it.
    T **put() { return &object_; }

private:
    T *object_ = nullptr;
};

// The process's imaging factory (COM is started for the thread on the
// first call). Throws Failure naming `name` when the component is missing.
IWICImagingFactory &imagingFactory(const std::string &name);

// The system's words for a failed COM call.
std::string comReason(HRESULT result);

} // namespace quellbit::windows
