// Generates the two raw RGB textures the game loads at start-up:
//   texture1.rgb - tileable riveted metal panels for the tunnel wall,
//   texture2.rgb - a smooth, bright colour field that tints the orbs.
//
// Every byte is computed with integer arithmetic only, so the output is identical on every
// compiler, standard library and CPU; nothing depends on libm rounding, std::random or the clock.
//
// Usage: spintunnel-texgen OUTDIR

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace {

constexpr int kSize = 128; // texels per side; the game expects exactly 128 x 128
constexpr int kChannels = 3;
constexpr std::size_t kImageBytes = std::size_t{kSize} * kSize * kChannels; // 49152

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
};

class Image {
public:
    Image() : bytes_(kImageBytes, 0) {}

    void set(int row, int col, Rgb c) {
        const std::size_t at = (std::size_t(row) * kSize + std::size_t(col)) * kChannels;
        bytes_[at + 0] = clampByte(c.r);
        bytes_[at + 1] = clampByte(c.g);
        bytes_[at + 2] = clampByte(c.b);
    }

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    static std::uint8_t clampByte(int v) { return std::uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v)); }

    std::vector<std::uint8_t> bytes_;
};

// ---------------------------------------------------------------------------------------------
// Integer noise helpers
// ---------------------------------------------------------------------------------------------

// A small avalanche hash (lowbias32) so neighbouring inputs give unrelated outputs.
std::uint32_t hash32(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

std::uint32_t hash3(int a, int b, std::uint32_t seed) {
    return hash32(std::uint32_t(a) * 0x9e3779b9U ^ hash32(std::uint32_t(b) + 0x632be5abU) ^
                  hash32(seed * 0x85ebca6bU + 0x27d4eb2fU));
}

constexpr int wrap(int v) {
    return ((v % kSize) + kSize) % kSize;
}

// Value noise on a lattice that divides the image size, so it tiles with period kSize.
// Returns 0..255.
int tiledValueNoise(int x, int y, int cellPx, std::uint32_t seed) {
    const int cells = kSize / cellPx;
    const int ix = x / cellPx;
    const int iy = y / cellPx;
    // Fractions in 1/256ths, sampled at texel centres so no texel sits exactly on a lattice node.
    const int fx = ((x % cellPx) * 2 + 1) * 128 / cellPx;
    const int fy = ((y % cellPx) * 2 + 1) * 128 / cellPx;
    // Smoothstep hides the lattice grid that plain bilinear interpolation would show.
    const int sx = fx * fx * (3 * 256 - 2 * fx) / 65536;
    const int sy = fy * fy * (3 * 256 - 2 * fy) / 65536;
    auto node = [&](int cx, int cy) { return int(hash3(cx % cells, cy % cells, seed) & 255U); };
    const int top = node(ix, iy) * (256 - sx) + node(ix + 1, iy) * sx;
    const int bottom = node(ix, iy + 1) * (256 - sx) + node(ix + 1, iy + 1) * sx;
    return (top * (256 - sy) + bottom * sy) / 65536;
}

// Three octaves; the result is centred on zero, roughly -128..127.
int tiledFbm(int x, int y, std::uint32_t seed) {
    const int coarse = tiledValueNoise(x, y, 32, seed);
    const int medium = tiledValueNoise(x, y, 16, seed + 1);
    const int fine = tiledValueNoise(x, y, 4, seed + 2);
    return (coarse * 4 + medium * 2 + fine) / 7 - 128;
}

constexpr int kTurn = 1 << 16;             // one full turn of phase
constexpr int kSinOne = 1 << 12;           // fixed-point 1.0 returned by fixedSin
constexpr int kTexelPhase = kTurn / kSize; // phase per texel for a wave that repeats once per tile

// Bhaskara's rational sine approximation (error below 0.2%), done in integers so the plasma does
// not depend on libm. Phase is in 1/kTurn of a turn; result is in 1/kSinOne.
int fixedSin(int phase) {
    const int p = ((phase % kTurn) + kTurn) % kTurn;
    const int half = kTurn / 2;
    const std::int64_t t = p % half;       // position in this half turn, Q15
    const std::int64_t u = t * (half - t); // t(1-t), Q30, at most 2^28
    const std::int64_t num = 16 * u * kSinOne;
    const std::int64_t den = 5 * (std::int64_t{1} << 30) - 4 * u;
    const int magnitude = int(num / den);
    return p < half ? magnitude : -magnitude;
}

// ---------------------------------------------------------------------------------------------
// texture1: metal wall panels
// ---------------------------------------------------------------------------------------------

// Panels are laid out in texel rectangles; rectangles may run past the right edge and wrap,
// which keeps the layout from looking like a plain grid while still tiling.
struct Panel {
    int x0;
    int y0;
    int width;
    int height;
    bool vent; // a louvred grille in the middle of the panel
};

constexpr std::array kPanels{
    Panel{0, 0, 48, 48, false},   Panel{48, 0, 80, 48, true},  Panel{24, 48, 64, 32, false},
    Panel{88, 48, 64, 32, false}, Panel{0, 80, 64, 48, false}, Panel{64, 80, 32, 48, false},
    Panel{96, 80, 32, 48, false},
};

constexpr int kSeamPx = 1;        // dark gap between neighbouring panels
constexpr int kBevelPx = 3;       // width of the lit/shadowed chamfer around each panel
constexpr int kGrimePx = 8;       // distance over which dirt collects towards the seams
constexpr int kRivetInsetPx = 6;  // rivet centre distance from the panel corner
constexpr int kRivetRadiusX2 = 5; // rivet radius in half texels (2.5 texels)

constexpr int kFaceLevel = 192;      // brightness of a flat panel face
constexpr int kSeamLevel = 38;       // brightness inside a seam
constexpr int kBevelLight = 48;      // added on chamfers facing the light (top and left)
constexpr int kBevelShadow = -62;    // added on chamfers facing away (bottom and right)
constexpr int kPanelToneSpread = 14; // per-panel brightness variation, +/-
constexpr int kGrimeDepth = 26;      // darkening right next to a seam
constexpr int kRivetLevel = 190;     // brightness at the centre of a rivet dome
constexpr int kRivetSlope = 12;      // brightness change per half texel across a dome
constexpr int kRivetFalloff = 2;     // darkening per squared half texel from the dome centre
constexpr int kRivetShadow = -60;    // added where a rivet shades the panel
constexpr int kMottleDepth = 22;     // brightness swing of the large-scale mottling, +/-
constexpr int kStainThreshold = 22;  // noise level (-128..127) above which stains appear
constexpr int kStainRamp = 30;       // noise range over which a stain fades in
constexpr int kStainDepth = 30;      // darkening at the heart of a stain

// Cool steel tint, in 1/256: slightly blue so the walls read as metal under coloured light.
constexpr Rgb kSteelTint{238, 246, 256};

// Panel edges sit on this grid, so checking one texel per grid cell checks every texel.
constexpr int kLayoutGridPx = 8;

// Each texel must belong to exactly one panel, otherwise findPanel has nothing to return.
constexpr bool panelsCoverTileOnce() {
    for (const Panel& p : kPanels) {
        if (p.x0 % kLayoutGridPx != 0 || p.y0 % kLayoutGridPx != 0 ||
            p.width % kLayoutGridPx != 0 || p.height % kLayoutGridPx != 0) {
            return false;
        }
    }
    for (int y = 0; y < kSize; y += kLayoutGridPx) {
        for (int x = 0; x < kSize; x += kLayoutGridPx) {
            int owners = 0;
            for (const Panel& p : kPanels) {
                owners += (wrap(x - p.x0) < p.width && wrap(y - p.y0) < p.height) ? 1 : 0;
            }
            if (owners != 1) {
                return false;
            }
        }
    }
    return true;
}
static_assert(panelsCoverTileOnce(), "wall panels must tile the texture without gaps or overlaps");

struct PanelHit {
    int index;
    int localX; // texel position inside the panel, 0..width-1
    int localY;
};

PanelHit findPanel(int x, int y) {
    for (int i = 0; i < int(kPanels.size()); ++i) {
        const Panel& p = kPanels[std::size_t(i)];
        const int lx = wrap(x - p.x0);
        const int ly = wrap(y - p.y0);
        if (lx < p.width && ly < p.height) {
            return {i, lx, ly};
        }
    }
    return {0, 0, 0}; // unreachable: panelsCoverTileOnce() is checked at compile time
}

struct RivetShade {
    bool onDome = false; // true: `level` replaces the panel shade; false: `level` is added to it
    int level = 0;
};

// Domed rivets near each panel corner, lit from the top-left, each casting a small shadow
// down and to the right.
RivetShade rivetShade(const Panel& p, int lx, int ly) {
    const std::array cornersX{kRivetInsetPx, p.width - 1 - kRivetInsetPx};
    const std::array cornersY{kRivetInsetPx, p.height - 1 - kRivetInsetPx};
    constexpr int kRadius2 = kRivetRadiusX2 * kRivetRadiusX2;
    RivetShade shade;
    for (int cx : cornersX) {
        for (int cy : cornersY) {
            const int dx = 2 * (lx - cx);
            const int dy = 2 * (ly - cy);
            const int d2 = dx * dx + dy * dy;
            if (d2 <= kRadius2) {
                // Brighter on the side facing the light, falling off towards the dome's rim.
                return {true, kRivetLevel - (dx + dy) * kRivetSlope - d2 * kRivetFalloff};
            }
            const int sx = dx - 2;
            const int sy = dy - 2;
            if (sx * sx + sy * sy <= kRadius2 + 4) {
                shade.level = kRivetShadow;
            }
        }
    }
    return shade;
}

// Horizontal slots: each has a shadowed upper lip and a lit lower lip, which sells the depth.
int ventShade(const Panel& p, int lx, int ly) {
    constexpr int kMarginX = 14;
    constexpr int kMarginY = 13;
    constexpr int kSlotPitch = 6;
    constexpr int kSlotHeight = 3;
    constexpr int kUpperLip = -90; // the slot's top edge faces away from the light
    constexpr int kSlotDepth = -120;
    constexpr int kLowerLip = 30; // the bottom edge catches the light...
    constexpr int kSlotEnd = -40; // ...except at the ends, which stay in the slot's shadow
    if (lx < kMarginX || lx >= p.width - kMarginX || ly < kMarginY || ly >= p.height - kMarginY) {
        return 0;
    }
    const int inPitch = (ly - kMarginY) % kSlotPitch;
    const bool slotEnd = lx == kMarginX || lx == p.width - kMarginX - 1;
    if (inPitch >= kSlotHeight) {
        return 0;
    }
    if (inPitch == 0) {
        return kUpperLip;
    }
    if (inPitch == kSlotHeight - 1) {
        return slotEnd ? kSlotEnd : kLowerLip;
    }
    return kSlotDepth;
}

// Panel shape only: chamfers, grime towards the seams, rivets, vents and brushed grain.
int panelRelief(const PanelHit& hit) {
    const Panel& p = kPanels[std::size_t(hit.index)];
    const int lx = hit.localX;
    const int ly = hit.localY;
    const int toLeft = lx - kSeamPx;
    const int toTop = ly - kSeamPx;
    const int toRight = p.width - 1 - lx;
    const int toBottom = p.height - 1 - ly;
    const int toEdge = std::min(std::min(toLeft, toRight), std::min(toTop, toBottom));

    const std::uint32_t panelSeed = std::uint32_t(hit.index) * 7919U + 17U;
    int level = kFaceLevel + int(hash32(panelSeed) % (2 * kPanelToneSpread + 1)) - kPanelToneSpread;

    if (toEdge < kBevelPx) {
        // The chamfer faces whichever edge is nearest; ties on the diagonal go to the shadow side
        // so corners look mitred.
        const bool facesLight = std::min(toLeft, toTop) < std::min(toRight, toBottom);
        return level + (facesLight ? kBevelLight : kBevelShadow);
    }

    const int grime = kGrimePx - std::min(toEdge - kBevelPx, kGrimePx);
    level -= grime * grime * kGrimeDepth / (kGrimePx * kGrimePx);
    const RivetShade rivet = rivetShade(p, lx, ly);
    if (rivet.onDome) {
        return rivet.level;
    }
    level += rivet.level;
    if (p.vent) {
        level += ventShade(p, lx, ly);
    }
    // Brushed grain runs along each panel's long side.
    const bool alongX = p.width >= p.height;
    const int grainLine = alongX ? ly : lx;
    const int grainRun = (alongX ? lx : ly) / 5;
    return level + int(hash3(grainLine, grainRun, panelSeed) % 9U) - 4;
}

// Large-scale mottling and a few oily stains keep flat faces from looking synthetic.
int surfaceWear(int x, int y) {
    int wear = tiledFbm(x, y, 101U) * kMottleDepth / 128;
    // Stains use only the coarse octaves so their outlines stay soft.
    const int stain = (tiledValueNoise(x, y, 32, 303U) * 2 + tiledValueNoise(x, y, 16, 304U)) / 3 -
                      128 - kStainThreshold;
    if (stain > 0) {
        wear -= std::min(stain * kStainDepth / kStainRamp, kStainDepth);
    }
    return wear;
}

Rgb wallTexel(int x, int y) {
    const PanelHit hit = findPanel(x, y);
    const int speckle = int(hash3(x, y, 202U) % 11U) - 5;
    const bool inSeam = hit.localX < kSeamPx || hit.localY < kSeamPx;
    const int level =
        inSeam ? kSeamLevel + speckle : panelRelief(hit) + surfaceWear(x, y) + speckle;
    return {level * kSteelTint.r / 256, level * kSteelTint.g / 256, level * kSteelTint.b / 256};
}

Image makeWallTexture() {
    Image img;
    for (int row = 0; row < kSize; ++row) {
        for (int col = 0; col < kSize; ++col) {
            img.set(row, col, wallTexel(col, row));
        }
    }
    return img;
}

// ---------------------------------------------------------------------------------------------
// texture2: orb tint field
// ---------------------------------------------------------------------------------------------

// A cyclic palette of bright tints; every channel stays >= 0.4 so the red orbs never go dark.
constexpr std::array<Rgb, 5> kTintPalette{
    Rgb{255, 214, 140}, // gold
    Rgb{255, 140, 130}, // coral
    Rgb{220, 150, 255}, // lavender
    Rgb{150, 200, 255}, // sky
    Rgb{170, 255, 180}, // mint
};

struct Wave {
    int freqX; // whole cycles per tile, so the sum tiles
    int freqY;
    int phase; // 1/kTurn
};

// Sum of a few integer-frequency waves, with a warp term bending the straight wave fronts into
// blobs. Result roughly -3*kSinOne..3*kSinOne.
int plasma(int x, int y, const std::array<Wave, 3>& waves, int warpSeed) {
    const int warp = fixedSin((2 * y + warpSeed) * kTexelPhase) * 5 / 2 +
                     fixedSin((x + 3 * y) * kTexelPhase + warpSeed * 97) * 2;
    int sum = 0;
    for (const Wave& w : waves) {
        sum += fixedSin((w.freqX * x + w.freqY * y) * kTexelPhase + w.phase + warp);
    }
    return sum;
}

Rgb lerpRgb(Rgb a, Rgb b, int t256) {
    return {a.r + (b.r - a.r) * t256 / 256, a.g + (b.g - a.g) * t256 / 256,
            a.b + (b.b - a.b) * t256 / 256};
}

Rgb tintTexel(int x, int y) {
    constexpr std::array hueWaves{Wave{1, 0, 0}, Wave{0, 1, 9000}, Wave{1, -1, 30000}};
    constexpr std::array lightWaves{Wave{2, 1, 5000}, Wave{-1, 2, 21000}, Wave{1, 1, 47000}};

    // Map the hue field onto one and a half trips around the palette, so colours change often
    // enough that separate sample points land on clearly different tints.
    const int hue = plasma(x, y, hueWaves, 11);
    const int paletteSpan = int(kTintPalette.size()) * 256;
    const int pos = ((hue + 3 * kSinOne) * paletteSpan * 3 / (2 * 6 * kSinOne)) % paletteSpan;
    const std::size_t from = std::size_t(pos / 256);
    const std::size_t to = (from + 1) % kTintPalette.size();
    const int t = pos % 256;
    const int smoothT = t * t * (3 * 256 - 2 * t) / 65536;
    const Rgb base = lerpRgb(kTintPalette[from], kTintPalette[to], smoothT);

    // Gentle brightness rolls between 80% and 100% keep it lively without darkening the orbs.
    const int light = plasma(x, y, lightWaves, 29);
    const int scale256 = 230 + light * 26 / (3 * kSinOne);
    return {base.r * scale256 / 256, base.g * scale256 / 256, base.b * scale256 / 256};
}

Image makeTintTexture() {
    Image img;
    for (int row = 0; row < kSize; ++row) {
        for (int col = 0; col < kSize; ++col) {
            img.set(row, col, tintTexel(col, row));
        }
    }
    return img;
}

// ---------------------------------------------------------------------------------------------
// Output
// ---------------------------------------------------------------------------------------------

// Writes next to the target and renames, so a reader never sees a half-written texture and a
// failed run leaves any previous good file in place.
bool writeAtomically(const std::filesystem::path& target, const std::vector<std::uint8_t>& bytes,
                     std::string& error) {
    std::filesystem::path temp = target;
    temp += ".tmp";
    {
        errno = 0;
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot create " + temp.string() + ": " + std::strerror(errno);
            return false;
        }
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        out.close();
        if (!out) {
            const int cause = errno;
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            error = "cannot write " + temp.string() + ": " + std::strerror(cause);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        error = "cannot rename " + temp.string() + " to " + target.string() + ": " + ec.message();
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: spintunnel-texgen OUTDIR\n");
        return 2;
    }
#ifdef SIGXFSZ
    // Report a file-size limit as a write error (and clean up) instead of dying mid-write.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    const std::filesystem::path outDir = argv[1];
    const std::array outputs{
        std::pair{outDir / "texture1.rgb", makeWallTexture()},
        std::pair{outDir / "texture2.rgb", makeTintTexture()},
    };
    for (const auto& [path, image] : outputs) {
        std::string error;
        if (!writeAtomically(path, image.bytes(), error)) {
            std::fprintf(stderr, "spintunnel-texgen: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
