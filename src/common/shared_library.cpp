#include "common/shared_library.h"

#include "common/failure.h"

#include <dlfcn.h>

#include <mutex>

namespace quellbit {

void *SharedLibrary::function(const char *name) const
{
    // dlopen counts its own references: a library opened twice is one.
    static std::mutex mutex;
    const std::lock_guard lock(mutex);
    void *library = ::dlopen(soname_, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char *reason = ::dlerror();
        throw Failure(soname_,
            std::string("cannot be loaded (it comes with the Debian package ") + package_
                + "): " + (reason ? reason : "unknown reason"));
    }
    void *found = ::dlsym(library, name);
    if (!found)
        throw Failure(soname_, std::string("has no function ") + name + " (package " + package_ + " too old?)");
    return found;
}

} // namespace quellbit
