#include "partial_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string partialName(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1))
        return path + ".partial";
    return path.substr(0, dot) + ".partial" + path.substr(dot);
}

bool completePartial(const std::string& path, std::string* error) {
    const std::string partial = partialName(path);
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        *error = "cannot rename " + partial + " to " + path + ": " + std::strerror(errno);
        std::remove(partial.c_str());
        return false;
    }
    return true;
}
