#include "RecordingGl.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glx.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace gltest {
namespace {

constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ULL;

// Beyond this many entries reset() gives the memory back, so one huge test does not keep it
// pinned for the rest of the run; below it the capacity is kept to avoid regrowing every test.
constexpr std::size_t kKeepCapacity = std::size_t{1} << 16;

struct State {
    Mode mode = Mode::Record;
    std::vector<GlCall> log;
    std::uint64_t hash = kFnvOffset;
    std::size_t total = 0;
    GlutCallbacks callbacks;
    std::vector<GLenum> enabledCaps; // a handful at most, so a linear search beats a set
    GLenum nextError = GL_NO_ERROR;
};

State g;

inline void hashByte(std::uint64_t& h, unsigned char b) {
    h ^= b;
    h *= kFnvPrime;
}

// Explicit byte order keeps digests comparable across hosts.
inline void hashU32(std::uint64_t& h, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        hashByte(h, static_cast<unsigned char>(v >> shift));
    }
}

void commit(const char* name, const double* args, int n, const void* data = nullptr,
            const char* text = nullptr) {
    ++g.total;
    std::uint64_t h = g.hash;
    for (const char* p = name; *p != '\0'; ++p) {
        hashByte(h, static_cast<unsigned char>(*p));
    }
    hashU32(h, static_cast<std::uint32_t>(n));
    for (int i = 0; i < n; ++i) {
        hashU32(h, std::bit_cast<std::uint32_t>(static_cast<float>(args[i])));
    }
    if (text != nullptr) {
        for (const char* p = text; *p != '\0'; ++p) {
            hashByte(h, static_cast<unsigned char>(*p));
        }
    }
    g.hash = h;

    if (g.mode != Mode::Record) {
        return;
    }
    GlCall& c = g.log.emplace_back();
    c.name = name;
    std::copy(args, args + n, c.args.begin());
    c.argCount = n;
    c.data = data;
    if (text != nullptr) {
        c.text = text;
    }
}

template <class... A> inline void rec(const char* name, A... a) {
    static_assert(sizeof...(A) <= 8, "GlCall holds at most 8 arguments");
    if (g.mode == Mode::Off) {
        return;
    }
    if constexpr (sizeof...(A) == 0) {
        commit(name, nullptr, 0);
    } else {
        const double args[] = {static_cast<double>(a)...};
        commit(name, args, static_cast<int>(sizeof...(A)));
    }
}

// Scalars first, then the first `count` elements of the vector argument.
void recVector(const char* name, GLenum first, GLenum second, int scalars, const GLfloat* params,
               int count) {
    if (g.mode == Mode::Off) {
        return;
    }
    double args[8]{};
    int n = 0;
    args[n++] = first;
    if (scalars == 2) {
        args[n++] = second;
    }
    // A null vector would crash real GL; recording just the scalars lets the test report it.
    for (int i = 0; params != nullptr && i < count; ++i) {
        args[n++] = params[i];
    }
    commit(name, args, n);
}

template <class F> void setCallback(const char* name, F& slot, F callback) {
    slot = callback;
    rec(name);
}

int componentsOf(GLenum format) {
    switch (format) {
    case GL_RGBA:
        return 4;
    case GL_RGB:
        return 3;
    case GL_LUMINANCE_ALPHA:
        return 2;
    case GL_RED:
    case GL_GREEN:
    case GL_BLUE:
    case GL_ALPHA:
    case GL_LUMINANCE:
    case GL_DEPTH_COMPONENT:
    case GL_STENCIL_INDEX:
        return 1;
    default:
        return 0;
    }
}

int bytesOf(GLenum type) {
    switch (type) {
    case GL_UNSIGNED_BYTE:
    case GL_BYTE:
        return 1;
    case GL_UNSIGNED_SHORT:
    case GL_SHORT:
        return 2;
    case GL_UNSIGNED_INT:
    case GL_INT:
    case GL_FLOAT:
        return 4;
    default:
        return 0;
    }
}

} // namespace

double GlCall::arg(int i) const {
    if (i < 0 || i >= argCount) {
        throw std::out_of_range(std::string(name) + ": argument " + std::to_string(i) +
                                " requested, call has " + std::to_string(argCount));
    }
    return args[static_cast<std::size_t>(i)];
}

void reset() {
    if (g.log.capacity() > kKeepCapacity) {
        std::vector<GlCall>().swap(g.log);
    } else {
        g.log.clear();
    }
    g.mode = Mode::Record;
    g.hash = kFnvOffset;
    g.total = 0;
    g.callbacks = GlutCallbacks{};
    g.enabledCaps.clear();
    g.nextError = GL_NO_ERROR;
}

void setMode(Mode m) {
    g.mode = m;
}

Mode mode() {
    return g.mode;
}

const std::vector<GlCall>& calls() {
    return g.log;
}

std::vector<GlCall> named(std::string_view name) {
    std::vector<GlCall> out;
    for (const GlCall& c : g.log) {
        if (name == c.name) {
            out.push_back(c);
        }
    }
    return out;
}

std::size_t count(std::string_view name) {
    return static_cast<std::size_t>(std::count_if(
        g.log.begin(), g.log.end(), [name](const GlCall& c) { return name == c.name; }));
}

std::size_t totalCalls() {
    return g.total;
}

std::uint64_t digest() {
    return g.hash;
}

std::string toString(const GlCall& c) {
    std::string out = c.name;
    out += '(';
    char buf[64];
    const char* sep = "";
    for (int i = 0; i < c.argCount; ++i) {
        std::snprintf(buf, sizeof buf, "%s%g", sep, c.args[static_cast<std::size_t>(i)]);
        out += buf;
        sep = ", ";
    }
    if (!c.text.empty()) {
        out += sep;
        out += '"';
        out += c.text;
        out += '"';
        sep = ", ";
    }
    if (c.data != nullptr) {
        std::snprintf(buf, sizeof buf, "%sdata@%p", sep, c.data);
        out += buf;
    }
    out += ')';
    return out;
}

std::string dump(std::size_t from, std::size_t to) {
    std::string out;
    const std::size_t end = std::min(to, g.log.size());
    char buf[32];
    for (std::size_t i = from; i < end; ++i) {
        std::snprintf(buf, sizeof buf, "%zu: ", i);
        out += buf;
        out += toString(g.log[i]);
        out += '\n';
    }
    return out;
}

const GlutCallbacks& glutCallbacks() {
    return g.callbacks;
}

void setNextGlError(unsigned error) {
    g.nextError = error;
}

} // namespace gltest

using gltest::g;
using gltest::rec;
using gltest::recVector;
using gltest::setCallback;

// Definitions after the system declarations, so the compiler rejects any signature mismatch.
extern "C" {

// ---- GL ----

void GLAPIENTRY glClear(GLbitfield mask) {
    rec("glClear", mask);
}

void GLAPIENTRY glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    rec("glClearColor", red, green, blue, alpha);
}

void GLAPIENTRY glPushMatrix(void) {
    rec("glPushMatrix");
}

void GLAPIENTRY glPopMatrix(void) {
    rec("glPopMatrix");
}

void GLAPIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    rec("glTranslatef", x, y, z);
}

void GLAPIENTRY glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    rec("glRotatef", angle, x, y, z);
}

void GLAPIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z) {
    rec("glScalef", x, y, z);
}

void GLAPIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    rec("glViewport", x, y, width, height);
}

void GLAPIENTRY glMatrixMode(GLenum mode) {
    rec("glMatrixMode", mode);
}

void GLAPIENTRY glLoadIdentity(void) {
    rec("glLoadIdentity");
}

void GLAPIENTRY glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    int n = 1;
    switch (pname) {
    case GL_POSITION:
    case GL_AMBIENT:
    case GL_DIFFUSE:
    case GL_SPECULAR:
        n = 4;
        break;
    case GL_SPOT_DIRECTION:
        n = 3;
        break;
    default:
        break;
    }
    recVector("glLightfv", light, pname, 2, params, n);
}

void GLAPIENTRY glLightModelfv(GLenum pname, const GLfloat* params) {
    recVector("glLightModelfv", pname, 0, 1, params, pname == GL_LIGHT_MODEL_AMBIENT ? 4 : 1);
}

// Caps are tracked in every mode so glIsEnabled answers consistently even while recording is off.
void GLAPIENTRY glEnable(GLenum cap) {
    auto& caps = g.enabledCaps;
    if (std::find(caps.begin(), caps.end(), cap) == caps.end()) {
        caps.push_back(cap);
    }
    rec("glEnable", cap);
}

void GLAPIENTRY glDisable(GLenum cap) {
    auto& caps = g.enabledCaps;
    caps.erase(std::remove(caps.begin(), caps.end(), cap), caps.end());
    rec("glDisable", cap);
}

GLboolean GLAPIENTRY glIsEnabled(GLenum cap) {
    rec("glIsEnabled", cap);
    const auto& caps = g.enabledCaps;
    return std::find(caps.begin(), caps.end(), cap) != caps.end() ? GL_TRUE : GL_FALSE;
}

void GLAPIENTRY glShadeModel(GLenum mode) {
    rec("glShadeModel", mode);
}

void GLAPIENTRY glPixelStorei(GLenum pname, GLint param) {
    rec("glPixelStorei", pname, param);
}

void GLAPIENTRY glFogi(GLenum pname, GLint param) {
    rec("glFogi", pname, param);
}

void GLAPIENTRY glFogf(GLenum pname, GLfloat param) {
    rec("glFogf", pname, param);
}

void GLAPIENTRY glFogfv(GLenum pname, const GLfloat* params) {
    recVector("glFogfv", pname, 0, 1, params, pname == GL_FOG_COLOR ? 4 : 1);
}

void GLAPIENTRY glTexParameteri(GLenum target, GLenum pname, GLint param) {
    rec("glTexParameteri", target, pname, param);
}

void GLAPIENTRY glBegin(GLenum mode) {
    rec("glBegin", mode);
}

void GLAPIENTRY glEnd(void) {
    rec("glEnd");
}

void GLAPIENTRY glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    int n = 1;
    switch (pname) {
    case GL_AMBIENT:
    case GL_DIFFUSE:
    case GL_SPECULAR:
    case GL_EMISSION:
    case GL_AMBIENT_AND_DIFFUSE:
        n = 4;
        break;
    case GL_COLOR_INDEXES:
        n = 3;
        break;
    default:
        break;
    }
    recVector("glMaterialfv", face, pname, 2, params, n);
}

void GLAPIENTRY glMaterialf(GLenum face, GLenum pname, GLfloat param) {
    rec("glMaterialf", face, pname, param);
}

void GLAPIENTRY glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    rec("glColor3f", red, green, blue);
}

void GLAPIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    rec("glVertex3f", x, y, z);
}

void GLAPIENTRY glTexCoord2f(GLfloat s, GLfloat t) {
    rec("glTexCoord2f", s, t);
}

void GLAPIENTRY glNormal3f(GLfloat nx, GLfloat ny, GLfloat nz) {
    rec("glNormal3f", nx, ny, nz);
}

GLenum GLAPIENTRY glGetError(void) {
    rec("glGetError");
    const GLenum error = g.nextError;
    g.nextError = GL_NO_ERROR;
    return error;
}

// Rows are written tightly packed (GL_PACK_ALIGNMENT is not emulated). The buffer is zeroed in
// every mode so callers never read uninitialised memory.
void GLAPIENTRY glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                             GLenum type, GLvoid* pixels) {
    if (g.mode != gltest::Mode::Off) {
        const double args[] = {static_cast<double>(x),      static_cast<double>(y),
                               static_cast<double>(width),  static_cast<double>(height),
                               static_cast<double>(format), static_cast<double>(type)};
        gltest::commit("glReadPixels", args, 6, pixels);
    }
    const int pixelBytes = gltest::componentsOf(format) * gltest::bytesOf(type);
    if (pixels != nullptr && width > 0 && height > 0 && pixelBytes > 0) {
        std::memset(pixels, 0,
                    static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                        static_cast<std::size_t>(pixelBytes));
    }
}

void GLAPIENTRY glReadBuffer(GLenum mode) {
    rec("glReadBuffer", mode);
}

void GLAPIENTRY glFinish(void) {
    rec("glFinish");
}

// ---- GLU ----

void GLAPIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    rec("gluPerspective", fovy, aspect, zNear, zFar);
}

GLint GLAPIENTRY gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width,
                                   GLsizei height, GLenum format, GLenum type, const void* data) {
    if (g.mode != gltest::Mode::Off) {
        const double args[] = {static_cast<double>(target), static_cast<double>(internalFormat),
                               static_cast<double>(width),  static_cast<double>(height),
                               static_cast<double>(format), static_cast<double>(type)};
        gltest::commit("gluBuild2DMipmaps", args, 6, data);
    }
    return 0;
}

// ---- GLUT ----

// argv is not recorded: its pointers differ per run and tests only care that init happened.
void FGAPIENTRY glutInit(int* pargc, char**) {
    if (pargc != nullptr) {
        rec("glutInit", *pargc);
    } else {
        rec("glutInit");
    }
}

void FGAPIENTRY glutInitDisplayMode(unsigned int displayMode) {
    rec("glutInitDisplayMode", displayMode);
}

void FGAPIENTRY glutInitWindowSize(int width, int height) {
    rec("glutInitWindowSize", width, height);
}

void FGAPIENTRY glutInitWindowPosition(int x, int y) {
    rec("glutInitWindowPosition", x, y);
}

int FGAPIENTRY glutCreateWindow(const char* title) {
    if (g.mode != gltest::Mode::Off) {
        gltest::commit("glutCreateWindow", nullptr, 0, nullptr, title != nullptr ? title : "");
    }
    return 1;
}

void FGAPIENTRY glutDisplayFunc(void (*callback)(void)) {
    setCallback("glutDisplayFunc", g.callbacks.display, callback);
}

void FGAPIENTRY glutReshapeFunc(void (*callback)(int, int)) {
    setCallback("glutReshapeFunc", g.callbacks.reshape, callback);
}

void FGAPIENTRY glutIdleFunc(void (*callback)(void)) {
    setCallback("glutIdleFunc", g.callbacks.idle, callback);
}

void FGAPIENTRY glutKeyboardFunc(void (*callback)(unsigned char, int, int)) {
    setCallback("glutKeyboardFunc", g.callbacks.keyboard, callback);
}

void FGAPIENTRY glutSpecialFunc(void (*callback)(int, int, int)) {
    setCallback("glutSpecialFunc", g.callbacks.special, callback);
}

void FGAPIENTRY glutMouseFunc(void (*callback)(int, int, int, int)) {
    setCallback("glutMouseFunc", g.callbacks.mouse, callback);
}

void FGAPIENTRY glutMotionFunc(void (*callback)(int, int)) {
    setCallback("glutMotionFunc", g.callbacks.motion, callback);
}

void FGAPIENTRY glutPassiveMotionFunc(void (*callback)(int, int)) {
    setCallback("glutPassiveMotionFunc", g.callbacks.passiveMotion, callback);
}

void FGAPIENTRY glutCloseFunc(void (*callback)(void)) {
    setCallback("glutCloseFunc", g.callbacks.close, callback);
}

// freeglut treats this as an alias of glutCloseFunc, so it fills the same slot.
void FGAPIENTRY glutWMCloseFunc(void (*callback)(void)) {
    setCallback("glutWMCloseFunc", g.callbacks.close, callback);
}

void FGAPIENTRY glutSetOption(GLenum option_flag, int value) {
    rec("glutSetOption", option_flag, value);
}

// Returns at once: tests drive the stored callbacks themselves.
void FGAPIENTRY glutMainLoop(void) {
    rec("glutMainLoop");
}

void FGAPIENTRY glutMainLoopEvent(void) {
    rec("glutMainLoopEvent");
}

void FGAPIENTRY glutFullScreen(void) {
    rec("glutFullScreen");
}

void FGAPIENTRY glutLeaveMainLoop(void) {
    rec("glutLeaveMainLoop");
}

void FGAPIENTRY glutSwapBuffers(void) {
    rec("glutSwapBuffers");
}

void FGAPIENTRY glutPostRedisplay(void) {
    rec("glutPostRedisplay");
}

void FGAPIENTRY glutSolidSphere(double radius, GLint slices, GLint stacks) {
    rec("glutSolidSphere", radius, slices, stacks);
}

int FGAPIENTRY glutGet(GLenum query) {
    rec("glutGet", query);
    switch (query) {
    case GLUT_WINDOW_WIDTH:
        return 640;
    case GLUT_WINDOW_HEIGHT:
        return 480;
    default:
        return 0; // GLUT_ELAPSED_TIME included, so the clock never advances on its own
    }
}

void FGAPIENTRY glutDestroyWindow(int window) {
    rec("glutDestroyWindow", window);
}

int FGAPIENTRY glutGetWindow(void) {
    rec("glutGetWindow");
    return 1;
}

// GLX, for vertical sync: there is no X display here, so the game is told there is no context.
Display* glXGetCurrentDisplay(void) {
    rec("glXGetCurrentDisplay");
    return nullptr;
}

GLXDrawable glXGetCurrentDrawable(void) {
    rec("glXGetCurrentDrawable");
    return 0;
}

const char* glXQueryExtensionsString(Display*, int screen) {
    rec("glXQueryExtensionsString", screen);
    return "";
}

__GLXextFuncPtr glXGetProcAddressARB(const GLubyte*) {
    rec("glXGetProcAddressARB");
    return nullptr;
}

} // extern "C"
