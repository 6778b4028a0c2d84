// The cache of a large, unchanging immediate-mode run: built once into
// vertex buffers grouped by texture and face plane, then drawn each frame
// with the never-seen and the back-facing groups left out.
#include "glcore.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

namespace vkw {

namespace {

struct QuadKey {
    float p[12];  // the four corners in sorted order
};

bool cornerLess(const float* a, const float* b) {
    return std::lexicographical_compare(a, a + 3, b, b + 3);
}

QuadKey keyOf(const Vertex* q) {
    const float* c[4] = {q[0].pos, q[1].pos, q[2].pos, q[3].pos};
    std::sort(c, c + 4, cornerLess);
    QuadKey k;
    for (int i = 0; i < 4; i++) std::memcpy(k.p + i * 3, c[i], sizeof(float) * 3);
    return k;
}

bool keyLess(const QuadKey& a, const QuadKey& b) { return std::lexicographical_compare(a.p, a.p + 12, b.p, b.p + 12); }
bool keyEqual(const QuadKey& a, const QuadKey& b) { return std::equal(a.p, a.p + 12, b.p); }

float dot3(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// One face normal for all four corners, non-zero and across the quad.
bool planeOf(const Vertex* q, float* plane) {
    const float* n = q[0].nrm;
    for (int i = 1; i < 4; i++)
        if (std::memcmp(q[i].nrm, n, sizeof(float) * 3) != 0) return false;
    float len = std::sqrt(dot3(n, n));
    if (len == 0) return false;
    *plane = dot3(n, q[0].pos);
    for (int i = 1; i < 4; i++) {
        float scale = 1 + std::fabs(q[i].pos[0]) + std::fabs(q[i].pos[1]) + std::fabs(q[i].pos[2]);
        if (std::fabs(dot3(n, q[i].pos) - *plane) > 1e-5f * len * scale) return false;
    }
    return true;
}

struct QuadInfo {
    GLuint texture;
    bool hidden, cullable;
    float normal[3];
    float plane;
};

bool groupLess(const QuadInfo& a, const QuadInfo& b) {
    if (a.texture != b.texture) return a.texture < b.texture;
    if (a.hidden != b.hidden) return a.hidden < b.hidden;
    if (a.cullable != b.cullable) return a.cullable < b.cullable;
    if (!std::equal(a.normal, a.normal + 3, b.normal))
        return std::lexicographical_compare(a.normal, a.normal + 3, b.normal, b.normal + 3);
    return a.plane < b.plane;
}

bool sameGroup(const QuadInfo& a, const QuadInfo& b) { return !groupLess(a, b) && !groupLess(b, a); }

// Sides that two solids share: exactly two quads on the same corners, with
// opposite normals.
void markShared(const std::vector<Vertex>& v, std::vector<QuadInfo>& info) {
    size_t quads = info.size();
    std::vector<QuadKey> keys(quads);
    for (size_t q = 0; q < quads; q++) keys[q] = keyOf(&v[q * 4]);
    std::vector<uint32_t> order(quads);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return keyLess(keys[a], keys[b]); });
    for (size_t i = 0; i < quads;) {
        size_t j = i + 1;
        while (j < quads && keyEqual(keys[order[i]], keys[order[j]])) j++;
        if (j - i == 2) {
            QuadInfo& a = info[order[i]];
            QuadInfo& b = info[order[i + 1]];
            bool opposite = a.cullable && b.cullable && a.normal[0] == -b.normal[0] &&
                            a.normal[1] == -b.normal[1] && a.normal[2] == -b.normal[2];
            if (opposite) a.hidden = b.hidden = true;
        }
        i = j;
    }
}

}  // namespace

bool BatchCache::matches(const std::vector<Vertex>& v, const std::vector<GLuint>& quadTextures) const {
    return !source_.empty() && v.size() == source_.size() && quadTextures == sourceTextures_ &&
           std::memcmp(v.data(), source_.data(), v.size() * sizeof(Vertex)) == 0;
}

void BatchCache::build(const std::vector<Vertex>& v, const std::vector<GLuint>& quadTextures) {
    source_ = v;
    sourceTextures_ = quadTextures;
    size_t quads = std::min(v.size() / 4, quadTextures.size());

    std::vector<QuadInfo> info(quads);
    for (size_t q = 0; q < quads; q++) {
        QuadInfo& i = info[q];
        i.texture = quadTextures[q];
        i.hidden = false;
        i.plane = 0;
        std::memcpy(i.normal, v[q * 4].nrm, sizeof i.normal);
        i.cullable = planeOf(&v[q * 4], &i.plane);
        if (!i.cullable) i.normal[0] = i.normal[1] = i.normal[2] = 0;
    }
    markShared(v, info);

    std::vector<uint32_t> order(quads);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return groupLess(info[a], info[b]); });

    sorted_.clear();
    indices_.clear();
    groups_.clear();
    sorted_.reserve(quads * 4);
    indices_.reserve(quads * 6);
    for (size_t k = 0; k < quads; k++) {
        const QuadInfo& i = info[order[k]];
        if (groups_.empty() || !sameGroup(info[order[k - 1]], i)) {
            BatchGroup g{i.texture, {i.normal[0], i.normal[1], i.normal[2]}, i.plane, i.cullable, i.hidden,
                         uint32_t(indices_.size()), 0};
            groups_.push_back(g);
        }
        uint32_t base = uint32_t(sorted_.size());
        for (int c = 0; c < 4; c++) sorted_.push_back(v[order[k] * 4 + c]);
        const uint32_t tri[6] = {0, 1, 2, 0, 2, 3};
        for (uint32_t t : tri) indices_.push_back(base + t);
        groups_.back().count += 6;
    }

    for (int a = 0; a < 3; a++) {
        lo_[a] = hi_[a] = v.empty() ? 0 : v[0].pos[a];
        for (const Vertex& x : v) {
            lo_[a] = std::min(lo_[a], x.pos[a]);
            hi_[a] = std::max(hi_[a], x.pos[a]);
        }
    }
}

std::vector<Segment> BatchCache::visible(const float* eye) const {
    // An eye inside the solids' box may see inner faces: draw everything.
    bool inside = eye == nullptr;
    float e[3] = {0, 0, 0};
    if (eye) std::copy(eye, eye + 3, e);
    if (eye && eye[3] != 0) {
        inside = true;
        for (int a = 0; a < 3; a++) {
            e[a] /= eye[3];
            inside = inside && lo_[a] < e[a] && e[a] < hi_[a];
        }
    }
    std::vector<Segment> out;
    for (const BatchGroup& g : groups_) {
        bool show = inside || (!g.hidden && (!g.cullable || (eye[3] != 0 ? dot3(g.normal, e) - g.plane > 0
                                                                            : dot3(g.normal, e) > 0)));
        if (!show) continue;
        if (!out.empty() && out.back().texture == g.texture && out.back().first + out.back().count == g.first)
            out.back().count += g.count;
        else
            out.push_back(Segment{g.texture, g.first, g.count});
    }
    return out;
}

}  // namespace vkw
