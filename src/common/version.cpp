#include "common/version.h"

namespace quellbit {

std::string_view programVersion()
{
    return QUELLBIT_VERSION;
}

std::string shortProgramVersion()
{
    const std::string_view version = programVersion();
    const std::size_t minorEnd = version.find('.', version.find('.') + 1);
    return std::string(version.substr(0, minorEnd));
}

} // namespace quellbit
