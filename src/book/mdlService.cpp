#include "book/mdlService.h"

#include <sys/stat.h>

namespace tresslin {

bool FileExists(const std::string& path) {
    if (path.find_first_not_of(' ') == std::string::npos) return false;
    if (path.find('\0') != std::string::npos) return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    return S_ISREG(st.st_mode);
}

std::string GetFileName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace tresslin
