#include "web/TextureCache.h"

#include <algorithm>
#include <cstring>

namespace {
std::size_t byteCount(const TextureCache::Image& image) {
    return static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) *
           static_cast<std::size_t>(image.bytesPerTexel);
}

// The same bytes? Every lookup of an image the cache holds compares it whole, about 2.4 MB a
// frame, and the browser's memcmp goes a byte at a time: this goes eight at a time, and stops at
// the first block of 64 bytes that differs.
bool sameBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t bytes) {
    constexpr std::size_t kWord = sizeof(std::uint64_t);
    constexpr std::size_t kBlock = 8 * kWord;
    std::size_t at = 0;
    for (; at + kBlock <= bytes; at += kBlock) {
        std::uint64_t difference = 0;
        for (std::size_t word = 0; word < kBlock; word += kWord) {
            std::uint64_t x = 0;
            std::uint64_t y = 0;
            std::memcpy(&x, a + at + word, kWord);
            std::memcpy(&y, b + at + word, kWord);
            difference |= x ^ y;
        }
        if (difference != 0) {
            return false;
        }
    }
    return std::memcmp(a + at, b + at, bytes - at) == 0;
}
} // namespace

std::uint32_t TextureCache::find(const Image& image) {
    const std::size_t bytes = byteCount(image);
    for (Entry& entry : entries_) {
        if (entry.width == image.width && entry.height == image.height &&
            entry.format == image.format && entry.texels.size() == bytes &&
            sameBytes(entry.texels.data(), image.texels, bytes)) {
            entry.lastUse = ++uses_;
            return entry.handle;
        }
    }
    return 0;
}

std::uint32_t TextureCache::add(const Image& image, std::uint32_t handle) {
    std::uint32_t evicted = 0;
    if (entries_.size() >= kCapacity) {
        const auto oldest =
            std::min_element(entries_.begin(), entries_.end(),
                             [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
        evicted = oldest->handle;
        entries_.erase(oldest);
    }
    entries_.push_back({image.width, image.height, image.format,
                        std::vector<std::uint8_t>(image.texels, image.texels + byteCount(image)),
                        handle, ++uses_});
    return evicted;
}
