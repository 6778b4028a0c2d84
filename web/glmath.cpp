// Matrix helpers of the web layer's GL state machine: what glTranslate,
// glOrtho, gluPerspective and gluLookAt multiply onto the current matrix.
#include "glcore.h"

#include <cmath>
#include <cstring>

namespace vkw {

Mat4 Mat4::identity() {
    Mat4 r{};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1;
    return r;
}

Mat4 operator*(const Mat4& a, const Mat4& b) {
    Mat4 r{};
    for (int c = 0; c < 4; c++)
        for (int row = 0; row < 4; row++) {
            float s = 0;
            for (int k = 0; k < 4; k++) s += a.m[k * 4 + row] * b.m[c * 4 + k];
            r.m[c * 4 + row] = s;
        }
    return r;
}

Mat4 translation(float x, float y, float z) {
    Mat4 r = Mat4::identity();
    r.m[12] = x;
    r.m[13] = y;
    r.m[14] = z;
    return r;
}

Mat4 scaling(float x, float y, float z) {
    Mat4 r = Mat4::identity();
    r.m[0] = x;
    r.m[5] = y;
    r.m[10] = z;
    return r;
}

Mat4 rotation(float degrees, float x, float y, float z) {
    double len = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
    if (len == 0) return Mat4::identity();
    double ux = x / len, uy = y / len, uz = z / len;
    double a = degrees * 3.14159265358979323846 / 180.0;
    double c = std::cos(a), s = std::sin(a), t = 1 - c;
    Mat4 r = Mat4::identity();
    r.m[0] = float(t * ux * ux + c);
    r.m[1] = float(t * ux * uy + s * uz);
    r.m[2] = float(t * ux * uz - s * uy);
    r.m[4] = float(t * ux * uy - s * uz);
    r.m[5] = float(t * uy * uy + c);
    r.m[6] = float(t * uy * uz + s * ux);
    r.m[8] = float(t * ux * uz + s * uy);
    r.m[9] = float(t * uy * uz - s * ux);
    r.m[10] = float(t * uz * uz + c);
    return r;
}

Mat4 ortho(double l, double r, double b, double t, double n, double f) {
    Mat4 m = Mat4::identity();
    if (l == r || b == t || n == f) return m;  // GL_INVALID_VALUE: no change
    m.m[0] = float(2 / (r - l));
    m.m[5] = float(2 / (t - b));
    m.m[10] = float(-2 / (f - n));
    m.m[12] = float(-(r + l) / (r - l));
    m.m[13] = float(-(t + b) / (t - b));
    m.m[14] = float(-(f + n) / (f - n));
    return m;
}

Mat4 perspective(double fovy, double aspect, double n, double f) {
    double half = fovy / 2 * 3.14159265358979323846 / 180.0;
    double s = std::sin(half);
    Mat4 m = Mat4::identity();
    if (f == n || s == 0 || aspect == 0) return m;  // GLU leaves the matrix alone
    double cot = std::cos(half) / s;
    m.m[0] = float(cot / aspect);
    m.m[5] = float(cot);
    m.m[10] = float(-(f + n) / (f - n));
    m.m[11] = -1;
    m.m[14] = float(-2 * n * f / (f - n));
    m.m[15] = 0;
    return m;
}

namespace {

void normalize(double v[3]) {
    double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len == 0) return;
    for (int i = 0; i < 3; i++) v[i] /= len;
}

void cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

// As GLU computes it: the rows are side, up and back, then the eye moves
// to the origin.
Mat4 lookAt(const double eye[3], const double centre[3], const double up[3]) {
    double f[3] = {centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]};
    normalize(f);
    double s[3], u[3];
    cross(f, up, s);
    normalize(s);
    cross(s, f, u);
    Mat4 r = Mat4::identity();
    for (int i = 0; i < 3; i++) {
        r.m[i * 4 + 0] = float(s[i]);
        r.m[i * 4 + 1] = float(u[i]);
        r.m[i * 4 + 2] = float(-f[i]);
    }
    return r * translation(float(-eye[0]), float(-eye[1]), float(-eye[2]));
}

bool invert(const Mat4& in, Mat4* out) {
    const float* m = in.m;
    double inv[16];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
             m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
             m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
             m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
              m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
             m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
             m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
             m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
              m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
             m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
              m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
              m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
             m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (det == 0) return false;
    for (int i = 0; i < 16; i++) out->m[i] = float(inv[i] / det);
    return true;
}

}  // namespace vkw
