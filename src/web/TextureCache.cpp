#include "web/TextureCache.h"

#include <algorithm>
#include <cstring>

namespace {
std::size_t byteCount(const TextureCache::Image& image) {
    return static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) *
           static_cast<std::size_t>(image.bytesPerTexel);
}
} // namespace

std::uint32_t TextureCache::find(const Image& image) {
    const std::size_t bytes = byteCount(image);
    for (Entry& entry : entries_) {
        if (entry.width == image.width && entry.height == image.height &&
            entry.format == image.format && entry.texels.size() == bytes &&
            std::memcmp(entry.texels.data(), image.texels, bytes) == 0) {
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
