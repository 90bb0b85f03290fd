// Definitions that take precedence over Emscripten's legacy-GL emulation. Each one either fills a
// gap in the emulation or works around a place where it draws differently from OpenGL 1.1, and
// each reaches the emulation only through its emscripten_-prefixed entry points, which stay
// callable when a program defines the plain names itself. docs/web.md lists the gaps.
//
// The emulation's immediate mode writes attributes into one interleaved stream in call order, so
// it needs every vertex to carry the same attributes in the same order, and it has no notion of a
// current normal, colour or texture coordinate carried over from earlier calls. The game relies on
// both (a texture coordinate given after its vertex, normals left over from the ship). So here
// the current values live on our side, every vertex is lit here, and each vertex reaches the
// emulation as the same three calls: texture coordinate, finished colour, position.

#include "web/LegacyGl.h"
#include "web/MipmapChain.h"
#include "web/SphereMesh.h"
#include "web/VertexLighting.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

extern "C" {
void emscripten_glBegin(GLenum mode);
void emscripten_glEnd();
void emscripten_glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void emscripten_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void emscripten_glTexCoord2f(GLfloat s, GLfloat t);
void emscripten_glEnable(GLenum cap);
void emscripten_glDisable(GLenum cap);
void emscripten_glGetFloatv(GLenum pname, GLfloat* params);
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                             GLsizei height, GLint border, GLenum format, GLenum type,
                             const void* pixels);
void emscripten_glGenTextures(GLsizei n, GLuint* textures);
void emscripten_glBindTexture(GLenum target, GLuint texture);
}

namespace {

using Vec3 = VertexLighting::Vec3;
using Vec4 = VertexLighting::Vec4;
using Matrix = std::array<GLfloat, 16>; // column-major, as GL hands it out

VertexLighting lighting;
Vec3 currentNormal{0.0f, 0.0f, 1.0f};
std::array<GLfloat, 2> currentTexCoord{0.0f, 0.0f};

// The model-view matrix cannot change inside glBegin/glEnd, so each primitive reads it once.
Matrix modelView{};
std::array<float, 9> normalMatrix{}; // inverse transpose of modelView's upper 3 x 3, row-major

Matrix currentModelView() {
    Matrix matrix{};
    emscripten_glGetFloatv(GL_MODELVIEW_MATRIX, matrix.data());
    return matrix;
}

Vec4 transformPoint(const Matrix& m, const Vec4& p) {
    Vec4 out{};
    for (int row = 0; row < 4; ++row) {
        out[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row] * p[3];
    }
    return out;
}

// Normals transform by the inverse transpose; it is computed through the adjugate, so it keeps the
// scale the matrix has (a uniform scale of s makes normals 1/s times as long), as OpenGL does.
std::array<float, 9> inverseTranspose3(const Matrix& m) {
    const float a = m[0], b = m[4], c = m[8];
    const float d = m[1], e = m[5], f = m[9];
    const float g = m[2], h = m[6], i = m[10];
    const float cofactor00 = e * i - f * h, cofactor01 = f * g - d * i, cofactor02 = d * h - e * g;
    const float cofactor10 = c * h - b * i, cofactor11 = a * i - c * g, cofactor12 = b * g - a * h;
    const float cofactor20 = b * f - c * e, cofactor21 = c * d - a * f, cofactor22 = a * e - b * d;
    const float determinant = a * cofactor00 + b * cofactor01 + c * cofactor02;
    const float inverse = determinant != 0.0f ? 1.0f / determinant : 0.0f;
    // The inverse is the transposed cofactor matrix over the determinant; its transpose is the
    // cofactor matrix itself.
    return {cofactor00 * inverse, cofactor01 * inverse, cofactor02 * inverse,
            cofactor10 * inverse, cofactor11 * inverse, cofactor12 * inverse,
            cofactor20 * inverse, cofactor21 * inverse, cofactor22 * inverse};
}

void emitVertex(GLfloat x, GLfloat y, GLfloat z) {
    const Vec4 eye = transformPoint(modelView, {x, y, z, 1.0f});
    const Vec3& n = currentNormal;
    const auto& nm = normalMatrix;
    const Vec3 eyeNormal{nm[0] * n[0] + nm[1] * n[1] + nm[2] * n[2],
                         nm[3] * n[0] + nm[4] * n[1] + nm[5] * n[2],
                         nm[6] * n[0] + nm[7] * n[1] + nm[8] * n[2]};
    const Vec4 colour =
        lighting.colourAt({eye[0] / eye[3], eye[1] / eye[3], eye[2] / eye[3]}, eyeNormal);
    emscripten_glTexCoord2f(currentTexCoord[0], currentTexCoord[1]);
    emscripten_glColor4f(colour[0], colour[1], colour[2], colour[3]);
    emscripten_glVertex3f(x, y, z);
}

Vec4 readVec4(const GLfloat* values) {
    return {values[0], values[1], values[2], values[3]};
}

bool isLight(GLenum name) {
    return name >= GL_LIGHT0 && name < GL_LIGHT0 + VertexLighting::kLightCount;
}

void setCapability(GLenum cap, bool enabled) {
    if (cap == GL_LIGHTING) {
        lighting.setLightingEnabled(enabled);
    } else if (isLight(cap)) {
        lighting.light(static_cast<int>(cap - GL_LIGHT0)).enabled = enabled;
    } else if (cap == GL_COLOR_MATERIAL) {
        lighting.setColourMaterialEnabled(enabled);
        if (enabled) {
            lighting.setCurrentColour(lighting.currentColour());
        }
    } else if (enabled) {
        emscripten_glEnable(cap);
    } else {
        emscripten_glDisable(cap);
    }
}

// The game draws two kinds of sphere, the ship's and the shots', up to 21 a frame: each mesh is
// worked out on its first draw and kept, instead of rebuilt with its sines and cosines every time.
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

void bindDefaultTexture() {
    GLuint texture = 0;
    emscripten_glGenTextures(1, &texture);
    emscripten_glBindTexture(GL_TEXTURE_2D, texture);
}

extern "C" {

// Lighting, colour material and the lights stay on our side; everything else goes through.
void glEnable(GLenum cap) {
    setCapability(cap, true);
}
void glDisable(GLenum cap) {
    setCapability(cap, false);
}

// The emulation's shaders always interpolate colours, which is what GL_SMOOTH asks for; it only
// warns about the call. Flat shading is not to be had from it, and the game never asks for it.
void glShadeModel(GLenum) {}

void glLightfv(GLenum name, GLenum pname, const GLfloat* params) {
    if (!isLight(name)) {
        return;
    }
    VertexLighting::Light& light = lighting.light(static_cast<int>(name - GL_LIGHT0));
    switch (pname) {
    case GL_POSITION:
        // Fixed in eye space by the model-view matrix of the moment, as OpenGL does.
        light.position = transformPoint(currentModelView(), readVec4(params));
        break;
    case GL_AMBIENT:
        light.ambient = readVec4(params);
        break;
    case GL_DIFFUSE:
        light.diffuse = readVec4(params);
        break;
    case GL_SPECULAR:
        light.specular = readVec4(params);
        break;
    default:
        break;
    }
}

void glLightModelfv(GLenum pname, const GLfloat* params) {
    if (pname == GL_LIGHT_MODEL_AMBIENT) {
        lighting.setSceneAmbient(readVec4(params));
    }
}

void glMaterialfv(GLenum, GLenum pname, const GLfloat* params) {
    VertexLighting::Material& material = lighting.material();
    switch (pname) {
    case GL_AMBIENT:
        material.ambient = readVec4(params);
        break;
    case GL_DIFFUSE:
        material.diffuse = readVec4(params);
        break;
    case GL_AMBIENT_AND_DIFFUSE:
        material.ambient = readVec4(params);
        material.diffuse = readVec4(params);
        break;
    case GL_SPECULAR:
        material.specular = readVec4(params);
        break;
    case GL_EMISSION:
        material.emission = readVec4(params);
        break;
    case GL_SHININESS:
        material.shininess = params[0];
        break;
    default:
        break;
    }
}

void glMaterialf(GLenum face, GLenum pname, GLfloat param) {
    glMaterialfv(face, pname, &param);
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    lighting.setCurrentColour({red, green, blue, 1.0f});
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    currentNormal = {x, y, z};
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    currentTexCoord = {s, t};
}

void glBegin(GLenum mode) {
    modelView = currentModelView();
    normalMatrix = inverseTranspose3(modelView);
    emscripten_glBegin(mode);
}

void glEnd() {
    emscripten_glEnd();
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    emitVertex(x, y, z);
}

GLint gluBuild2DMipmaps(GLenum target, GLint components, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* data) {
    // Only what the game hands over: RGB or RGBA bytes, each side a power of two.
    if (type != GL_UNSIGNED_BYTE || (format != GL_RGB && format != GL_RGBA)) {
        return GLU_INVALID_ENUM;
    }
    if (!MipmapChain::isPowerOfTwo(width) || !MipmapChain::isPowerOfTwo(height)) {
        return GLU_INVALID_VALUE;
    }
    const int bytesPerTexel = format == GL_RGBA ? 4 : 3;
    // WebGL 1 stores a texture in the format it is given, and wants the internal format to say
    // so; GL 1.1 would convert to `components` instead, which the game's images never need.
    const GLint internalFormat = static_cast<GLint>(format);
    if (components != bytesPerTexel) {
        return GLU_INVALID_VALUE;
    }
    const MipmapChain chain(width, height, bytesPerTexel, static_cast<const std::uint8_t*>(data));
    GLint level = 0;
    for (const MipmapChain::Level& image : chain.levels()) {
        emscripten_glTexImage2D(target, level++, internalFormat, image.width, image.height, 0,
                                format, type, image.texels.data());
    }
    return 0;
}

void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks) {
    // freeglut draws from vertex arrays, which leave the current normal as it was.
    const Vec3 normalBefore = currentNormal;
    const SphereMesh& mesh = sphereMesh(static_cast<float>(radius), slices, stacks);
    for (const std::vector<int>& strip : mesh.strips()) {
        glBegin(GL_TRIANGLE_STRIP);
        for (int index : strip) {
            const SphereMesh::Vertex& vertex = mesh.vertices()[static_cast<std::size_t>(index)];
            currentNormal = vertex.normal;
            emitVertex(vertex.position[0], vertex.position[1], vertex.position[2]);
        }
        glEnd();
    }
    currentNormal = normalBefore;
}

} // extern "C"
