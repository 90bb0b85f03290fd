#include "shell/InputRecorder.h"

#include <cerrno>
#include <cstring>

InputRecorder::~InputRecorder() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool InputRecorder::open(const std::string& path, std::string& error) {
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr) {
        error = "cannot record to " + path + ": " + std::strerror(errno);
        return false;
    }
    std::fputs("# spintunnel input recording: FRAME EVENT, replay with spintunnel-capture\n",
               file_);
    std::fflush(file_);
    return true;
}

void InputRecorder::record(const InputEvent& event) {
    if (file_ == nullptr) {
        return;
    }
    std::fprintf(file_, "%s\n", formatInputEvent(event).c_str());
    std::fflush(file_);
}
