#pragma once

// Stand-in for libGL, libGLU and libglut in unit tests. RecordingGl.cpp defines the GL, GLU and
// GLUT entry points the game uses (with C linkage), so a test executable links it instead of the
// real libraries; every call is logged and/or folded into a digest so tests can check what was
// drawn. Single-threaded by design, like the GL context it replaces.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gltest {

struct GlCall {
    const char* name = ""; // function name, e.g. "glVertex3f"; always a string literal
    // Numeric arguments in order; enums as their numeric value, floats widened exactly. Vector
    // arguments (glLightfv, glMaterialfv, glLightModelfv, glFogfv) follow the scalar ones, with as
    // many elements as GL reads for that pname.
    std::array<double, 8> args{};
    int argCount = 0;
    const void* data = nullptr; // pixel pointer of gluBuild2DMipmaps / glReadPixels, else nullptr
    std::string text;           // glutCreateWindow title, else empty

    // Throws std::out_of_range unless 0 <= i < argCount, so a test reading a missing argument fails
    // loudly instead of comparing against a zero.
    double arg(int i) const;
};

enum class Mode {
    Record, // log every call and update the digest
    Digest, // update the digest only: for long runs whose log would be too big to keep
    Off,    // ignore calls entirely (state such as callbacks and enabled caps is still kept)
};

// Clears log, digest, counters, callbacks, enabled caps and the pending error; mode = Record.
void reset();
void setMode(Mode m);
Mode mode();

const std::vector<GlCall>& calls(); // filled only in Record mode
std::vector<GlCall> named(std::string_view name);
std::size_t count(std::string_view name);
std::size_t totalCalls(); // calls seen in Record or Digest mode since reset

// FNV-1a 64 over, per call: the name bytes, argCount (4 bytes, little endian), each argument
// narrowed to float (its 4 bit-pattern bytes, little endian) and the text bytes. Pointers are left
// out because they differ between runs. Identical in Record and Digest modes.
std::uint64_t digest();

std::string toString(const GlCall& c); // e.g. "glTranslatef(0, 1, 0)"
// Calls [from, to) of the log, one per line prefixed by its index, for failure messages.
std::string dump(std::size_t from = 0, std::size_t to = SIZE_MAX);

struct GlutCallbacks {
    void (*display)() = nullptr;
    void (*reshape)(int, int) = nullptr;
    void (*idle)() = nullptr;
    void (*keyboard)(unsigned char, int, int) = nullptr;
    void (*special)(int, int, int) = nullptr;
    void (*mouse)(int, int, int, int) = nullptr;
    void (*motion)(int, int) = nullptr;
    void (*passiveMotion)(int, int) = nullptr;
    void (*close)() = nullptr; // set by glutCloseFunc and by its older alias glutWMCloseFunc
};

const GlutCallbacks& glutCallbacks();

// The next glGetError returns this once; later ones return GL_NO_ERROR.
void setNextGlError(unsigned error);

} // namespace gltest
