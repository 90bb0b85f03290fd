#pragma once

#include <cstdio>
#include <functional>
#include <string>

// Writes a file that appears whole or not at all: `write` fills it under a temporary name next to
// `path`, which is renamed into place only once everything is written and closed, so a failed or
// interrupted run never leaves a truncated file that looks finished. On failure returns false with
// a one-line message in error and leaves nothing behind.
bool writeWholeFile(const std::string& path, const std::function<bool(std::FILE*)>& write,
                    std::string& error);
