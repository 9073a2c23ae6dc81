#pragma once

// A system library loaded the first time a function of it is called, so that
// a run that needs none of it (converting a bitmap needs no picture library)
// starts without loading it. Each library's functions are defined by
// forwarders of the same name and type (QUELLBIT_FORWARD below), so the code
// that calls them is written as if it were linked to the library.

#include <string>

namespace quellbit {

class SharedLibrary {
public:
    // `soname`: the name the loader finds it by ("libjpeg.so.62");
    // `package`: the Debian package that holds it, for the message when it
    // is missing.
    constexpr SharedLibrary(const char *soname, const char *package)
        : soname_(soname)
        , package_(package)
    {
    }

    // The function `name` of the library, which is loaded on the first call
    // and stays loaded. Throws Failure naming the library when it cannot be
    // loaded or lacks the function.
    void *function(const char *name) const;

private:
    const char *soname_;
    const char *package_;
};

} // namespace quellbit

// Defines the C function `name`, declared by the library's header, as a
// forwarder to the library's own: QUELLBIT_FORWARD(kJpeg, int, jpeg_read_header,
// (j_decompress_ptr info, boolean image), (info, image)).
#define QUELLBIT_FORWARD(library, result, name, parameters, arguments)                                      \
    extern "C" result name parameters                                                                      \
    {                                                                                                      \
        static const auto forward = reinterpret_cast<decltype(&name)>(library.function(#name));           \
        return forward arguments;                                                                          \
    }
