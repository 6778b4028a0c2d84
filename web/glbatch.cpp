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

// The box lo..hi, started at the first point when empty, grown to take p.
void growBox(float* lo, float* hi, const float* p, bool empty) {
    for (int a = 0; a < 3; a++) {
        lo[a] = empty ? p[a] : std::min(lo[a], p[a]);
        hi[a] = empty ? p[a] : std::max(hi[a], p[a]);
    }
}

// A group's quads are split into blocks of this many units on a side, so
// that blocks outside the view can be left out. Ordered by z, then y, then
// x, a row of neighbouring blocks stays one range of indices.
const float kBlock = 8;

struct QuadInfo {
    GLuint texture;
    bool cullable;
    enum Role : uint8_t { FACE, SHARED, COVERED } role;
    uint32_t partner;  // for SHARED and COVERED: the quad on the same corners
    float normal[3];
    float plane;
    float block[3];  // z, y, x of the block its first corner lies in
};

bool groupLess(const QuadInfo& a, const QuadInfo& b) {
    if (a.texture != b.texture) return a.texture < b.texture;
    if (a.cullable != b.cullable) return a.cullable < b.cullable;
    if (!std::equal(a.normal, a.normal + 3, b.normal))
        return std::lexicographical_compare(a.normal, a.normal + 3, b.normal, b.normal + 3);
    if (a.plane != b.plane) return a.plane < b.plane;
    return std::lexicographical_compare(a.block, a.block + 3, b.block, b.block + 3);
}

bool sameGroup(const QuadInfo& a, const QuadInfo& b) { return !groupLess(a, b) && !groupLess(b, a); }

// Sides that two solids share: exactly two quads on the same corners, with
// opposite normals. GL_LEQUAL lets the later one cover the earlier.
void markShared(const std::vector<Vertex>& v, std::vector<QuadInfo>& info) {
    size_t quads = info.size();
    std::vector<QuadKey> keys(quads);
    for (size_t q = 0; q < quads; q++) keys[q] = keyOf(&v[q * 4]);
    std::vector<uint32_t> order(quads);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return keyLess(keys[a], keys[b]); });
    for (size_t i = 0; i < quads;) {
        size_t j = i + 1;
        while (j < quads && keyEqual(keys[order[i]], keys[order[j]])) j++;
        if (j - i == 2) {
            uint32_t early = order[i], late = order[i + 1];  // stable: submission order
            QuadInfo& a = info[early];
            QuadInfo& b = info[late];
            bool opposite = a.cullable && b.cullable && a.normal[0] == -b.normal[0] &&
                            a.normal[1] == -b.normal[1] && a.normal[2] == -b.normal[2];
            if (opposite) {
                a.role = QuadInfo::COVERED;
                b.role = QuadInfo::SHARED;
                a.partner = late;
                b.partner = early;
            }
        }
        i = j;
    }
}

// Whether quad q covers the whole side of box on axis a at `at`, as two
// triangles that do not fold over: its corners are the side's four
// corners, each next one along an edge.
bool coversSide(const Vertex* q, const BatchCell& box, int a, float at) {
    int b = (a + 1) % 3, c = (a + 2) % 3;
    unsigned corners = 0;
    for (int k = 0; k < 4; k++) {
        const float* p = q[k].pos;
        bool atB = p[b] == box.hi[b], atC = p[c] == box.hi[c];
        if (p[a] != at || !(atB || p[b] == box.lo[b]) || !(atC || p[c] == box.lo[c])) return false;
        corners |= 1u << (atB + 2 * atC);
        const float* n = q[(k + 1) % 4].pos;
        if ((n[b] != p[b]) == (n[c] != p[c])) return false;
    }
    return corners == 15;
}

// Six consecutive quads per box, each covering its own side of the box
// their corners span: the box is closed, and each quad's outward side
// (side / 2 the axis, side % 2 the high end) comes from where it lies, not
// from its normal. Empty when the run is not made of such boxes.
std::vector<BatchCell> findCells(const std::vector<Vertex>& v, size_t quads, std::vector<uint8_t>* sides) {
    std::vector<BatchCell> cells;
    if (quads == 0 || quads % 6 != 0) return cells;
    cells.reserve(quads / 6);
    sides->assign(quads, 0);
    for (size_t c = 0; c < quads / 6; c++) {
        BatchCell box;
        const Vertex* q = &v[c * 24];
        for (int k = 0; k < 24; k++) growBox(box.lo, box.hi, q[k].pos, k == 0);
        for (int a = 0; a < 3; a++)
            if (!(box.lo[a] < box.hi[a])) return {};
        unsigned faces = 0;
        for (int f = 0; f < 6; f++) {
            int on = -1;
            for (int side = 0; side < 6 && on < 0; side++)
                if (coversSide(q + f * 4, box, side / 2, side % 2 ? box.hi[side / 2] : box.lo[side / 2])) on = side;
            if (on < 0 || (faces & (1u << on))) return {};
            faces |= 1u << on;
            (*sides)[c * 6 + f] = uint8_t(on);
        }
        cells.push_back(box);
    }
    return cells;
}

// Whether the box lies wholly beyond one plane of the clip volume, where
// nothing in it reaches a pixel. The planes are linear in clip space, so
// this holds whichever side of the eye the corners lie.
bool outsideView(const Mat4& clip, const float* lo, const float* hi) {
    unsigned beyond = 63;  // two bits per axis: below -w, above w
    for (int k = 0; k < 8 && beyond; k++) {
        const float p[3] = {k & 1 ? hi[0] : lo[0], k & 2 ? hi[1] : lo[1], k & 4 ? hi[2] : lo[2]};
        float c[4];
        for (int r = 0; r < 4; r++)
            c[r] = clip.m[r] * p[0] + clip.m[4 + r] * p[1] + clip.m[8 + r] * p[2] + clip.m[12 + r];
        float slack = 1e-4f * (std::fabs(c[3]) + 1);
        unsigned out = 0;
        for (int a = 0; a < 3; a++) {
            if (c[a] < -c[3] - slack) out |= 1u << (2 * a);
            if (c[a] > c[3] + slack) out |= 2u << (2 * a);
        }
        beyond &= out;
    }
    return beyond != 0;
}

float distanceToBox(const float* e, const float* lo, const float* hi) {
    float d2 = 0;
    for (int a = 0; a < 3; a++) {
        float d = std::max({lo[a] - e[a], 0.0f, e[a] - hi[a]});
        d2 += d * d;
    }
    return std::sqrt(d2);
}

void addSegment(std::vector<Segment>& out, GLuint texture, uint32_t first, uint32_t count) {
    if (!out.empty() && out.back().texture == texture && out.back().first + out.back().count == first)
        out.back().count += count;
    else
        out.push_back(Segment{texture, first, count});
}

}  // namespace

bool BatchCache::isRun(size_t count, const std::vector<GLuint>& quadTextures) const {
    return !source_.empty() && count == source_.size() && quadTextures == sourceTextures_;
}

bool BatchCache::matches(const std::vector<Vertex>& v, size_t same, const std::vector<GLuint>& quadTextures) const {
    if (!isRun(v.size(), quadTextures)) return false;
    same = std::min(same, v.size());
    return std::memcmp(v.data() + same, source_.data() + same, (v.size() - same) * sizeof(Vertex)) == 0;
}

void BatchCache::build(const std::vector<Vertex>& v, const std::vector<GLuint>& quadTextures) {
    source_ = v;
    sourceTextures_ = quadTextures;
    size_t quads = std::min(v.size() / 4, quadTextures.size());

    const float origin[3] = {0, 0, 0};
    growBox(lo_, hi_, v.empty() ? origin : v[0].pos, true);
    for (const Vertex& x : v) growBox(lo_, hi_, x.pos, false);
    std::vector<uint8_t> sides;
    cells_ = findCells(v, quads, &sides);
    bool boxes = !cells_.empty();
    if (!boxes) cells_.push_back(BatchCell{{lo_[0], lo_[1], lo_[2]}, {hi_[0], hi_[1], hi_[2]}});

    // Only a face of a closed box may be culled: from outside, the box's
    // own near faces hide it.
    std::vector<QuadInfo> info(quads);
    for (size_t q = 0; q < quads; q++) {
        QuadInfo& i = info[q];
        i.texture = quadTextures[q];
        i.role = QuadInfo::FACE;
        i.partner = 0;
        i.cullable = boxes;
        i.normal[0] = i.normal[1] = i.normal[2] = 0;
        i.plane = 0;
        if (boxes) {
            int a = sides[q] / 2;
            float out = sides[q] % 2 ? 1.0f : -1.0f;
            i.normal[a] = out;
            i.plane = out * v[q * 4].pos[a];
        }
        for (int a = 0; a < 3; a++) i.block[2 - a] = std::floor(v[q * 4].pos[a] / kBlock);
    }
    markShared(v, info);

    auto cellOf = [&](uint32_t q) { return boxes ? q / 6 : 0u; };

    // Faces first, grouped for culling by plane; then the shared sides, which
    // only the near set draws. Covered quads are not kept at all.
    std::vector<uint32_t> faces, shared;
    for (uint32_t q = 0; q < quads; q++) {
        if (info[q].role == QuadInfo::FACE) faces.push_back(q);
        if (info[q].role == QuadInfo::SHARED) shared.push_back(q);
    }
    auto byGroup = [&](uint32_t a, uint32_t b) { return groupLess(info[a], info[b]); };
    std::stable_sort(faces.begin(), faces.end(), byGroup);
    std::stable_sort(shared.begin(), shared.end(), byGroup);

    sorted_.clear();
    indices_.clear();
    groups_.clear();
    near_.clear();
    cellNear_.assign(cells_.size(), {});
    sorted_.reserve((faces.size() + shared.size()) * 4);
    indices_.reserve((faces.size() + shared.size()) * 6);
    auto emit = [&](uint32_t q) {
        uint32_t base = uint32_t(sorted_.size()), first = uint32_t(indices_.size());
        for (int c = 0; c < 4; c++) sorted_.push_back(v[q * 4 + c]);
        const uint32_t tri[6] = {0, 1, 2, 0, 2, 3};
        for (uint32_t t : tri) indices_.push_back(base + t);
        return first;
    };
    auto addNear = [&](uint32_t q, uint32_t first, bool isShared) {
        const QuadInfo& i = info[q];
        uint32_t id = uint32_t(near_.size());
        near_.push_back(NearQuad{i.texture, first, {i.normal[0], i.normal[1], i.normal[2]}, i.plane, isShared});
        cellNear_[cellOf(q)].push_back(id);
        if (isShared && cellOf(i.partner) != cellOf(q)) cellNear_[cellOf(i.partner)].push_back(id);
    };
    for (size_t k = 0; k < faces.size(); k++) {
        const QuadInfo& i = info[faces[k]];
        bool opens = groups_.empty() || !sameGroup(info[faces[k - 1]], i);
        if (opens)
            groups_.push_back(BatchGroup{i.texture, {i.normal[0], i.normal[1], i.normal[2]}, i.plane, i.cullable,
                                         uint32_t(indices_.size()), 0, {}, {}});
        BatchGroup& g = groups_.back();
        for (int c = 0; c < 4; c++) growBox(g.lo, g.hi, v[faces[k] * 4 + c].pos, opens && c == 0);
        uint32_t first = emit(faces[k]);
        g.count += 6;
        if (i.cullable) addNear(faces[k], first, false);
    }
    for (uint32_t q : shared) addNear(q, emit(q), true);
}

bool BatchCache::contains(const float* point) const { return distanceToBox(point, lo_, hi_) == 0; }

std::vector<Segment> BatchCache::visible(const float* eye, float nearReach, const Mat4* clip) const {
    std::vector<Segment> out;
    if (!eye) {
        for (const BatchGroup& g : groups_) addSegment(out, g.texture, g.first, g.count);
        for (const NearQuad& q : near_)
            if (q.shared) addSegment(out, q.texture, q.first, 6);
        return out;
    }
    bool point = eye[3] != 0;
    float e[3] = {eye[0], eye[1], eye[2]};
    if (point)
        for (float& c : e) c /= eye[3];
    auto facing = [&](const float* n, float plane) { return point ? dot3(n, e) - plane > 0 : dot3(n, e) > 0; };

    for (const BatchGroup& g : groups_)
        if ((!g.cullable || facing(g.normal, g.plane)) && !(clip && outsideView(*clip, g.lo, g.hi)))
            addSegment(out, g.texture, g.first, g.count);
    if (!point || distanceToBox(e, lo_, hi_) > nearReach) return out;

    // Near the run: faces seen from behind and shared sides, from the
    // boxes the eye is in or the near plane reaches into.
    std::vector<uint32_t> picked;
    for (size_t c = 0; c < cells_.size(); c++) {
        if (distanceToBox(e, cells_[c].lo, cells_[c].hi) > nearReach) continue;
        for (uint32_t id : cellNear_[c])
            if (near_[id].shared || !facing(near_[id].normal, near_[id].plane)) picked.push_back(id);
    }
    std::sort(picked.begin(), picked.end());
    picked.erase(std::unique(picked.begin(), picked.end()), picked.end());
    std::sort(picked.begin(), picked.end(), [&](uint32_t a, uint32_t b) { return near_[a].first < near_[b].first; });
    for (uint32_t id : picked) addSegment(out, near_[id].texture, near_[id].first, 6);
    return out;
}

}  // namespace vkw
