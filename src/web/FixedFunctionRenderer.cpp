#include "web/FixedFunctionRenderer.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>

// The web build defines these names itself for the game (LegacyGl.cpp); WebGL's own stay callable
// by these.
extern "C" {
void emscripten_glEnable(GLenum cap);
void emscripten_glDisable(GLenum cap);
void emscripten_glTexParameteri(GLenum target, GLenum name, GLint value);
}

namespace {

// Eye-space vertices, so the model-view matrix is already applied; lighting follows OpenGL 1.1's
// equation term for term, as VertexLighting::colourAt does on the CPU (its unit tests pin it):
// the normal keeps its length, a point light's direction is taken at the vertex, the half vector
// leans towards +z, and 0 to the power 0 is 1.
constexpr const char* kVertexShader = R"(
#define LIGHTS 8
attribute vec3 a_position;
attribute vec3 a_normal;
attribute vec4 a_colour;
attribute vec2 a_texCoord;
uniform mat4 u_projection;
uniform bool u_lighting;
uniform bool u_colourMaterial;
uniform vec4 u_sceneAmbient;
uniform vec4 u_materialAmbient;
uniform vec4 u_materialDiffuse;
uniform vec4 u_materialSpecular;
uniform vec4 u_materialEmission;
uniform float u_shininess;
uniform bool u_lightEnabled[LIGHTS];
uniform vec4 u_lightPosition[LIGHTS];
uniform vec4 u_lightAmbient[LIGHTS];
uniform vec4 u_lightDiffuse[LIGHTS];
uniform vec4 u_lightSpecular[LIGHTS];
varying vec4 v_colour;
varying vec2 v_texCoord;
varying float v_eyeDepth;

vec3 unit(vec3 v) {
  float length = sqrt(dot(v, v));
  return length == 0.0 ? v : v / length;
}

void main() {
  gl_Position = u_projection * vec4(a_position, 1.0);
  v_texCoord = a_texCoord;
  v_eyeDepth = abs(a_position.z);
  if (!u_lighting) {
    v_colour = a_colour;
    return;
  }
  vec4 ambient = u_colourMaterial ? a_colour : u_materialAmbient;
  vec4 diffuse = u_colourMaterial ? a_colour : u_materialDiffuse;
  vec3 colour = u_materialEmission.rgb + ambient.rgb * u_sceneAmbient.rgb;
  for (int i = 0; i < LIGHTS; ++i) {
    if (!u_lightEnabled[i]) continue;
    vec4 position = u_lightPosition[i];
    vec3 towardsLight = position.w != 0.0 ? position.xyz / position.w - a_position : position.xyz;
    towardsLight = unit(towardsLight);
    float diffuseFactor = max(dot(a_normal, towardsLight), 0.0);
    float specularFactor = 0.0;
    if (diffuseFactor > 0.0) {
      float facing = max(dot(a_normal, unit(towardsLight + vec3(0.0, 0.0, 1.0))), 0.0);
      specularFactor = facing > 0.0 ? pow(facing, u_shininess) : (u_shininess == 0.0 ? 1.0 : 0.0);
    }
    colour += ambient.rgb * u_lightAmbient[i].rgb
        + diffuseFactor * diffuse.rgb * u_lightDiffuse[i].rgb
        + specularFactor * u_materialSpecular.rgb * u_lightSpecular[i].rgb;
  }
  v_colour = clamp(vec4(colour, diffuse.a), 0.0, 1.0);
}
)";

// GL_MODULATE, then fog by the eye depth per fragment.
constexpr const char* kFragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform bool u_texturing;
uniform sampler2D u_texture;
uniform bool u_fog;
uniform int u_fogMode;
uniform float u_fogDensity;
uniform float u_fogStart;
uniform float u_fogEnd;
uniform vec4 u_fogColour;
varying vec4 v_colour;
varying vec2 v_texCoord;
varying float v_eyeDepth;

void main() {
  vec4 colour = v_colour;
  if (u_texturing) colour *= texture2D(u_texture, v_texCoord);
  if (u_fog) {
    float fog;
    if (u_fogMode == 0x0801) {
      fog = exp(-u_fogDensity * u_fogDensity * v_eyeDepth * v_eyeDepth);
    } else if (u_fogMode == 0x2601) {
      fog = (u_fogEnd - v_eyeDepth) / (u_fogEnd - u_fogStart);
    } else {
      fog = exp(-u_fogDensity * v_eyeDepth);
    }
    colour.rgb = mix(u_fogColour.rgb, colour.rgb, clamp(fog, 0.0, 1.0));
  }
  gl_FragColor = colour;
}
)";

enum Attribute : GLuint { kPosition, kNormal, kColour, kTexCoord };

GLuint compile(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        std::array<char, 1024> log{};
        glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), nullptr, log.data());
        std::fprintf(stderr, "spintunnel: a shader did not compile: %s\n", log.data());
    }
    return shader;
}

template <std::size_t N>
std::array<float, 4 * N> gather(const std::array<VertexLighting::Light, N>& lights,
                                VertexLighting::Vec4 VertexLighting::Light::*member) {
    std::array<float, 4 * N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        std::copy_n((lights[i].*member).data(), 4, out.data() + 4 * i);
    }
    return out;
}

} // namespace

void FixedFunctionRenderer::init() {
    program_ = glCreateProgram();
    glAttachShader(program_, compile(GL_VERTEX_SHADER, kVertexShader));
    glAttachShader(program_, compile(GL_FRAGMENT_SHADER, kFragmentShader));
    glBindAttribLocation(program_, kPosition, "a_position");
    glBindAttribLocation(program_, kNormal, "a_normal");
    glBindAttribLocation(program_, kColour, "a_colour");
    glBindAttribLocation(program_, kTexCoord, "a_texCoord");
    glLinkProgram(program_);
    GLint linked = GL_FALSE;
    glGetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        std::array<char, 1024> log{};
        glGetProgramInfoLog(program_, static_cast<GLsizei>(log.size()), nullptr, log.data());
        std::fprintf(stderr, "spintunnel: the shader program did not link: %s\n", log.data());
    }
    glUseProgram(program_);
    const auto at = [this](const char* name) { return glGetUniformLocation(program_, name); };
    uniforms_ = {at("u_projection"),
                 at("u_lighting"),
                 at("u_colourMaterial"),
                 at("u_sceneAmbient"),
                 at("u_materialAmbient"),
                 at("u_materialDiffuse"),
                 at("u_materialSpecular"),
                 at("u_materialEmission"),
                 at("u_shininess"),
                 at("u_lightEnabled"),
                 at("u_lightPosition"),
                 at("u_lightAmbient"),
                 at("u_lightDiffuse"),
                 at("u_lightSpecular"),
                 at("u_texturing"),
                 at("u_texture"),
                 at("u_fog"),
                 at("u_fogMode"),
                 at("u_fogDensity"),
                 at("u_fogStart"),
                 at("u_fogEnd"),
                 at("u_fogColour")};
    glUniform1i(uniforms_.texture, 0);

    // The buffers stay bound and the attributes point into them for good: each frame only
    // replaces their contents.
    glGenBuffers(1, &vertexBuffer_);
    glGenBuffers(1, &indexBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    using Vertex = VertexBatcher::Vertex;
    const auto pointer = [](GLuint attribute, GLint size, std::size_t offset) {
        glEnableVertexAttribArray(attribute);
        glVertexAttribPointer(attribute, size, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                              reinterpret_cast<const void*>(offset));
    };
    pointer(kPosition, 3, offsetof(Vertex, position));
    pointer(kNormal, 3, offsetof(Vertex, normal));
    pointer(kColour, 4, offsetof(Vertex, colour));
    pointer(kTexCoord, 2, offsetof(Vertex, texCoord));
    // The mipmap levels are tightly packed rows.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

std::uint32_t FixedFunctionRenderer::createTexture(const MipmapChain& chain, std::uint32_t format) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    boundTexture_ = texture;
    GLint level = 0;
    for (const MipmapChain::Level& image : chain.levels()) {
        // WebGL 1 stores a texture in the format it is given, and wants the internal format to
        // say so.
        glTexImage2D(GL_TEXTURE_2D, level++, static_cast<GLint>(format), image.width, image.height,
                     0, format, GL_UNSIGNED_BYTE, image.texels.data());
    }
    // A new texture object starts with WebGL's defaults, which are GL's.
    textures_.push_back({texture, GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT});
    return texture;
}

void FixedFunctionRenderer::deleteTexture(std::uint32_t handle) {
    const GLuint texture = handle;
    glDeleteTextures(1, &texture);
    std::erase_if(textures_, [handle](const TextureParameters& t) { return t.handle == handle; });
    if (boundTexture_ == handle) {
        boundTexture_ = 0;
    }
    if (appliedValid_ && applied_.texture == handle) {
        appliedValid_ = false;
    }
}

void FixedFunctionRenderer::draw(const VertexBatcher& batcher) {
    if (batcher.empty()) {
        return;
    }
    glBufferData(GL_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(batcher.vertices().size() * sizeof(VertexBatcher::Vertex)),
                 batcher.vertices().data(), GL_STREAM_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(batcher.indices().size() * sizeof(std::uint32_t)),
                 batcher.indices().data(), GL_STREAM_DRAW);
    for (const VertexBatcher::Draw& draw : batcher.draws()) {
        apply(draw.state);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(draw.indexCount), GL_UNSIGNED_INT,
                       reinterpret_cast<const void*>(draw.firstIndex * sizeof(std::uint32_t)));
    }
}

void FixedFunctionRenderer::apply(const DrawState& state) {
    const bool all = !appliedValid_;
    const DrawState& was = applied_;
    if (all || state.projection != was.projection) {
        glUniformMatrix4fv(uniforms_.projection, 1, GL_FALSE, state.projection.data());
    }
    if (all || state.depthTest != was.depthTest) {
        if (state.depthTest) {
            emscripten_glEnable(GL_DEPTH_TEST);
        } else {
            emscripten_glDisable(GL_DEPTH_TEST);
        }
    }
    if (all || state.lighting != was.lighting || state.colourMaterial != was.colourMaterial ||
        state.lights != was.lights || state.sceneAmbient != was.sceneAmbient ||
        state.material != was.material) {
        applyLighting(state);
    }
    if (all || state.texturing != was.texturing) {
        glUniform1i(uniforms_.texturing, state.texturing ? 1 : 0);
    }
    if (state.texturing) {
        bindTexture(state);
    }
    if (all || state.fog != was.fog || state.fogMode != was.fogMode ||
        state.fogDensity != was.fogDensity || state.fogStart != was.fogStart ||
        state.fogEnd != was.fogEnd || state.fogColour != was.fogColour) {
        glUniform1i(uniforms_.fog, state.fog ? 1 : 0);
        glUniform1i(uniforms_.fogMode, static_cast<GLint>(state.fogMode));
        glUniform1f(uniforms_.fogDensity, state.fogDensity);
        glUniform1f(uniforms_.fogStart, state.fogStart);
        glUniform1f(uniforms_.fogEnd, state.fogEnd);
        glUniform4fv(uniforms_.fogColour, 1, state.fogColour.data());
    }
    applied_ = state;
    appliedValid_ = true;
}

void FixedFunctionRenderer::applyLighting(const DrawState& state) {
    glUniform1i(uniforms_.lighting, state.lighting ? 1 : 0);
    if (!state.lighting) {
        return; // the rest waits until lighting is on; applied_ then differs and it goes up
    }
    glUniform1i(uniforms_.colourMaterial, state.colourMaterial ? 1 : 0);
    glUniform4fv(uniforms_.sceneAmbient, 1, state.sceneAmbient.data());
    const VertexLighting::Material& material = state.material;
    glUniform4fv(uniforms_.materialAmbient, 1, material.ambient.data());
    glUniform4fv(uniforms_.materialDiffuse, 1, material.diffuse.data());
    glUniform4fv(uniforms_.materialSpecular, 1, material.specular.data());
    glUniform4fv(uniforms_.materialEmission, 1, material.emission.data());
    glUniform1f(uniforms_.shininess, material.shininess);
    constexpr int kLights = VertexLighting::kLightCount;
    std::array<GLint, kLights> enabled{};
    for (int i = 0; i < kLights; ++i) {
        enabled[static_cast<std::size_t>(i)] = state.lights[static_cast<std::size_t>(i)].enabled;
    }
    glUniform1iv(uniforms_.lightEnabled, kLights, enabled.data());
    using Light = VertexLighting::Light;
    glUniform4fv(uniforms_.lightPosition, kLights, gather(state.lights, &Light::position).data());
    glUniform4fv(uniforms_.lightAmbient, kLights, gather(state.lights, &Light::ambient).data());
    glUniform4fv(uniforms_.lightDiffuse, kLights, gather(state.lights, &Light::diffuse).data());
    glUniform4fv(uniforms_.lightSpecular, kLights, gather(state.lights, &Light::specular).data());
}

void FixedFunctionRenderer::bindTexture(const DrawState& state) {
    if (boundTexture_ != state.texture) {
        glBindTexture(GL_TEXTURE_2D, state.texture);
        boundTexture_ = state.texture;
    }
    const auto found =
        std::find_if(textures_.begin(), textures_.end(),
                     [&state](const TextureParameters& t) { return t.handle == state.texture; });
    if (found == textures_.end()) {
        return;
    }
    // The game's glTexParameteri calls belong to GL's texture 0, whichever image it holds, so
    // each texture takes them when it is drawn with.
    const auto set = [](std::uint32_t& held, std::uint32_t wanted, GLenum name) {
        if (held != wanted) {
            emscripten_glTexParameteri(GL_TEXTURE_2D, name, static_cast<GLint>(wanted));
            held = wanted;
        }
    };
    set(found->minFilter, state.minFilter, GL_TEXTURE_MIN_FILTER);
    set(found->magFilter, state.magFilter, GL_TEXTURE_MAG_FILTER);
    set(found->wrapS, state.wrapS, GL_TEXTURE_WRAP_S);
    set(found->wrapT, state.wrapT, GL_TEXTURE_WRAP_T);
}
