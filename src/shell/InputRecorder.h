#pragma once

#include "shell/InputEvent.h"

#include <cstdio>
#include <string>

// Writes every input the live game receives, one line each, flushed at once so a game that ends by
// the quit key or a closed window still leaves a complete file for replay.
class InputRecorder {
public:
    InputRecorder() = default;
    InputRecorder(const InputRecorder&) = delete;
    InputRecorder& operator=(const InputRecorder&) = delete;
    ~InputRecorder();

    // Returns false, with a one-line message in error, when the file cannot be written.
    bool open(const std::string& path, std::string& error);
    bool isOpen() const { return file_ != nullptr; }
    void record(const InputEvent& event);

private:
    std::FILE* file_ = nullptr; // owned; null while not recording
};
