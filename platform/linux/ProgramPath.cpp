#include "platform/ProgramPath.h"

#include <unistd.h>

namespace qv {

std::string ProgramPath(const char* name)
{
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        std::string beside(self, static_cast<std::size_t>(length));
        beside = beside.substr(0, beside.rfind('/') + 1) + name;
        if (::access(beside.c_str(), X_OK) == 0)
            return beside;
    }
    return std::string(QV_LIBEXEC_DIR "/") + name;
}

} // namespace qv
