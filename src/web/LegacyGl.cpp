// The game's OpenGL 1.1 subset, served on WebGL: the matrix stacks, immediate mode with its
// current colour, normal and texture coordinate, lighting, fog and mipmapped textures. Every call
// the game makes between frames is a cheap append or state change here; each frame goes to WebGL
// once, when it is finished (glutSwapBuffers) or before something that must see it drawn
// (glClear, glViewport). docs/web.md says why the build does not use Emscripten's GL emulation.
//
// Vertices are taken to eye space here, where their model-view matrix is known, so the draws do
// not depend on it: each orb wedge and tunnel band has a matrix of its own, and the whole frame
// still goes in a few dozen draws, split only where a texture or a capability changes.

#include "web/LegacyGl.h"
#include "web/DrawState.h"
#include "web/FixedFunctionRenderer.h"
#include "web/MatrixStack.h"
#include "web/MipmapChain.h"
#include "web/SphereMesh.h"
#include "web/TextureCache.h"
#include "web/VertexBatcher.h"
#include "web/VertexLighting.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// WebGL's own entry points, for the names the game's calls arrive by.
extern "C" {
void emscripten_glEnable(GLenum cap);
void emscripten_glDisable(GLenum cap);
void emscripten_glClear(GLbitfield mask);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
}

namespace {

using Vec3 = VertexLighting::Vec3;
using Vec4 = VertexLighting::Vec4;

struct Context {
    MatrixStack modelView;
    MatrixStack projection;
    MatrixStack* matrices = &modelView; // not owned; null in a matrix mode the game never uses
    bool normalMatrixStale = true;
    std::array<float, 9> normalMatrix{}; // row-major; follows modelView's top
    bool modelViewAffine = true;         // modelView's top has (0, 0, 0, 1) as its bottom row

    DrawState state;
    bool stateChanged = true;  // state differs from what the batcher last got
    bool texture2D = false;    // GL_TEXTURE_2D enabled
    std::uint32_t texture = 0; // texture 0's image in the cache; 0 before the first

    Vec4 colour{1.0f, 1.0f, 1.0f, 1.0f};
    Vec3 normal{0.0f, 0.0f, 1.0f};
    std::array<float, 2> texCoord{0.0f, 0.0f};

    VertexBatcher batcher;
    FixedFunctionRenderer renderer;
    TextureCache textures;
};

Context& gl() {
    static Context context;
    return context;
}

void stateChanged() {
    gl().stateChanged = true;
}

template <typename T> void change(T& held, const T& wanted) {
    if (!(held == wanted)) {
        held = wanted;
        stateChanged();
    }
}

void matricesChanged() {
    Context& c = gl();
    if (c.matrices == &c.modelView) {
        c.normalMatrixStale = true;
        const MatrixStack::Matrix& m = c.modelView.top();
        c.modelViewAffine = m[3] == 0.0f && m[7] == 0.0f && m[11] == 0.0f && m[15] == 1.0f;
    } else if (c.matrices == &c.projection) {
        change(c.state.projection, c.projection.top());
    }
}

void flush() {
    Context& c = gl();
    c.renderer.draw(c.batcher);
    c.batcher.clear();
}

void emitVertex(float x, float y, float z, const Vec3& n) {
    Context& c = gl();
    if (c.stateChanged) {
        c.batcher.setState(c.state);
        c.stateChanged = false;
    }
    const MatrixStack::Matrix& m = c.modelView.top();
    if (c.normalMatrixStale) {
        c.normalMatrix = MatrixStack::normalMatrix(m);
        c.normalMatrixStale = false;
    }
    Vec3 eye{};
    if (c.modelViewAffine) {
        eye = MatrixStack::transformAffine(m, x, y, z);
    } else {
        const Vec4 p = MatrixStack::transform(m, {x, y, z, 1.0f});
        eye = {p[0] / p[3], p[1] / p[3], p[2] / p[3]};
    }
    const auto& nm = c.normalMatrix;
    c.batcher.vertex(
        {{eye[0], eye[1], eye[2]},
         {nm[0] * n[0] + nm[1] * n[1] + nm[2] * n[2], nm[3] * n[0] + nm[4] * n[1] + nm[5] * n[2],
          nm[6] * n[0] + nm[7] * n[1] + nm[8] * n[2]},
         {c.colour[0], c.colour[1], c.colour[2], c.colour[3]},
         {c.texCoord[0], c.texCoord[1]}});
}

// Texturing draws only with an image: GL 1.1 textures nothing with an incomplete texture.
void updateTexturing() {
    Context& c = gl();
    change(c.state.texturing, c.texture2D && c.texture != 0);
    if (c.texture != 0) {
        change(c.state.texture, c.texture);
    }
}

Vec4 readVec4(const GLfloat* values) {
    return {values[0], values[1], values[2], values[3]};
}

bool isLight(GLenum name) {
    return name >= GL_LIGHT0 && name < GL_LIGHT0 + VertexLighting::kLightCount;
}

VertexLighting::Light& light(GLenum name) {
    return gl().state.lights[name - GL_LIGHT0];
}

void setCapability(GLenum cap, bool enabled) {
    Context& c = gl();
    DrawState& s = c.state;
    if (cap == GL_LIGHTING) {
        change(s.lighting, enabled);
    } else if (isLight(cap)) {
        change(light(cap).enabled, enabled);
    } else if (cap == GL_COLOR_MATERIAL) {
        if (s.colourMaterial && !enabled) {
            // While it was on, the material's ambient and diffuse followed the colour.
            change(s.material.ambient, c.colour);
            change(s.material.diffuse, c.colour);
        }
        change(s.colourMaterial, enabled);
    } else if (cap == GL_TEXTURE_2D) {
        c.texture2D = enabled;
        updateTexturing();
    } else if (cap == GL_FOG) {
        change(s.fog, enabled);
    } else if (cap == GL_DEPTH_TEST) {
        change(s.depthTest, enabled);
    } else {
        flush();
        if (enabled) {
            emscripten_glEnable(cap);
        } else {
            emscripten_glDisable(cap);
        }
    }
}

// The game draws two kinds of sphere, the ship's and the shots', up to 21 a frame: each mesh is
// worked out on its first draw and kept.
const SphereMesh& sphereMesh(float radius, int slices, int stacks) {
    struct Kept {
        float radius;
        int slices;
        int stacks;
        std::unique_ptr<SphereMesh> mesh; // owned
    };
    static std::vector<Kept> kept;
    for (const Kept& sphere : kept) {
        if (sphere.radius == radius && sphere.slices == slices && sphere.stacks == stacks) {
            return *sphere.mesh;
        }
    }
    kept.push_back({radius, slices, stacks, std::make_unique<SphereMesh>(radius, slices, stacks)});
    return *kept.back().mesh;
}

} // namespace

void initFixedFunctionGl() {
    Context& c = gl();
    c.renderer.init();
    const VertexLighting initial;
    for (int i = 0; i < VertexLighting::kLightCount; ++i) {
        c.state.lights[static_cast<std::size_t>(i)] = initial.light(i);
    }
    c.state.projection = c.projection.top();
    stateChanged();
}

extern "C" {

void glEnable(GLenum cap) {
    setCapability(cap, true);
}
void glDisable(GLenum cap) {
    setCapability(cap, false);
}

// The shaders interpolate colours, which is GL_SMOOTH, the game's only shading.
void glShadeModel(GLenum) {}

void glClear(GLbitfield mask) {
    flush();
    emscripten_glClear(mask);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    flush();
    emscripten_glViewport(x, y, width, height);
}

// The frame is finished: it goes to WebGL now, and the browser shows it when the frame routine
// returns.
void glutSwapBuffers() {
    flush();
}

void glMatrixMode(GLenum mode) {
    Context& c = gl();
    c.matrices = mode == GL_MODELVIEW    ? &c.modelView
                 : mode == GL_PROJECTION ? &c.projection
                                         : nullptr;
}

void glLoadIdentity() {
    if (MatrixStack* m = gl().matrices) {
        m->loadIdentity();
        matricesChanged();
    }
}

void glPushMatrix() {
    if (MatrixStack* m = gl().matrices) {
        m->push();
    }
}

void glPopMatrix() {
    if (MatrixStack* m = gl().matrices) {
        m->pop();
        matricesChanged();
    }
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    if (MatrixStack* m = gl().matrices) {
        m->translate(x, y, z);
        matricesChanged();
    }
}

void glRotatef(GLfloat degrees, GLfloat x, GLfloat y, GLfloat z) {
    if (MatrixStack* m = gl().matrices) {
        m->rotate(degrees, x, y, z);
        matricesChanged();
    }
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    if (MatrixStack* m = gl().matrices) {
        m->scale(x, y, z);
        matricesChanged();
    }
}

void gluPerspective(GLdouble fieldOfViewY, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    if (MatrixStack* m = gl().matrices) {
        m->perspective(fieldOfViewY, aspect, zNear, zFar);
        matricesChanged();
    }
}

void glLightfv(GLenum name, GLenum pname, const GLfloat* params) {
    if (!isLight(name)) {
        return;
    }
    VertexLighting::Light& l = light(name);
    switch (pname) {
    case GL_POSITION:
        // Fixed in eye space by the model-view matrix of the moment, as OpenGL does.
        change(l.position, MatrixStack::transform(gl().modelView.top(), readVec4(params)));
        break;
    case GL_AMBIENT:
        change(l.ambient, readVec4(params));
        break;
    case GL_DIFFUSE:
        change(l.diffuse, readVec4(params));
        break;
    case GL_SPECULAR:
        change(l.specular, readVec4(params));
        break;
    default:
        break;
    }
}

void glLightModelfv(GLenum pname, const GLfloat* params) {
    if (pname == GL_LIGHT_MODEL_AMBIENT) {
        change(gl().state.sceneAmbient, readVec4(params));
    }
}

// One-sided lighting: the front material is the one that counts, whichever face is named.
void glMaterialfv(GLenum, GLenum pname, const GLfloat* params) {
    VertexLighting::Material& material = gl().state.material;
    switch (pname) {
    case GL_AMBIENT:
        change(material.ambient, readVec4(params));
        break;
    case GL_DIFFUSE:
        change(material.diffuse, readVec4(params));
        break;
    case GL_AMBIENT_AND_DIFFUSE:
        change(material.ambient, readVec4(params));
        change(material.diffuse, readVec4(params));
        break;
    case GL_SPECULAR:
        change(material.specular, readVec4(params));
        break;
    case GL_EMISSION:
        change(material.emission, readVec4(params));
        break;
    case GL_SHININESS:
        change(material.shininess, params[0]);
        break;
    default:
        break;
    }
}

void glMaterialf(GLenum face, GLenum pname, GLfloat param) {
    glMaterialfv(face, pname, &param);
}

void glFogf(GLenum pname, GLfloat param) {
    DrawState& s = gl().state;
    switch (pname) {
    case GL_FOG_MODE:
        change(s.fogMode, static_cast<std::uint32_t>(param));
        break;
    case GL_FOG_DENSITY:
        change(s.fogDensity, param);
        break;
    case GL_FOG_START:
        change(s.fogStart, param);
        break;
    case GL_FOG_END:
        change(s.fogEnd, param);
        break;
    default:
        break;
    }
}

void glFogi(GLenum pname, GLint param) {
    glFogf(pname, static_cast<GLfloat>(param));
}

void glFogfv(GLenum pname, const GLfloat* params) {
    if (pname == GL_FOG_COLOR) {
        change(gl().state.fogColour, readVec4(params));
    } else {
        glFogf(pname, params[0]);
    }
}

void glTexParameteri(GLenum target, GLenum pname, GLint param) {
    if (target != GL_TEXTURE_2D) {
        return;
    }
    DrawState& s = gl().state;
    const auto value = static_cast<std::uint32_t>(param);
    switch (pname) {
    case GL_TEXTURE_MIN_FILTER:
        change(s.minFilter, value);
        break;
    case GL_TEXTURE_MAG_FILTER:
        change(s.magFilter, value);
        break;
    case GL_TEXTURE_WRAP_S:
        change(s.wrapS, value);
        break;
    case GL_TEXTURE_WRAP_T:
        change(s.wrapT, value);
        break;
    default:
        break;
    }
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    gl().colour = {red, green, blue, 1.0f};
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    gl().normal = {x, y, z};
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    gl().texCoord = {s, t};
}

void glBegin(GLenum mode) {
    gl().batcher.begin(mode);
}

void glEnd() {
    gl().batcher.end();
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    emitVertex(x, y, z, gl().normal);
}

GLint gluBuild2DMipmaps(GLenum target, GLint components, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* data) {
    // Only what the game hands over: RGB or RGBA bytes, each side a power of two.
    if (target != GL_TEXTURE_2D || type != GL_UNSIGNED_BYTE ||
        (format != GL_RGB && format != GL_RGBA)) {
        return GLU_INVALID_ENUM;
    }
    if (!MipmapChain::isPowerOfTwo(width) || !MipmapChain::isPowerOfTwo(height)) {
        return GLU_INVALID_VALUE;
    }
    const int bytesPerTexel = format == GL_RGBA ? 4 : 3;
    // WebGL 1 keeps a texture in the format it is given; GL 1.1 would convert to `components`
    // instead, which the game's images never need.
    if (components != bytesPerTexel) {
        return GLU_INVALID_VALUE;
    }
    Context& c = gl();
    const auto* texels = static_cast<const std::uint8_t*>(data);
    const TextureCache::Image image{width, height, format, texels, bytesPerTexel};
    std::uint32_t texture = c.textures.find(image);
    if (texture == 0) {
        texture =
            c.renderer.createTexture(MipmapChain(width, height, bytesPerTexel, texels), format);
        if (const std::uint32_t evicted = c.textures.add(image, texture); evicted != 0) {
            flush(); // the draws so far may still use it
            c.renderer.deleteTexture(evicted);
        }
    }
    c.texture = texture;
    updateTexturing();
    return 0;
}

void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks) {
    // freeglut draws from vertex arrays, which leave the current normal as it was.
    const SphereMesh& mesh = sphereMesh(static_cast<float>(radius), slices, stacks);
    VertexBatcher& batcher = gl().batcher;
    for (const std::vector<int>& strip : mesh.strips()) {
        batcher.begin(GL_TRIANGLE_STRIP);
        for (int index : strip) {
            const SphereMesh::Vertex& vertex = mesh.vertices()[static_cast<std::size_t>(index)];
            emitVertex(vertex.position[0], vertex.position[1], vertex.position[2], vertex.normal);
        }
        batcher.end();
    }
}

} // extern "C"
