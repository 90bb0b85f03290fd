#include "WholeFile.h"

#include <cerrno>
#include <cstring>

bool writeWholeFile(const std::string& path, const std::function<bool(std::FILE*)>& write,
                    std::string& error) {
    const std::string temporary = path + ".part";
    errno = 0;
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = write(file);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        error =
            "cannot write " + path + (errno != 0 ? std::string(": ") + std::strerror(errno) : "");
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
