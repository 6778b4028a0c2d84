// The WebGL side of the browser build: shaders for what the fixed function
// pipeline does for the game (texture modulated by the colour, one light
// with colour material, fog), texture objects, a stream buffer for small
// runs and the resident buffers of the cached batch.
#include "webgl.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <unordered_map>

namespace vkw {

namespace {

// One program for each combination of the state below, so that no shader
// branches on state and none does work for what is off. Fog is computed per
// vertex, as GL allows unless GL_FOG_HINT asks for GL_NICEST.
enum Variant : unsigned {
    V_TEXTURED = 1,
    V_LIGHTING = 2,
    V_LIGHT = 4,           // with V_LIGHTING: the light is on
    V_COLOR_MATERIAL = 8,  // with V_LIGHTING
    V_FOG_PER_PIXEL = 16,  // with a fog mode
    V_FOG_SHIFT = 5,       // 2 bits: 0 none, 1 GL_LINEAR, 2 GL_EXP, 3 GL_EXP2
};

const char kCommon[] = R"(
uniform float u_fogStart;
uniform float u_fogEnd;
uniform float u_fogDensity;
#if FOG
float fogFactor(float z) {
#if FOG == 1
    float f = (u_fogEnd - z) / (u_fogEnd - u_fogStart);
#elif FOG == 2
    float f = exp(-u_fogDensity * z);
#else
    float f = exp(-(u_fogDensity * z) * (u_fogDensity * z));
#endif
    return clamp(f, 0.0, 1.0);
}
varying float v_fog;  // the factor, or per pixel the fog coordinate
#endif
varying vec4 v_col;
#if TEXTURED
varying vec4 v_tex;  // s, t, r, q after the texture matrix
#endif
)";

const char kVertexShader[] = R"(
attribute vec3 a_pos;
attribute vec3 a_nrm;
attribute vec2 a_tex;
attribute vec4 a_col;
uniform mat4 u_mv;
uniform mat4 u_proj;
uniform mat4 u_texmat;
uniform mat3 u_nmat;
uniform vec4 u_sceneAmbient;
uniform vec4 u_matAmbient;
uniform vec4 u_matDiffuse;
uniform vec4 u_lightPos;
uniform vec4 u_lightAmbient;
uniform vec4 u_lightDiffuse;
void main() {
    vec4 eye = u_mv * vec4(a_pos, 1.0);
    gl_Position = u_proj * eye;
    gl_PointSize = 1.0;  // GL's default; WebGL leaves it undefined
#if TEXTURED
    v_tex = u_texmat * vec4(a_tex, 0.0, 1.0);
#endif
#if LIGHTING
#if COLOR_MATERIAL
    vec4 amb = a_col, dif = a_col;
#else
    vec4 amb = u_matAmbient, dif = u_matDiffuse;
#endif
    vec3 c = u_sceneAmbient.rgb * amb.rgb;
#if LIGHT
    vec3 n = u_nmat * a_nrm;
    vec3 l = u_lightPos.w != 0.0 ? u_lightPos.xyz / u_lightPos.w - eye.xyz / eye.w : u_lightPos.xyz;
    c += u_lightAmbient.rgb * amb.rgb + max(dot(n, normalize(l)), 0.0) * u_lightDiffuse.rgb * dif.rgb;
#endif
    v_col = vec4(clamp(c, 0.0, 1.0), dif.a);
#else
    v_col = a_col;
#endif
#if FOG
    float z = abs(eye.z / eye.w);
#if FOG_PER_PIXEL
    v_fog = z;
#else
    v_fog = fogFactor(z);
#endif
#endif
}
)";

const char kFragmentShader[] = R"(
uniform sampler2D u_tex;
uniform vec4 u_fogColor;
void main() {
    vec4 c = v_col;
#if TEXTURED
    c *= texture2DProj(u_tex, v_tex);
#endif
#if FOG
#if FOG_PER_PIXEL
    c.rgb = mix(u_fogColor.rgb, c.rgb, fogFactor(v_fog));
#else
    c.rgb = mix(u_fogColor.rgb, c.rgb, v_fog);
#endif
#endif
    gl_FragColor = c;
}
)";

enum Attrib { A_POS, A_NRM, A_TEX, A_COL };

GLuint compile(GLenum type, const std::string& source) {
    GLuint s = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(s, 1, &text, nullptr);
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

unsigned variantOf(const Uniforms& u, bool textured) {
    unsigned v = textured ? V_TEXTURED : 0;
    if (u.lighting) v |= V_LIGHTING | (u.lightOn ? V_LIGHT : 0) | (u.colorMaterial ? V_COLOR_MATERIAL : 0);
    if (u.fog) {
        unsigned mode = u.fogMode == GL_LINEAR ? 1 : u.fogMode == GL_EXP ? 2 : 3;
        v |= mode << V_FOG_SHIFT | (u.fogPerPixel ? V_FOG_PER_PIXEL : 0);
    }
    return v;
}

// The uniforms of one program, each set only when its value changes.
enum UniformName {
    U_MV, U_PROJ, U_TEXMAT, U_NMAT, U_SCENE_AMBIENT, U_MAT_AMBIENT, U_MAT_DIFFUSE, U_LIGHT_POS,
    U_LIGHT_AMBIENT, U_LIGHT_DIFFUSE, U_FOG_COLOR, U_FOG_START, U_FOG_END, U_FOG_DENSITY, U_COUNT
};
const char* const kUniformNames[U_COUNT] = {
    "u_mv", "u_proj", "u_texmat", "u_nmat", "u_sceneAmbient", "u_matAmbient", "u_matDiffuse", "u_lightPos",
    "u_lightAmbient", "u_lightDiffuse", "u_fogColor", "u_fogStart", "u_fogEnd", "u_fogDensity",
};

struct Program {
    GLuint id = 0;
    GLint loc[U_COUNT];
    float value[U_COUNT][16];     // as last set
    bool known[U_COUNT] = {};     // set at least once

    // Sets uniform n to the count floats at f (at most 16) unless it holds them already.
    template <typename Set>
    void set(UniformName n, const float* f, size_t count, Set apply) {
        if (loc[n] < 0 || (known[n] && std::equal(f, f + count, value[n]))) return;
        std::copy(f, f + count, value[n]);
        known[n] = true;
        apply(loc[n], f);
    }
};

class WebGLBackend : public Backend {
public:
    WebGLBackend() { start(); }

    // A restored context has none of the old objects and WebGL's initial
    // state: everything is made again, the textures from the kept copies.
    void restore() override {
        programs_.clear();
        inUse_ = boundId_ = 0;
        start();
        for (auto& named : textures_) {
            Texture& t = named.second;
            glGenTextures(1, &t.id);
            bind(t.id);
            if (t.hasImage) upload(t);
            for (const auto& p : t.params) glTexParameteri(GL_TEXTURE_2D, p.first, p.second);
        }
    }

    void capability(GLenum cap, bool on) override { on ? glEnable(cap) : glDisable(cap); }
    void clear(GLbitfield mask) override { glClear(mask); }
    void clearColor(float r, float g, float b, float a) override { glClearColor(r, g, b, a); }
    void viewport(int x, int y, int w, int h) override { glViewport(x, y, w, h); }
    void depthFunc(GLenum func) override { glDepthFunc(func); }
    void blendFunc(GLenum s, GLenum d) override { glBlendFunc(s, d); }

    void texImage(GLuint name, int w, int h, GLenum format, const uint8_t* pixels) override {
        Texture& t = texture(name);
        bind(t.id);
        t.hasImage = true;
        t.w = w;
        t.h = h;
        t.format = format;
        t.pixels.assign(pixels, pixels + size_t(w) * h * (format == GL_RGB ? 3 : 4));
        upload(t);
    }

    // A lost context answers 0, which would refuse every texture loaded
    // while it is away: so the limit is the one read when it was made.
    GLint maxTextureSize() override { return maxTextureSize_; }

    void texParameter(GLuint name, GLenum pname, GLint value) override {
        Texture& t = texture(name);
        if (pname == GL_TEXTURE_MIN_FILTER) t.minFilter = value;
        if ((pname == GL_TEXTURE_WRAP_S || pname == GL_TEXTURE_WRAP_T) && value == 0x2900 /* GL_CLAMP */)
            value = GL_CLAMP_TO_EDGE;
        bind(t.id);
        glTexParameteri(GL_TEXTURE_2D, pname, value);
        t.params[pname] = value;
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
        // What a lost context takes with it.
        int w = 0, h = 0;
        GLenum format = GL_RGB;
        std::vector<uint8_t> pixels;
        std::map<GLenum, GLint> params;
    };

    void start() {
        GLint limit = 0;  // 0 from a context lost again already
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
        if (limit > 0) maxTextureSize_ = limit;
        glGenBuffers(1, &streamVbo_);
        glGenBuffers(1, &streamIbo_);
        glGenBuffers(1, &batchVbo_);
        glGenBuffers(1, &batchIbo_);
        for (int a = A_POS; a <= A_COL; a++) glEnableVertexAttribArray(a);
        // GL's initial state, which WebGL shares except for these.
        glDisable(GL_DITHER);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }

    // With the texture bound.
    void upload(const Texture& t) {
        glTexImage2D(GL_TEXTURE_2D, 0, t.format, t.w, t.h, 0, t.format, GL_UNSIGNED_BYTE, t.pixels.data());
    }

    Texture& texture(GLuint name) {
        Texture& t = textures_[name];
        if (!t.id) glGenTextures(1, &t.id);
        return t;
    }

    void bind(GLuint id) {
        if (id == boundId_) return;
        boundId_ = id;
        glBindTexture(GL_TEXTURE_2D, id);
    }

    // Texture 0 and textures GL would find incomplete (no image, or a
    // mipmapped filter without mipmaps) leave the fragment untextured.
    bool complete(GLuint name) {
        auto it = textures_.find(name);
        if (name == 0 || it == textures_.end() || !it->second.hasImage) return false;
        GLint f = it->second.minFilter;
        return f == GL_NEAREST || f == GL_LINEAR;
    }

    Program& program(unsigned variant) {
        Program& p = programs_[variant];
        if (p.id) return p;
        std::string defines = "precision highp float;\n";
        auto define = [&](const char* name, unsigned value) {
            defines += std::string("#define ") + name + " " + std::to_string(value) + "\n";
        };
        define("TEXTURED", (variant & V_TEXTURED) != 0);
        define("LIGHTING", (variant & V_LIGHTING) != 0);
        define("LIGHT", (variant & V_LIGHT) != 0);
        define("COLOR_MATERIAL", (variant & V_COLOR_MATERIAL) != 0);
        define("FOG", variant >> V_FOG_SHIFT);
        define("FOG_PER_PIXEL", (variant & V_FOG_PER_PIXEL) != 0);
        p.id = glCreateProgram();
        glAttachShader(p.id, compile(GL_VERTEX_SHADER, defines + kCommon + kVertexShader));
        glAttachShader(p.id, compile(GL_FRAGMENT_SHADER, defines + kCommon + kFragmentShader));
        glBindAttribLocation(p.id, A_POS, "a_pos");
        glBindAttribLocation(p.id, A_NRM, "a_nrm");
        glBindAttribLocation(p.id, A_TEX, "a_tex");
        glBindAttribLocation(p.id, A_COL, "a_col");
        glLinkProgram(p.id);
        for (int n = 0; n < U_COUNT; n++) p.loc[n] = glGetUniformLocation(p.id, kUniformNames[n]);
        glUseProgram(p.id);
        inUse_ = p.id;
        glUniform1i(glGetUniformLocation(p.id, "u_tex"), 0);
        return p;
    }

    void use(Program& p, const Uniforms& u) {
        if (inUse_ != p.id) {
            inUse_ = p.id;
            glUseProgram(p.id);
        }
        auto m4 = [](GLint l, const float* f) { glUniformMatrix4fv(l, 1, GL_FALSE, f); };
        auto m3 = [](GLint l, const float* f) { glUniformMatrix3fv(l, 1, GL_FALSE, f); };
        auto v4 = [](GLint l, const float* f) { glUniform4fv(l, 1, f); };
        auto f1 = [](GLint l, const float* f) { glUniform1f(l, *f); };
        p.set(U_MV, u.modelview.m, 16, m4);
        p.set(U_PROJ, u.projection.m, 16, m4);
        p.set(U_TEXMAT, u.texture.m, 16, m4);
        p.set(U_NMAT, u.normalMatrix, 9, m3);
        p.set(U_SCENE_AMBIENT, u.sceneAmbient, 4, v4);
        p.set(U_MAT_AMBIENT, u.materialAmbient, 4, v4);
        p.set(U_MAT_DIFFUSE, u.materialDiffuse, 4, v4);
        p.set(U_LIGHT_POS, u.lightPosition, 4, v4);
        p.set(U_LIGHT_AMBIENT, u.lightAmbient, 4, v4);
        p.set(U_LIGHT_DIFFUSE, u.lightDiffuse, 4, v4);
        p.set(U_FOG_COLOR, u.fogColor, 4, v4);
        p.set(U_FOG_START, &u.fogStart, 1, f1);
        p.set(U_FOG_END, &u.fogEnd, 1, f1);
        p.set(U_FOG_DENSITY, &u.fogDensity, 1, f1);
    }

    // With the vertex and index buffers bound.
    void drawSegments(const Uniforms& u, const std::vector<Segment>& segs) {
        const GLsizei stride = sizeof(Vertex);
        glVertexAttribPointer(A_POS, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, pos)));
        glVertexAttribPointer(A_NRM, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, nrm)));
        glVertexAttribPointer(A_TEX, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, tex)));
        glVertexAttribPointer(A_COL, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, col)));
        for (const Segment& s : segs) {
            bool textured = u.texturing && complete(s.texture);
            use(program(variantOf(u, textured)), u);
            if (textured) bind(textures_[s.texture].id);
            glDrawElements(s.mode, GLsizei(s.count), GL_UNSIGNED_INT,
                           reinterpret_cast<void*>(uintptr_t(s.first) * sizeof(uint32_t)));
        }
    }

    GLuint streamVbo_ = 0, streamIbo_ = 0, batchVbo_ = 0, batchIbo_ = 0;
    GLuint inUse_ = 0, boundId_ = 0;
    GLint maxTextureSize_ = 0;
    std::unordered_map<unsigned, Program> programs_;
    std::unordered_map<GLuint, Texture> textures_;
};

}  // namespace

std::unique_ptr<Backend> makeWebGLBackend() { return std::make_unique<WebGLBackend>(); }

}  // namespace vkw
