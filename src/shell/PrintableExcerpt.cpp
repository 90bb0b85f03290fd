#include "shell/PrintableExcerpt.h"

#include <array>
#include <cstdio>

std::string printableExcerpt(std::string_view word) {
    std::string shown;
    for (const char c : word) {
        const auto byte = static_cast<unsigned char>(c);
        std::array<char, 5> piece{c, '\0'};
        // Bytes from 0x80 up are left alone: they are how UTF-8 writes a non-English name.
        if (byte < 0x20 || byte == 0x7f) {
            std::snprintf(piece.data(), piece.size(), "\\x%02x", byte);
        }
        const std::string_view text = piece.data();
        if (shown.size() + text.size() > kExcerptBytes) {
            return shown + "...";
        }
        shown += text;
    }
    return shown;
}
