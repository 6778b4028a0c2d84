// The fixed-function GL 1.1 state machine of the browser build, without
// any WebGL: matrices, lights, fog, display lists and immediate mode. What
// it draws goes to a Backend, which the browser build implements on WebGL
// and the tests implement as a recorder.
#pragma once

#include <vkw/gltypes.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace vkw {

// Column-major, as GL keeps it.
struct Mat4 {
    float m[16];
    static Mat4 identity();
};
Mat4 operator*(const Mat4& a, const Mat4& b);
Mat4 translation(float x, float y, float z);
Mat4 rotation(float degrees, float x, float y, float z);
Mat4 scaling(float x, float y, float z);
Mat4 ortho(double l, double r, double b, double t, double n, double f);
Mat4 perspective(double fovy, double aspect, double n, double f);
Mat4 lookAt(const double eye[3], const double centre[3], const double up[3]);
// General inverse; false (and out untouched) when m is singular.
bool invert(const Mat4& m, Mat4* out);

struct Vertex {
    float pos[3];
    float nrm[3];
    float tex[2];
    float col[4];
};

// Everything a shader needs besides the vertices and the texture.
struct Uniforms {
    Mat4 modelview, projection, texture;
    float normalMatrix[9];
    bool texturing;
    bool lighting;
    bool colorMaterial;
    float sceneAmbient[4];
    float materialAmbient[4], materialDiffuse[4];
    bool lightOn;  // the first enabled light; the layer shades with one
    float lightPosition[4];  // eye space
    float lightAmbient[4], lightDiffuse[4];
    bool fog;
    bool fogPerPixel;  // GL_FOG_HINT is GL_NICEST; otherwise per vertex, as GL allows
    GLenum fogMode;
    float fogColor[4];
    float fogStart, fogEnd, fogDensity;
};

// A range of indices drawn with one texture (name 0: none), as
// GL_TRIANGLES, GL_LINES or GL_POINTS.
struct Segment {
    GLuint texture;
    uint32_t first, count;
    GLenum mode = GL_TRIANGLES;
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual void capability(GLenum cap, bool on) = 0;  // GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE
    virtual void clear(GLbitfield mask) = 0;
    virtual void clearColor(float r, float g, float b, float a) = 0;
    virtual void viewport(int x, int y, int w, int h) = 0;
    virtual void depthFunc(GLenum func) = 0;
    virtual void blendFunc(GLenum s, GLenum d) = 0;
    // pixels: rows tightly packed, first row first; format GL_RGB or GL_RGBA.
    virtual void texImage(GLuint name, int w, int h, GLenum format, const uint8_t* pixels) = 0;
    virtual void texParameter(GLuint name, GLenum pname, GLint value) = 0;
    virtual GLint maxTextureSize() = 0;
    // Vertices and indices valid for this call only.
    virtual void drawStream(const Uniforms& u, const Vertex* v, size_t nv, const uint32_t* idx,
                            const std::vector<Segment>& segs) = 0;
    // Replaces the one resident batch; drawBatch draws index ranges of it.
    virtual void uploadBatch(const Vertex* v, size_t nv, const uint32_t* idx, size_t ni) = 0;
    virtual void drawBatch(const Uniforms& u, const std::vector<Segment>& segs) = 0;
    // After a lost context came back: every object made again, the state
    // WebGL starts with. The context then sets its own state again.
    virtual void restore() {}
};

// Quads of a cached batch that share texture, outward direction, plane and
// block: culled or drawn together.
struct BatchGroup {
    GLuint texture;
    float normal[3];  // outward from its box, whatever glNormal said
    float plane;      // dot(normal, any corner)
    bool cullable;    // faces of closed boxes
    uint32_t first, count;  // indices
    float lo[3], hi[3];     // the box their corners span
};

// An axis-aligned box that six consecutive quads of the run close.
struct BatchCell {
    float lo[3], hi[3];
};

// A quad drawn only while the eye is near one of its cells (at most two):
// a face looking away from the eye, or a side two cells share.
struct NearQuad {
    GLuint texture;
    uint32_t first;  // its six indices
    float normal[3];
    float plane;
    bool shared;     // seen from either side
};

// A large immediate-mode run that came back unchanged frame after frame is
// kept in vertex buffers, grouped by texture and face plane. GL draws every
// face with the depth test and no culling; this draws what can reach a
// pixel of that picture, and only with GL_LEQUAL and no face culling of
// GL's own. When the quads close boxes (the block grid's cubes, six quads
// each, proved from their corners):
// - a side two boxes share comes as two quads on the same corners; at equal
//   depth the later one covers the earlier, which is dropped. The later one
//   can only be seen from inside one of its boxes, or through a box's face
//   cut away by the near plane: it is drawn while the eye is within the near
//   plane's reach of either box, from either side.
// - any other face is drawn while its plane faces the eye (per group), and
//   from behind only while the eye is within that reach of its box.
// Quads that close no boxes are all drawn, but for blocks outside the view.
class BatchCache {
public:
    // Whether v (of which the first `same` are known to equal the cached
    // run's) and its quads' textures are the cached run.
    bool matches(const std::vector<Vertex>& v, size_t same, const std::vector<GLuint>& quadTextures) const;
    // Whether a run of `count` vertices, each equal to the cached run's,
    // with these quads' textures, is the cached run.
    bool isRun(size_t count, const std::vector<GLuint>& quadTextures) const;
    const std::vector<Vertex>& source() const { return source_; }
    // Afterwards vertices() and indices() are what the backend must hold.
    void build(const std::vector<Vertex>& v, const std::vector<GLuint>& quadTextures);
    // Index ranges to draw for an eye at homogeneous object-space point eye
    // (w 0: a direction, as with an orthographic projection; no near set);
    // nearReach: the farthest the near plane reaches from the eye; clip:
    // object to clip space, which leaves out groups outside the view (null:
    // none). Null eye: everything but the covered quads.
    std::vector<Segment> visible(const float* eye, float nearReach, const Mat4* clip = nullptr) const;

    const std::vector<Vertex>& vertices() const { return sorted_; }
    const std::vector<uint32_t>& indices() const { return indices_; }
    const std::vector<BatchGroup>& groups() const { return groups_; }
    size_t cellCount() const { return cells_.size(); }
    bool contains(const float* point) const;
    bool empty() const { return source_.empty(); }

private:
    std::vector<Vertex> source_;
    std::vector<GLuint> sourceTextures_;
    std::vector<Vertex> sorted_;
    std::vector<uint32_t> indices_;
    std::vector<BatchGroup> groups_;
    std::vector<BatchCell> cells_;
    std::vector<NearQuad> near_;
    std::vector<std::vector<uint32_t>> cellNear_;  // per cell: its entries of near_
    float lo_[3] = {0, 0, 0}, hi_[3] = {0, 0, 0};
};

// One recorded GL call of a display list.
struct Command {
    enum Op : uint8_t {
        BEGIN, END, VERTEX, NORMAL, TEXCOORD, COLOR, BIND, ENABLE, DISABLE, BLENDFUNC, DEPTHFUNC,
        MATRIXMODE, LOADIDENTITY, PUSH, POP, MULT, CALLLIST, FOGF, FOGFV, LIGHTFV, CLEAR, CLEARCOLOR,
        VIEWPORT, SHADEMODEL, HINT,
    } op;
    GLenum a = 0, b = 0;
    float f[16] = {};
};

// Converts an upload to tightly packed RGB or RGBA (by the internal
// format's component count), honouring the source rows' alignment.
// Returns false for formats the layer does not take.
bool convertPixels(GLint internalFormat, int w, int h, GLenum format, GLenum type, int alignment,
                   const void* src, std::vector<uint8_t>* out, GLenum* outFormat);

struct Stats {
    uint64_t frames = 0;
    uint32_t drawCalls = 0;      // in the frame being drawn
    uint32_t lastDrawCalls = 0;  // in the last finished frame
    uint64_t indices = 0;        // triangle indices drawn in the frame being drawn
    uint64_t lastIndices = 0;    // in the last finished frame
    bool eyeInside = false;      // the last batch was drawn with the eye inside its box
    uint32_t batchBuilds = 0;
};

class Context {
public:
    explicit Context(Backend* backend);

    // Entry points, named after the GL calls.
    void execute(const Command& c);  // records instead while a list is open
    // What execute does for the calls a floor makes per vertex and per face,
    // outside a display list: a quarter of a million of them every frame.
    void begin(GLenum mode);
    void end() { endPrimitive(); }
    void vertex(float x, float y, float z);
    void normal(float x, float y, float z) { set3(current_.nrm, x, y, z); }
    void texCoord(float s, float t) { current_.tex[0] = s, current_.tex[1] = t; }
    void bindTexture(GLenum target, GLuint name) {
        if (!inBegin_ && target == GL_TEXTURE_2D) bound_ = name;  // the pending primitives keep their own
    }
    GLuint genLists(GLsizei range);
    void newList(GLuint list, GLenum mode);
    void endList();
    void genTextures(GLsizei n, GLuint* names);
    void pixelStore(GLenum pname, GLint value);
    void texImage(GLint internalFormat, GLsizei w, GLsizei h, GLenum format, GLenum type, const void* pixels);
    void texParameter(GLenum pname, GLint value);
    GLint maxTextureSize() { return backend_->maxTextureSize(); }
    void multMatrixd(const double* m);
    // The end of a frame: draws what is pending.
    void swap();
    void flush();
    // The backend lost everything and has been restored: state, and the
    // cached batch, are sent again.
    void restore();

    const Stats& stats() const { return stats_; }
    const Mat4& modelview() const { return mv_.back(); }
    const Mat4& projection() const { return proj_.back(); }
    GLuint boundTexture() const { return bound_; }
    bool compiling() const { return listName_ != 0; }
    const BatchCache& cache() const { return cache_; }

private:
    static void set3(float* to, float x, float y, float z) { to[0] = x, to[1] = y, to[2] = z; }
    void run(const Command& c);
    void setCap(GLenum cap, bool on);
    std::vector<Mat4>& stack();
    Mat4& current() { return stack().back(); }
    void changeMatrix(const Mat4& m, bool replace);
    void endPrimitive();
    size_t pending() const;
    void storeRun();
    void truncateRun(size_t n);
    bool cacheable() const;
    Uniforms uniforms() const;
    void drawPending();
    void drawStream();
    void drawCached();
    bool objectEye(float eye[4]) const;
    float nearReach() const;

    Backend* backend_;
    Stats stats_;

    // Matrices.
    GLenum matrixMode_ = GL_MODELVIEW;
    std::vector<Mat4> mv_, proj_, texMat_;

    // Current attributes, kept as the next vertex so that a vertex only
    // sets its position.
    Vertex current_ = {{0, 0, 0}, {0, 0, 1}, {0, 0}, {1, 1, 1, 1}};

    // Enables kept here, and those passed on to WebGL.
    bool lighting_ = false, colorMaterial_ = false, fog_ = false, texture2d_ = false;
    bool lights_[8] = {};
    bool blend_ = false, depth_ = false, cull_ = false;
    GLenum blendSrc_ = GL_ONE, blendDst_ = GL_ZERO, depthFunc_ = GL_LESS;
    int viewport_[4] = {-1, -1, -1, -1};
    float clearColor_[4] = {0, 0, 0, 0};
    float materialAmbient_[4] = {0.2f, 0.2f, 0.2f, 1};
    float materialDiffuse_[4] = {0.8f, 0.8f, 0.8f, 1};

    struct Light {
        float ambient[4], diffuse[4], position[4];
    } light_[8];
    GLenum fogMode_ = GL_EXP;
    float fogColor_[4] = {0, 0, 0, 0};
    float fogStart_ = 0, fogEnd_ = 1, fogDensity_ = 1;
    GLenum fogHint_ = GL_DONT_CARE;

    // Textures.
    GLuint bound_ = 0;
    GLuint nextTexture_ = 1;
    int unpackAlignment_ = 4;

    // Display lists.
    std::map<GLuint, std::vector<Command>> lists_;
    GLuint nextList_ = 1;
    GLuint listName_ = 0;
    GLenum listMode_ = 0;
    std::vector<Command> recording_;
    int callDepth_ = 0;

    // Immediate mode: the primitives since the last state change other
    // than a texture bind, the open one last.
    struct Piece {
        GLuint texture;
        GLenum mode;
        uint32_t first, count;
    };
    bool inBegin_ = false;
    GLenum beginMode_ = 0;
    uint32_t beginFirst_ = 0;
    // The run's vertices; empty while every one so far equals the cached
    // run's, which then counts them.
    std::vector<Vertex> verts_;
    size_t sameAsCached_ = 0;  // leading vertices of the run equal to the cached run's
    std::vector<Piece> pieces_;
    std::vector<GLuint> quadTex_;
    std::vector<uint32_t> scratch_;
    std::vector<Segment> segs_;
    BatchCache cache_;
};

// Pending runs of at least this many quads are candidates for the cache.
constexpr size_t kBatchMinQuads = 1024;

}  // namespace vkw
