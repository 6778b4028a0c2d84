// The GL 1.1 state machine of the browser build: state, display lists and
// immediate mode, drawn through a Backend.
#include "glcore.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vkw {

namespace {

const int kMaxStack = 32;
const int kMaxListDepth = 64;  // GL's own nesting limit for glCallList

void copy4(float* to, const float* from) { std::memcpy(to, from, sizeof(float) * 4); }

void set4(float* to, float a, float b, float c, float d) {
    to[0] = a;
    to[1] = b;
    to[2] = c;
    to[3] = d;
}

bool sameMatrix(const Mat4& a, const Mat4& b) { return std::memcmp(a.m, b.m, sizeof a.m) == 0; }

// Bit for bit, a word at a time.
bool sameVertex(const Vertex& a, const Vertex& b) {
    static_assert(sizeof(Vertex) % 8 == 0, "whole words");
    const auto* p = reinterpret_cast<const unsigned char*>(&a);
    const auto* q = reinterpret_cast<const unsigned char*>(&b);
    for (size_t i = 0; i < sizeof(Vertex); i += 8) {
        uint64_t x, y;
        std::memcpy(&x, p + i, 8);
        std::memcpy(&y, q + i, 8);
        if (x != y) return false;
    }
    return true;
}

int components(GLenum format) {
    switch (format) {
        case GL_RGB: case GL_BGR: return 3;
        case GL_RGBA: case GL_BGRA: return 4;
        case GL_LUMINANCE: case GL_ALPHA: return 1;
        default: return 0;
    }
}

}  // namespace

bool convertPixels(GLint internalFormat, int w, int h, GLenum format, GLenum type, int alignment, const void* src,
                   std::vector<uint8_t>* out, GLenum* outFormat) {
    int outComps = internalFormat == 3 || internalFormat == GL_RGB ? 3
                   : internalFormat == 4 || internalFormat == GL_RGBA ? 4 : 0;
    int inComps = components(format);
    if (!outComps || !inComps || type != GL_UNSIGNED_BYTE || w <= 0 || h <= 0 || w > 16384 || h > 16384)
        return false;
    if (alignment != 1 && alignment != 2 && alignment != 4 && alignment != 8) return false;
    *outFormat = outComps == 3 ? GL_RGB : GL_RGBA;
    size_t rowBytes = size_t(w) * inComps;
    size_t stride = (rowBytes + alignment - 1) / alignment * alignment;
    out->assign(size_t(w) * h * outComps, 0);
    if (!src) return true;  // GL allows an upload of undefined contents
    const auto* in = static_cast<const uint8_t*>(src);
    uint8_t* o = out->data();
    for (int y = 0; y < h; y++) {
        const uint8_t* p = in + stride * y;
        for (int x = 0; x < w; x++, p += inComps, o += outComps) {
            uint8_t rgba[4] = {0, 0, 0, 255};
            switch (format) {
                case GL_RGB: case GL_RGBA: std::memcpy(rgba, p, inComps); break;
                case GL_BGR: case GL_BGRA:
                    std::memcpy(rgba, p, inComps);
                    std::swap(rgba[0], rgba[2]);
                    break;
                case GL_LUMINANCE: rgba[0] = rgba[1] = rgba[2] = p[0]; break;
                default: rgba[0] = rgba[1] = rgba[2] = 0; rgba[3] = p[0]; break;  // GL_ALPHA
            }
            std::memcpy(o, rgba, outComps);
        }
    }
    return true;
}

Context::Context(Backend* backend) : backend_(backend) {
    mv_.push_back(Mat4::identity());
    proj_.push_back(Mat4::identity());
    texMat_.push_back(Mat4::identity());
    for (int i = 0; i < 8; i++) {
        set4(light_[i].ambient, 0, 0, 0, 1);
        float d = i == 0 ? 1.0f : 0.0f;
        set4(light_[i].diffuse, d, d, d, 1);
        set4(light_[i].position, 0, 0, 1, 0);
    }
}

void Context::execute(const Command& c) {
    if (listName_ != 0) {
        recording_.push_back(c);
        if (listMode_ == GL_COMPILE) return;
    }
    run(c);
}

GLuint Context::genLists(GLsizei range) {
    if (range <= 0) return 0;
    GLuint first = nextList_;
    nextList_ += GLuint(range);
    return first;
}

void Context::newList(GLuint list, GLenum mode) {
    if (list == 0 || listName_ != 0 || (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE)) return;
    listName_ = list;
    listMode_ = mode;
    recording_.clear();
}

void Context::endList() {
    if (listName_ == 0) return;
    lists_[listName_] = recording_;
    recording_.clear();
    listName_ = 0;
}

void Context::genTextures(GLsizei n, GLuint* names) {
    for (GLsizei i = 0; i < n; i++) names[i] = nextTexture_++;
}

void Context::pixelStore(GLenum pname, GLint value) {
    if (pname == GL_UNPACK_ALIGNMENT) unpackAlignment_ = value;
}

// Texture 0 stands for "no texture" here: uploads to it are dropped.
void Context::texImage(GLint internalFormat, GLsizei w, GLsizei h, GLenum format, GLenum type, const void* pixels) {
    if (bound_ == 0) return;
    std::vector<uint8_t> converted;
    GLenum outFormat = 0;
    if (!convertPixels(internalFormat, w, h, format, type, unpackAlignment_, pixels, &converted, &outFormat)) return;
    drawPending();
    backend_->texImage(bound_, w, h, outFormat, converted.data());
}

void Context::texParameter(GLenum pname, GLint value) {
    if (bound_ == 0) return;
    drawPending();
    backend_->texParameter(bound_, pname, value);
}

void Context::multMatrixd(const double* m) {
    Command c{Command::MULT};
    for (int i = 0; i < 16; i++) c.f[i] = float(m[i]);
    execute(c);
}

void Context::swap() {
    drawPending();
    stats_.frames++;
    stats_.lastDrawCalls = stats_.drawCalls;
    stats_.drawCalls = 0;
    stats_.lastIndices = stats_.indices;
    stats_.indices = 0;
}

void Context::flush() { drawPending(); }

void Context::restore() {
    backend_->restore();
    backend_->capability(GL_BLEND, blend_);
    backend_->capability(GL_DEPTH_TEST, depth_);
    backend_->capability(GL_CULL_FACE, cull_);
    backend_->blendFunc(blendSrc_, blendDst_);
    backend_->depthFunc(depthFunc_);
    backend_->clearColor(clearColor_[0], clearColor_[1], clearColor_[2], clearColor_[3]);
    if (viewport_[2] >= 0) backend_->viewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
    if (!cache_.empty())
        backend_->uploadBatch(cache_.vertices().data(), cache_.vertices().size(), cache_.indices().data(),
                              cache_.indices().size());
}

std::vector<Mat4>& Context::stack() {
    return matrixMode_ == GL_PROJECTION ? proj_ : matrixMode_ == GL_TEXTURE ? texMat_ : mv_;
}

void Context::changeMatrix(const Mat4& m, bool replace) {
    Mat4 next = replace ? m : current() * m;
    if (sameMatrix(next, current())) return;
    drawPending();
    current() = next;
}

void Context::setCap(GLenum cap, bool on) {
    bool* flag = nullptr;
    bool passOn = false;
    switch (cap) {
        case GL_LIGHTING: flag = &lighting_; break;
        case GL_COLOR_MATERIAL: flag = &colorMaterial_; break;
        case GL_FOG: flag = &fog_; break;
        case GL_TEXTURE_2D: flag = &texture2d_; break;
        case GL_BLEND: flag = &blend_; passOn = true; break;
        case GL_DEPTH_TEST: flag = &depth_; passOn = true; break;
        case GL_CULL_FACE: flag = &cull_; passOn = true; break;
        default:
            if (cap >= GL_LIGHT0 && cap <= GL_LIGHT7) flag = &lights_[cap - GL_LIGHT0];
            break;
    }
    if (!flag || *flag == on) return;
    drawPending();
    *flag = on;
    if (passOn) backend_->capability(cap, on);
    // While colour material is on, the material follows the current colour.
    if (cap == GL_COLOR_MATERIAL && on) {
        copy4(materialAmbient_, current_.col);
        copy4(materialDiffuse_, current_.col);
    }
}

void Context::begin(GLenum mode) {
    if (inBegin_) return;
    inBegin_ = true;
    beginMode_ = mode;
    beginFirst_ = uint32_t(pending());
}

// While the run is the cached one vertex for vertex, nothing is stored:
// copying the floor's 4.7 MB a frame cost the page more than comparing it.
size_t Context::pending() const { return verts_.empty() ? sameAsCached_ : verts_.size(); }

void Context::storeRun() {
    if (!verts_.empty() || sameAsCached_ == 0) return;
    const std::vector<Vertex>& cached = cache_.source();
    verts_.assign(cached.begin(), cached.begin() + std::ptrdiff_t(sameAsCached_));
}

void Context::truncateRun(size_t n) {
    if (!verts_.empty()) verts_.resize(n);
    sameAsCached_ = std::min(sameAsCached_, n);
}

void Context::vertex(float x, float y, float z) {
    if (!inBegin_) return;
    set3(current_.pos, x, y, z);
    const Vertex& v = current_;
    // Compared with the cached run while it is at hand: a second pass over
    // the floor's 4.7 MB a frame took a quarter of the page's own time.
    const std::vector<Vertex>& cached = cache_.source();
    size_t n = pending();
    bool same = n == sameAsCached_ && n < cached.size() && sameVertex(v, cached[n]);
    if (same && verts_.empty()) {
        sameAsCached_++;
        return;
    }
    storeRun();
    if (same) sameAsCached_++;
    verts_.push_back(v);
}

void Context::run(const Command& c) {
    switch (c.op) {
        case Command::BEGIN: begin(c.a); return;
        case Command::END: endPrimitive(); return;
        case Command::VERTEX: vertex(c.f[0], c.f[1], c.f[2]); return;
        case Command::NORMAL: normal(c.f[0], c.f[1], c.f[2]); return;
        case Command::TEXCOORD: texCoord(c.f[0], c.f[1]); return;
        case Command::COLOR:
            copy4(current_.col, c.f);
            if (colorMaterial_) {
                copy4(materialAmbient_, current_.col);
                copy4(materialDiffuse_, current_.col);
            }
            return;
        default: break;
    }
    // Everything below is a state change, which GL forbids inside glBegin.
    if (inBegin_) return;
    switch (c.op) {
        case Command::BIND: bindTexture(c.a, c.b); return;
        case Command::ENABLE: setCap(c.a, true); return;
        case Command::DISABLE: setCap(c.a, false); return;
        case Command::BLENDFUNC:
            if (c.a == blendSrc_ && c.b == blendDst_) return;
            drawPending();
            blendSrc_ = c.a;
            blendDst_ = c.b;
            backend_->blendFunc(c.a, c.b);
            return;
        case Command::DEPTHFUNC:
            if (c.a == depthFunc_) return;
            drawPending();
            depthFunc_ = c.a;
            backend_->depthFunc(c.a);
            return;
        case Command::MATRIXMODE:
            if (c.a == GL_MODELVIEW || c.a == GL_PROJECTION || c.a == GL_TEXTURE) matrixMode_ = c.a;
            return;
        case Command::LOADIDENTITY: changeMatrix(Mat4::identity(), true); return;
        case Command::MULT: {
            Mat4 m;
            std::memcpy(m.m, c.f, sizeof m.m);
            changeMatrix(m, false);
            return;
        }
        case Command::PUSH: {
            auto& s = stack();
            if (int(s.size()) < kMaxStack) s.push_back(s.back());
            return;
        }
        case Command::POP: {
            auto& s = stack();
            if (s.size() < 2) return;
            if (!sameMatrix(s[s.size() - 2], s.back())) drawPending();
            s.pop_back();
            return;
        }
        case Command::CALLLIST: {
            auto it = lists_.find(c.a);
            if (it == lists_.end() || callDepth_ >= kMaxListDepth) return;
            callDepth_++;
            for (const Command& inner : it->second) run(inner);
            callDepth_--;
            return;
        }
        case Command::FOGF:
        case Command::FOGFV:
            drawPending();
            switch (c.a) {
                case GL_FOG_MODE: fogMode_ = GLenum(c.f[0]); break;
                case GL_FOG_START: fogStart_ = c.f[0]; break;
                case GL_FOG_END: fogEnd_ = c.f[0]; break;
                case GL_FOG_DENSITY: fogDensity_ = c.f[0]; break;
                case GL_FOG_COLOR:
                    if (c.op == Command::FOGFV) copy4(fogColor_, c.f);
                    break;
                default: break;
            }
            return;
        case Command::LIGHTFV: {
            if (c.a < GL_LIGHT0 || c.a > GL_LIGHT7) return;
            drawPending();
            Light& l = light_[c.a - GL_LIGHT0];
            if (c.b == GL_AMBIENT) copy4(l.ambient, c.f);
            if (c.b == GL_DIFFUSE) copy4(l.diffuse, c.f);
            if (c.b == GL_POSITION) {
                // Stored in eye space, under the modelview of this moment.
                const float* m = mv_.back().m;
                for (int r = 0; r < 4; r++)
                    l.position[r] = m[r] * c.f[0] + m[4 + r] * c.f[1] + m[8 + r] * c.f[2] + m[12 + r] * c.f[3];
            }
            return;
        }
        case Command::CLEAR:
            drawPending();
            backend_->clear(c.a);
            return;
        case Command::CLEARCOLOR:
            copy4(clearColor_, c.f);
            backend_->clearColor(c.f[0], c.f[1], c.f[2], c.f[3]);
            return;
        case Command::VIEWPORT: {
            int v[4] = {int(c.f[0]), int(c.f[1]), int(c.f[2]), int(c.f[3])};
            if (std::equal(v, v + 4, viewport_)) return;
            drawPending();
            std::copy(v, v + 4, viewport_);
            backend_->viewport(v[0], v[1], v[2], v[3]);
            return;
        }
        case Command::HINT:
            if (c.a != GL_FOG_HINT || c.b == fogHint_) return;
            drawPending();
            fogHint_ = c.b;
            return;
        default: return;  // shade model: smooth shading is all there is
    }
}

// Keeps whole primitives only; consecutive quads, triangles, lines or
// points with one texture become one piece.
void Context::endPrimitive() {
    if (!inBegin_) return;
    inBegin_ = false;
    uint32_t count = uint32_t(pending()) - beginFirst_;
    switch (beginMode_) {
        case GL_QUADS: count -= count % 4; break;
        case GL_TRIANGLES: count -= count % 3; break;
        case GL_TRIANGLE_FAN: case GL_TRIANGLE_STRIP: case GL_POLYGON:
            if (count < 3) count = 0;
            break;
        case GL_LINES: count -= count % 2; break;
        case GL_LINE_STRIP: case GL_LINE_LOOP:
            if (count < 2) count = 0;
            break;
        case GL_POINTS: break;
        default: count = 0; break;
    }
    truncateRun(beginFirst_ + count);
    if (count == 0) return;
    bool joinable = beginMode_ == GL_QUADS || beginMode_ == GL_TRIANGLES || beginMode_ == GL_LINES ||
                    beginMode_ == GL_POINTS;
    if (joinable && !pieces_.empty()) {
        Piece& last = pieces_.back();
        if (last.mode == beginMode_ && last.texture == bound_ && last.first + last.count == beginFirst_) {
            last.count += count;
            return;
        }
    }
    pieces_.push_back(Piece{bound_, beginMode_, beginFirst_, count});
}

Uniforms Context::uniforms() const {
    Uniforms u{};
    u.modelview = mv_.back();
    u.projection = proj_.back();
    u.texture = texMat_.back();
    Mat4 inv;
    if (!invert(u.modelview, &inv)) inv = Mat4::identity();
    // The inverse transpose of the modelview's upper 3x3, column-major.
    for (int c = 0; c < 3; c++)
        for (int r = 0; r < 3; r++) u.normalMatrix[c * 3 + r] = inv.m[r * 4 + c];
    u.texturing = texture2d_;
    u.lighting = lighting_;
    u.colorMaterial = colorMaterial_;
    set4(u.sceneAmbient, 0.2f, 0.2f, 0.2f, 1);
    copy4(u.materialAmbient, materialAmbient_);
    copy4(u.materialDiffuse, materialDiffuse_);
    for (int i = 0; i < 8; i++) {
        if (!lights_[i]) continue;
        u.lightOn = true;
        copy4(u.lightPosition, light_[i].position);
        copy4(u.lightAmbient, light_[i].ambient);
        copy4(u.lightDiffuse, light_[i].diffuse);
        break;
    }
    u.fog = fog_;
    u.fogPerPixel = fogHint_ == GL_NICEST;
    u.fogMode = fogMode_;
    copy4(u.fogColor, fogColor_);
    u.fogStart = fogStart_;
    u.fogEnd = fogEnd_;
    u.fogDensity = fogDensity_;
    return u;
}

// Large opaque, depth-tested quad runs may be cached and culled: drawing
// their faces in another order or not at all cannot change the picture.
// With GL_LESS the earlier of two coincident quads wins, which the cache
// does not keep; with GL's own culling a dropped face may be the one GL
// would have drawn.
bool Context::cacheable() const {
    if (!depth_ || blend_ || cull_ || depthFunc_ != GL_LEQUAL) return false;
    size_t quads = 0;
    for (const Piece& p : pieces_) {
        if (p.mode != GL_QUADS) return false;
        quads += p.count / 4;
    }
    return quads >= kBatchMinQuads;
}

void Context::drawPending() {
    if (inBegin_ || pieces_.empty()) return;
    if (cacheable())
        drawCached();
    else
        drawStream();
    verts_.clear();
    sameAsCached_ = 0;
    pieces_.clear();
}

void Context::drawStream() {
    storeRun();
    scratch_.clear();
    segs_.clear();
    for (const Piece& p : pieces_) {
        uint32_t start = uint32_t(scratch_.size());
        uint32_t f = p.first, n = p.count;
        GLenum mode = GL_TRIANGLES;
        switch (p.mode) {
            case GL_QUADS:
                for (uint32_t q = f; q < f + n; q += 4)
                    for (uint32_t t : {0u, 1u, 2u, 0u, 2u, 3u}) scratch_.push_back(q + t);
                break;
            case GL_TRIANGLE_STRIP:
                for (uint32_t i = 0; i + 2 < n; i++) {
                    bool odd = i % 2;
                    scratch_.insert(scratch_.end(), {f + i + (odd ? 1 : 0), f + i + (odd ? 0 : 1), f + i + 2});
                }
                break;
            case GL_TRIANGLE_FAN: case GL_POLYGON:
                for (uint32_t i = 1; i + 1 < n; i++) scratch_.insert(scratch_.end(), {f, f + i, f + i + 1});
                break;
            case GL_LINE_STRIP: case GL_LINE_LOOP:
                mode = GL_LINES;
                for (uint32_t i = 0; i + 1 < n; i++) scratch_.insert(scratch_.end(), {f + i, f + i + 1});
                if (p.mode == GL_LINE_LOOP) scratch_.insert(scratch_.end(), {f + n - 1, f});
                break;
            default:  // triangles, lines and points as they came
                mode = p.mode;
                for (uint32_t i = f; i < f + n; i++) scratch_.push_back(i);
                break;
        }
        uint32_t added = uint32_t(scratch_.size()) - start;
        if (!segs_.empty() && segs_.back().texture == p.texture && segs_.back().mode == mode)
            segs_.back().count += added;
        else
            segs_.push_back(Segment{p.texture, start, added, mode});
    }
    backend_->drawStream(uniforms(), verts_.data(), verts_.size(), scratch_.data(), segs_);
    stats_.drawCalls += uint32_t(segs_.size());
    stats_.indices += scratch_.size();
}

void Context::drawCached() {
    quadTex_.clear();
    for (const Piece& p : pieces_) quadTex_.insert(quadTex_.end(), p.count / 4, p.texture);
    bool cached = verts_.empty() ? cache_.isRun(sameAsCached_, quadTex_) : cache_.matches(verts_, sameAsCached_, quadTex_);
    if (!cached) {
        storeRun();
        cache_.build(verts_, quadTex_);
        backend_->uploadBatch(cache_.vertices().data(), cache_.vertices().size(), cache_.indices().data(),
                              cache_.indices().size());
        stats_.batchBuilds++;
    }
    float eye[4];
    bool known = objectEye(eye);
    if (known && eye[3] != 0) {
        float point[3] = {eye[0] / eye[3], eye[1] / eye[3], eye[2] / eye[3]};
        stats_.eyeInside = cache_.contains(point);
    }
    Mat4 clip = proj_.back() * mv_.back();
    std::vector<Segment> segs = cache_.visible(known ? eye : nullptr, nearReach(), &clip);
    backend_->drawBatch(uniforms(), segs);
    stats_.drawCalls += uint32_t(segs.size());
    for (const Segment& s : segs) stats_.indices += s.count;
}

// How far from the eye the near plane of a perspective projection reaches:
// its farthest corner, with a margin for rounding. Nothing nearer than the
// near plane is drawn, so a face closer than this may be cut away and show
// what lies behind it.
float Context::nearReach() const {
    const float* p = proj_.back().m;
    if (p[11] >= 0 || p[10] == 1 || p[0] == 0 || p[5] == 0) return 0;
    double n = p[14] / (p[10] - 1.0);
    double right = n * (1 + std::fabs(p[8])) / p[0], top = n * (1 + std::fabs(p[9])) / p[5];
    return float(std::sqrt(n * n + right * right + top * top) * 1.01 + 1e-4);
}

// The viewer in object coordinates: the eye point of a perspective
// projection, or the direction toward the viewer of a parallel one. False
// for any other projection, which gets no culling.
bool Context::objectEye(float eye[4]) const {
    const float* p = proj_.back().m;
    float local[4];
    if (p[3] == 0 && p[7] == 0 && p[11] < 0 && p[15] == 0)
        set4(local, 0, 0, 0, 1);
    else if (p[3] == 0 && p[7] == 0 && p[11] == 0 && p[15] != 0)
        set4(local, 0, 0, 1, 0);
    else
        return false;
    Mat4 inv;
    if (!invert(mv_.back(), &inv)) return false;
    for (int r = 0; r < 4; r++)
        eye[r] = inv.m[r] * local[0] + inv.m[4 + r] * local[1] + inv.m[8 + r] * local[2] + inv.m[12 + r] * local[3];
    return true;
}

}  // namespace vkw
