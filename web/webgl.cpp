// The WebGL side of the browser build: one shader for what the fixed
// function pipeline does for the game (texture modulated by the colour,
// one light with colour material, fog), texture objects, a stream buffer
// for small runs and the resident buffers of the cached batch.
#include "webgl.h"

#include <GLES2/gl2.h>

#include <cstdio>
#include <unordered_map>

namespace vkw {

namespace {

const char kVertexShader[] = R"(
attribute vec3 a_pos;
attribute vec3 a_nrm;
attribute vec2 a_tex;
attribute vec4 a_col;
uniform mat4 u_mv;
uniform mat4 u_proj;
uniform mat3 u_nmat;
uniform bool u_lighting;
uniform bool u_colorMaterial;
uniform vec4 u_sceneAmbient;
uniform vec4 u_matAmbient;
uniform vec4 u_matDiffuse;
uniform bool u_lightOn;
uniform vec4 u_lightPos;
uniform vec4 u_lightAmbient;
uniform vec4 u_lightDiffuse;
varying vec4 v_col;
varying vec2 v_tex;
varying float v_fogCoord;
void main() {
    vec4 eye = u_mv * vec4(a_pos, 1.0);
    gl_Position = u_proj * eye;
    v_tex = a_tex;
    v_fogCoord = abs(eye.z / eye.w);
    v_col = a_col;
    if (u_lighting) {
        vec4 amb = u_colorMaterial ? a_col : u_matAmbient;
        vec4 dif = u_colorMaterial ? a_col : u_matDiffuse;
        vec3 c = u_sceneAmbient.rgb * amb.rgb;
        if (u_lightOn) {
            vec3 n = u_nmat * a_nrm;
            vec3 l = u_lightPos.w != 0.0 ? u_lightPos.xyz / u_lightPos.w - eye.xyz / eye.w : u_lightPos.xyz;
            c += u_lightAmbient.rgb * amb.rgb + max(dot(n, normalize(l)), 0.0) * u_lightDiffuse.rgb * dif.rgb;
        }
        v_col = vec4(clamp(c, 0.0, 1.0), dif.a);
    }
}
)";

const char kFragmentShader[] = R"(
precision highp float;
uniform sampler2D u_tex;
uniform bool u_textured;
uniform bool u_fog;
uniform int u_fogMode;
uniform vec4 u_fogColor;
uniform float u_fogStart;
uniform float u_fogEnd;
uniform float u_fogDensity;
varying vec4 v_col;
varying vec2 v_tex;
varying float v_fogCoord;
void main() {
    vec4 c = v_col;
    if (u_textured) c *= texture2D(u_tex, v_tex);
    if (u_fog) {
        float f;
        if (u_fogMode == 0) f = (u_fogEnd - v_fogCoord) / (u_fogEnd - u_fogStart);
        else if (u_fogMode == 1) f = exp(-u_fogDensity * v_fogCoord);
        else f = exp(-(u_fogDensity * v_fogCoord) * (u_fogDensity * v_fogCoord));
        c.rgb = mix(u_fogColor.rgb, c.rgb, clamp(f, 0.0, 1.0));
    }
    gl_FragColor = c;
}
)";

enum Attrib { A_POS, A_NRM, A_TEX, A_COL };

GLuint compile(GLenum type, const char* source) {
    GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = "";
        glGetShaderInfoLog(s, sizeof log, nullptr, log);
        std::fprintf(stderr, "web layer: shader: %s\n", log);
    }
    return s;
}

class WebGLBackend : public Backend {
public:
    WebGLBackend() {
        program_ = glCreateProgram();
        glAttachShader(program_, compile(GL_VERTEX_SHADER, kVertexShader));
        glAttachShader(program_, compile(GL_FRAGMENT_SHADER, kFragmentShader));
        glBindAttribLocation(program_, A_POS, "a_pos");
        glBindAttribLocation(program_, A_NRM, "a_nrm");
        glBindAttribLocation(program_, A_TEX, "a_tex");
        glBindAttribLocation(program_, A_COL, "a_col");
        glLinkProgram(program_);
        glUseProgram(program_);
        for (int a = A_POS; a <= A_COL; a++) glEnableVertexAttribArray(a);
        glUniform1i(loc("u_tex"), 0);
        glGenBuffers(1, &streamVbo_);
        glGenBuffers(1, &streamIbo_);
        glGenBuffers(1, &batchVbo_);
        glGenBuffers(1, &batchIbo_);
        // GL's initial state, which WebGL shares except for these.
        glDisable(GL_DITHER);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }

    void capability(GLenum cap, bool on) override { on ? glEnable(cap) : glDisable(cap); }
    void clear(GLbitfield mask) override { glClear(mask); }
    void clearColor(float r, float g, float b, float a) override { glClearColor(r, g, b, a); }
    void viewport(int x, int y, int w, int h) override { glViewport(x, y, w, h); }
    void depthFunc(GLenum func) override { glDepthFunc(func); }
    void blendFunc(GLenum s, GLenum d) override { glBlendFunc(s, d); }

    void texImage(GLuint name, int w, int h, GLenum format, const uint8_t* pixels) override {
        Texture& t = texture(name);
        glBindTexture(GL_TEXTURE_2D, t.id);
        glTexImage2D(GL_TEXTURE_2D, 0, format, w, h, 0, format, GL_UNSIGNED_BYTE, pixels);
        t.hasImage = true;
    }

    GLint maxTextureSize() override {
        GLint n = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &n);
        return n;
    }

    void texParameter(GLuint name, GLenum pname, GLint value) override {
        Texture& t = texture(name);
        if (pname == GL_TEXTURE_MIN_FILTER) t.minFilter = value;
        if ((pname == GL_TEXTURE_WRAP_S || pname == GL_TEXTURE_WRAP_T) && value == 0x2900 /* GL_CLAMP */)
            value = GL_CLAMP_TO_EDGE;
        glBindTexture(GL_TEXTURE_2D, t.id);
        glTexParameteri(GL_TEXTURE_2D, pname, value);
    }

    void drawStream(const Uniforms& u, const Vertex* v, size_t nv, const uint32_t* idx,
                    const std::vector<Segment>& segs) override {
        size_t ni = 0;
        for (const Segment& s : segs) ni = std::max<size_t>(ni, s.first + s.count);
        glBindBuffer(GL_ARRAY_BUFFER, streamVbo_);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(nv * sizeof(Vertex)), v, GL_STREAM_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamIbo_);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(ni * sizeof(uint32_t)), idx, GL_STREAM_DRAW);
        drawSegments(u, segs);
    }

    void uploadBatch(const Vertex* v, size_t nv, const uint32_t* idx, size_t ni) override {
        glBindBuffer(GL_ARRAY_BUFFER, batchVbo_);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(nv * sizeof(Vertex)), v, GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, batchIbo_);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(ni * sizeof(uint32_t)), idx, GL_STATIC_DRAW);
    }

    void drawBatch(const Uniforms& u, const std::vector<Segment>& segs) override {
        glBindBuffer(GL_ARRAY_BUFFER, batchVbo_);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, batchIbo_);
        drawSegments(u, segs);
    }

private:
    struct Texture {
        GLuint id = 0;
        bool hasImage = false;
        GLint minFilter = 0x2702;  // GL_NEAREST_MIPMAP_LINEAR, GL's default
    };

    GLint loc(const char* name) { return glGetUniformLocation(program_, name); }

    Texture& texture(GLuint name) {
        Texture& t = textures_[name];
        if (!t.id) glGenTextures(1, &t.id);
        return t;
    }

    // Texture 0 and textures GL would find incomplete (no image, or a
    // mipmapped filter without mipmaps) leave the fragment untextured.
    bool complete(GLuint name) {
        auto it = textures_.find(name);
        if (name == 0 || it == textures_.end() || !it->second.hasImage) return false;
        GLint f = it->second.minFilter;
        return f == GL_NEAREST || f == GL_LINEAR;
    }

    void setUniforms(const Uniforms& u) {
        glUniformMatrix4fv(loc("u_mv"), 1, GL_FALSE, u.modelview.m);
        glUniformMatrix4fv(loc("u_proj"), 1, GL_FALSE, u.projection.m);
        glUniformMatrix3fv(loc("u_nmat"), 1, GL_FALSE, u.normalMatrix);
        glUniform1i(loc("u_lighting"), u.lighting);
        glUniform1i(loc("u_colorMaterial"), u.colorMaterial);
        glUniform4fv(loc("u_sceneAmbient"), 1, u.sceneAmbient);
        glUniform4fv(loc("u_matAmbient"), 1, u.materialAmbient);
        glUniform4fv(loc("u_matDiffuse"), 1, u.materialDiffuse);
        glUniform1i(loc("u_lightOn"), u.lightOn);
        glUniform4fv(loc("u_lightPos"), 1, u.lightPosition);
        glUniform4fv(loc("u_lightAmbient"), 1, u.lightAmbient);
        glUniform4fv(loc("u_lightDiffuse"), 1, u.lightDiffuse);
        glUniform1i(loc("u_fog"), u.fog);
        glUniform1i(loc("u_fogMode"), u.fogMode == GL_LINEAR ? 0 : u.fogMode == GL_EXP ? 1 : 2);
        glUniform4fv(loc("u_fogColor"), 1, u.fogColor);
        glUniform1f(loc("u_fogStart"), u.fogStart);
        glUniform1f(loc("u_fogEnd"), u.fogEnd);
        glUniform1f(loc("u_fogDensity"), u.fogDensity);
    }

    // With the vertex and index buffers bound.
    void drawSegments(const Uniforms& u, const std::vector<Segment>& segs) {
        const GLsizei stride = sizeof(Vertex);
        glVertexAttribPointer(A_POS, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, pos)));
        glVertexAttribPointer(A_NRM, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, nrm)));
        glVertexAttribPointer(A_TEX, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, tex)));
        glVertexAttribPointer(A_COL, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, col)));
        setUniforms(u);
        GLint textured = loc("u_textured");
        for (const Segment& s : segs) {
            bool on = u.texturing && complete(s.texture);
            glUniform1i(textured, on);
            if (on) glBindTexture(GL_TEXTURE_2D, textures_[s.texture].id);
            glDrawElements(GL_TRIANGLES, GLsizei(s.count), GL_UNSIGNED_INT,
                           reinterpret_cast<void*>(uintptr_t(s.first) * sizeof(uint32_t)));
        }
    }

    GLuint program_ = 0;
    GLuint streamVbo_ = 0, streamIbo_ = 0, batchVbo_ = 0, batchIbo_ = 0;
    std::unordered_map<GLuint, Texture> textures_;
};

}  // namespace

std::unique_ptr<Backend> makeWebGLBackend() { return std::make_unique<WebGLBackend>(); }

}  // namespace vkw
