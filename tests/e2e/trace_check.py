#!/usr/bin/env python3
"""Checks an `apitrace dump --arg-names=no` of the game, call by call.

Usage: apitrace dump --arg-names=no --multiline=no TRACE |
           trace_check.py TEXTURE_DIR [--compat] [--summary FILE]

Every expected call is computed here from the game's rules and the image
files in TEXTURE_DIR (sizes and depths), not taken from a recording: the
start-up state, projection and uploads, the test cube's list, fog and light,
and then every traced frame in full (clear, camera, the 4096 floor cubes,
the overlay and the state it leaves). Matrices that GLU builds are compared
as products, whatever calls the GLU at hand uses to build them.

Input: the trace must start at program start and may end after any whole
frame. The frames may hold the 'w' key from some frame on (never before
frame 2); which frame that is is found from the camera, and every frame
is then checked against the movement rules, positions to 1e-5.

--compat accepts the framebuffer plumbing that sdl12-compat adds around each
buffer swap (it draws into its own framebuffer object and blits it); each
such call must leave the program's state as it was.
"""

import math
import struct
import sys

F32 = struct.Struct("<f")


def f32(value):
    return F32.unpack(F32.pack(value))[0]


# ---------------------------------------------------------------- dump parsing

class Call:
    __slots__ = ("no", "name", "args", "ret", "_parsed")

    def __init__(self, no, name, args, ret):
        self.no = no
        self.name = name
        self.args = args
        self.ret = ret
        self._parsed = None

    def parsed(self):
        if self._parsed is None:
            self._parsed = [parse_value(a) for a in split_top(self.args)]
        return self._parsed

    def text(self):
        s = "%s(%s)" % (self.name, self.args)
        return s + (" = " + self.ret if self.ret is not None else "")


def split_top(text):
    """Splits at commas outside braces and parentheses."""
    out, depth, start = [], 0, 0
    for i, ch in enumerate(text):
        if ch in "({":
            depth += 1
        elif ch in ")}":
            depth -= 1
        elif ch == "," and depth == 0:
            out.append(text[start:i].strip())
            start = i + 1
    last = text[start:].strip()
    if last or out:
        out.append(last)
    return out


def parse_value(tok):
    tok = tok.strip()
    if tok.startswith("&"):
        return parse_value(tok[1:])
    if tok.startswith("{") and tok.endswith("}"):
        return [parse_value(t) for t in split_top(tok[1:-1])]
    if tok.startswith("blob(") and tok.endswith(")"):
        return ("blob", int(tok[5:-1]))
    if " | " in tok:
        return frozenset(t.strip() for t in tok.split("|"))
    try:
        return int(tok)
    except ValueError:
        pass
    try:
        return float(tok)
    except ValueError:
        return tok


def parse_line(line):
    """One dump line -> Call, or None for comments, blanks and fake calls."""
    line = line.rstrip("\n")
    if not line or not line[0].isdigit():
        return None
    if line.endswith("// fake"):
        return None
    sp = line.index(" ")
    no = int(line[:sp])
    rest = line[sp + 1:]
    po = rest.index("(")
    name = rest[:po]
    depth = 0
    for i in range(po, len(rest)):
        ch = rest[i]
        if ch in "({":
            depth += 1
        elif ch in ")}":
            depth -= 1
            if depth == 0:
                break
    args = rest[po + 1:i]
    tail = rest[i + 1:]
    ret = None
    if tail.startswith(" = "):
        ret = tail[3:]
        cut = ret.find(" // ")
        if cut >= 0:
            ret = ret[:cut]
    return Call(no, name, args, ret)


# ---------------------------------------------------------------- matrices
# Column-major 4x4 as in GL: element (row r, column c) is m[4 * c + r].

IDENTITY = (1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0,
            0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0)


def mat_mul(a, b):
    out = [0.0] * 16
    for c in range(4):
        for r in range(4):
            out[4 * c + r] = sum(a[4 * k + r] * b[4 * c + k] for k in range(4))
    return tuple(out)


def translate(x, y, z):
    m = list(IDENTITY)
    m[12], m[13], m[14] = x, y, z
    return tuple(m)


def scale(x, y, z):
    m = list(IDENTITY)
    m[0], m[5], m[10] = x, y, z
    return tuple(m)


def rotate(angle, x, y, z):
    n = math.sqrt(x * x + y * y + z * z)
    x, y, z = x / n, y / n, z / n
    c, s = math.cos(math.radians(angle)), math.sin(math.radians(angle))
    t = 1 - c
    return (t * x * x + c, t * x * y + s * z, t * x * z - s * y, 0.0,
            t * x * y - s * z, t * y * y + c, t * y * z + s * x, 0.0,
            t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0.0,
            0.0, 0.0, 0.0, 1.0)


def frustum(l, r, b, t, n, f):
    return (2 * n / (r - l), 0.0, 0.0, 0.0,
            0.0, 2 * n / (t - b), 0.0, 0.0,
            (r + l) / (r - l), (t + b) / (t - b), -(f + n) / (f - n), -1.0,
            0.0, 0.0, -2 * f * n / (f - n), 0.0)


def ortho(l, r, b, t, n, f):
    return (2 / (r - l), 0.0, 0.0, 0.0,
            0.0, 2 / (t - b), 0.0, 0.0,
            0.0, 0.0, -2 / (f - n), 0.0,
            -(r + l) / (r - l), -(t + b) / (t - b), -(f + n) / (f - n), 1.0)


def perspective(fovy, aspect, near, far):
    cot = 1.0 / math.tan(math.radians(fovy) / 2)
    return (cot / aspect, 0.0, 0.0, 0.0,
            0.0, cot, 0.0, 0.0,
            0.0, 0.0, (far + near) / (near - far), -1.0,
            0.0, 0.0, 2 * far * near / (near - far), 0.0)


def look_at(eye, centre, up):
    f = [centre[i] - eye[i] for i in range(3)]
    fl = math.sqrt(sum(v * v for v in f))
    f = [v / fl for v in f]
    s = cross(f, up)
    sl = math.sqrt(sum(v * v for v in s))
    s = [v / sl for v in s]
    u = cross(s, f)
    m = (s[0], u[0], -f[0], 0.0, s[1], u[1], -f[1], 0.0,
         s[2], u[2], -f[2], 0.0, 0.0, 0.0, 0.0, 1.0)
    return mat_mul(m, translate(-eye[0], -eye[1], -eye[2]))


def cross(a, b):
    return [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
            a[0] * b[1] - a[1] * b[0]]


def eye_of(m):
    """Eye and unit view direction of a camera matrix R * T(-eye)."""
    t = (m[12], m[13], m[14])
    eye = tuple(-sum(m[4 * j + i] * t[i] for i in range(3)) for j in range(3))
    d = (-m[2], -m[6], -m[10])
    n = math.sqrt(sum(v * v for v in d))
    return eye, tuple(v / n for v in d)


def mat_close(a, b, tol):
    return all(abs(x - y) <= tol * max(1.0, abs(y)) for x, y in zip(a, b))


def fmt_mat(m):
    return "{" + ", ".join("%.9g" % v for v in m) + "}"


# Calls that multiply onto the current matrix: what GLU may emit.
MATRIX_OPS = {
    "glMultMatrixd": lambda a: tuple(float(v) for v in a[0]),
    "glMultMatrixf": lambda a: tuple(float(v) for v in a[0]),
    "glTranslated": lambda a: translate(*a),
    "glTranslatef": lambda a: translate(*a),
    "glScaled": lambda a: scale(*a),
    "glScalef": lambda a: scale(*a),
    "glRotated": lambda a: rotate(*a),
    "glRotatef": lambda a: rotate(*a),
    "glFrustum": lambda a: frustum(*a),
    "glOrtho": lambda a: ortho(*a),
}


class GLState:
    """The part of GL's state the game touches, replayed from the calls."""

    def __init__(self):
        self.mode = "GL_MODELVIEW"
        self.stacks = {"GL_MODELVIEW": [IDENTITY], "GL_PROJECTION": [IDENTITY],
                       "GL_TEXTURE": [IDENTITY]}
        self.enabled = set()
        self.color = (1.0, 1.0, 1.0, 1.0)
        self.viewport = None
        self.bound = 0
        self.clear_color = (0.0, 0.0, 0.0, 0.0)
        self.in_list = False

    def top(self, mode=None):
        return self.stacks[mode or self.mode][-1]

    def apply(self, call):
        name = call.name
        if self.in_list and name != "glEndList":
            return  # GL_COMPILE: recorded, not executed
        if name in MATRIX_OPS:
            st = self.stacks[self.mode]
            st[-1] = mat_mul(st[-1], MATRIX_OPS[name](call.parsed()))
        elif name == "glLoadIdentity":
            self.stacks[self.mode][-1] = IDENTITY
        elif name in ("glLoadMatrixd", "glLoadMatrixf"):
            self.stacks[self.mode][-1] = tuple(float(v) for v in call.parsed()[0])
        elif name == "glMatrixMode":
            self.mode = call.args
        elif name == "glPushMatrix":
            self.stacks[self.mode].append(self.top())
        elif name == "glPopMatrix":
            self.stacks[self.mode].pop()
        elif name == "glEnable":
            self.enabled.add(call.args)
        elif name == "glDisable":
            self.enabled.discard(call.args)
        elif name in ("glColor3f", "glColor4f"):
            c = call.parsed()
            self.color = tuple(float(v) for v in c) + ((1.0,) if len(c) == 3 else ())
        elif name == "glViewport":
            self.viewport = tuple(call.parsed())
        elif name == "glBindTexture":
            self.bound = call.parsed()[1]
        elif name == "glClearColor":
            self.clear_color = tuple(float(v) for v in call.parsed())
        elif name == "glNewList":
            self.in_list = True
        elif name == "glEndList":
            self.in_list = False


# ---------------------------------------------------------------- expectations

class Cap:
    """An argument or return value to remember under a name."""

    def __init__(self, key):
        self.key = key


class Expect:
    __slots__ = ("name", "args", "ret", "text", "what")

    def __init__(self, what, name, *args, ret=None):
        self.what = what
        self.name = name
        self.args = args
        self.ret = ret
        self.text = None
        if not any(isinstance(a, (Cap, set, frozenset, tuple)) for a in args):
            self.text = ", ".join(fmt_arg(a) for a in args)

    def show(self):
        return "%s(%s)%s" % (self.name, ", ".join(fmt_arg(a) for a in self.args),
                             "" if self.ret is None else " = " + fmt_arg(self.ret))


def fmt_arg(a):
    if isinstance(a, Cap):
        return "<" + a.key + ">"
    if isinstance(a, float):
        if a == int(a) and abs(a) < 1e15:
            return "-0" if (a == 0 and math.copysign(1, a) < 0) else str(int(a))
        return repr(a)
    if isinstance(a, (set, frozenset)):
        return " | ".join(sorted(a))
    if isinstance(a, tuple) and a and a[0] == "blob":
        return "blob(%d)" % a[1]
    if isinstance(a, list):
        return "{" + ", ".join(fmt_arg(v) for v in a) + "}"
    return str(a)


class Mismatch(Exception):
    pass


def values_match(exp, act, caps):
    if isinstance(exp, Cap):
        caps[exp.key] = act
        return True
    if isinstance(exp, list):
        return (isinstance(act, list) and len(act) == len(exp)
                and all(values_match(e, a, caps) for e, a in zip(exp, act)))
    if isinstance(exp, (set, frozenset)):
        got = act if isinstance(act, frozenset) else frozenset([act])
        return got == frozenset(exp)
    if isinstance(exp, tuple):
        return exp == act
    if isinstance(exp, bool) or isinstance(exp, str):
        return exp == act
    if isinstance(exp, int):
        return isinstance(act, (int, float)) and act == exp
    if isinstance(exp, float):
        # The dump prints floats in short form: allow its rounding only.
        return (isinstance(act, (int, float))
                and abs(act - exp) <= 1e-6 * max(1.0, abs(exp)))
    return exp == act


class Checker:
    def __init__(self, calls, compat):
        self.calls = calls
        self.compat = compat
        self.gl = GLState()
        self.caps = {}
        self.pending = None
        self.count = 0
        self.log = []
        self.ignored = 0

    # -- reading

    def _raw(self):
        if self.pending is not None:
            c, self.pending = self.pending, None
            return c
        for line in self.calls:
            c = parse_line(line)
            if c is None:
                continue
            if c.name.startswith("glX") and c.name != "glXSwapBuffers":
                continue
            return c
        return None

    def peek(self):
        c = self._raw()
        self.pending = c
        return c

    def take(self):
        c = self._raw()
        if c is not None:
            self.gl.apply(c)
            self.count += 1
        return c

    def fail(self, what, exp, got):
        raise Mismatch("%s: expected %s, got %s" % (
            what, exp, "end of trace" if got is None else
            "call %d %s" % (got.no, got.text())))

    # -- matching

    def expect(self, e):
        c = self.take()
        if c is None or c.name != e.name:
            self.fail(e.what, e.show(), c)
        if e.text is not None and c.args == e.text and e.ret is None:
            return c
        got = c.parsed()
        if len(got) != len(e.args) or not all(
                values_match(x, a, self.caps) for x, a in zip(e.args, got)):
            self.fail(e.what, e.show(), c)
        if e.ret is not None and not values_match(e.ret, parse_value(c.ret or ""), self.caps):
            self.fail(e.what, e.show(), c)
        return c

    def expect_all(self, what, items):
        for name, *args in items:
            self.expect(Expect(what, name, *args))

    def expect_matrix(self, what, expected, tol):
        """GLU's work: matrix products onto the current matrix."""
        before = self.gl.top()
        first = self.peek()
        n = 0
        while self.peek() is not None and self.peek().name in MATRIX_OPS:
            self.take()
            n += 1
        if n == 0:
            self.fail(what, "a matrix multiplication", self.peek())
        got = self.gl.top()
        want = mat_mul(before, expected)
        if not mat_close(got, want, tol):
            raise Mismatch("%s: at call %d the matrix is %s, expected %s" % (
                what, first.no, fmt_mat(got), fmt_mat(want)))
        return got

    def expect_fog(self, what, pname, values):
        c = self.take()
        if c is None or c.name not in ("glFogf", "glFogi", "glFogfv", "glFogiv"):
            self.fail(what, "glFog*(%s, %s)" % (pname, values), c)
        got = c.parsed()
        vals = got[1] if isinstance(got[1], list) else [got[1]]
        if got[0] != pname or len(vals) != len(values) or not all(
                values_match(v, a, self.caps) for v, a in zip(values, vals)):
            self.fail(what, "glFog*(%s, %s)" % (pname, values), c)

    def skip_swap_plumbing(self):
        """sdl12-compat's own calls around a swap: state-neutral or fail."""
        saved = (self.gl.clear_color, self.gl.viewport, set(self.gl.enabled))
        plumbing = {"glBindFramebuffer", "glGetFloatv", "glGetIntegerv",
                    "glClearColor", "glClear", "glBlitFramebuffer", "glViewport",
                    "glScissor", "glGetError", "glXSwapBuffers",
                    "glBindRenderbuffer"}
        while self.peek() is not None and self.peek().name in plumbing:
            c = self.peek()
            if c.name == "glClear" and c.args != "GL_COLOR_BUFFER_BIT" and \
                    self.gl.clear_color == saved[0]:
                break  # the program's own clear of the next frame
            self.take()
            self.ignored += 1
        if (self.gl.clear_color, self.gl.viewport, self.gl.enabled) != saved:
            raise Mismatch("the library's swap left GL state changed")


# ---------------------------------------------------------------- images

def bmp_size(path):
    with open(path, "rb") as f:
        head = f.read(54)
    if len(head) < 30 or head[:2] != b"BM":
        raise SystemExit("%s: not a bitmap" % path)
    w, h, _, depth = struct.unpack_from("<iiHH", head, 18)
    if depth != 24:
        raise SystemExit("%s: %d bits per pixel; the uploads expect 24" % (path, depth))
    return w, abs(h)


def tga_size(path):
    with open(path, "rb") as f:
        head = f.read(18)
    if len(head) < 18:
        raise SystemExit("%s: short Targa header" % path)
    w, h, depth = struct.unpack_from("<HHB", head, 12)
    return w, h, depth


def blob_size(w, h, bytes_per_pixel, alignment=4):
    row = w * bytes_per_pixel
    padded = (row + alignment - 1) // alignment * alignment
    return padded * (h - 1) + row


# ---------------------------------------------------------------- the rules

def upload_bmp(ck, what, key, path):
    w, h = bmp_size(path)
    ck.expect(Expect(what, "glGetIntegerv", "GL_MAX_TEXTURE_SIZE", Cap("max_texture_size")))
    ck.expect(Expect(what, "glGenTextures", 1, Cap(key)))
    tex = ck.caps[key]
    ck.expect_all(what, [
        ("glPixelStorei", "GL_UNPACK_ALIGNMENT", 4),
        ("glBindTexture", "GL_TEXTURE_2D", tex),
        ("glTexParameteri", "GL_TEXTURE_2D", "GL_TEXTURE_MIN_FILTER", "GL_NEAREST"),
        ("glTexParameteri", "GL_TEXTURE_2D", "GL_TEXTURE_MAG_FILTER", "GL_NEAREST"),
        ("glTexImage2D", "GL_TEXTURE_2D", 0, 3, w, h, 0, "GL_BGR",
         "GL_UNSIGNED_BYTE", ("blob", blob_size(w, h, 3)))])
    if not tex:
        raise Mismatch("%s: texture name 0" % what)


def upload_tga(ck, what, key, path):
    w, h, depth = tga_size(path)
    fmt = "GL_RGB" if depth == 24 else "GL_RGBA"
    ck.expect(Expect(what, "glGetIntegerv", "GL_MAX_TEXTURE_SIZE", Cap("max_texture_size")))
    ck.expect(Expect(what, "glGenTextures", 1, Cap(key)))
    ck.expect_all(what, [
        ("glBindTexture", "GL_TEXTURE_2D", ck.caps[key]),
        ("glTexParameterf", "GL_TEXTURE_2D", "GL_TEXTURE_MIN_FILTER", "GL_NEAREST"),
        ("glTexParameterf", "GL_TEXTURE_2D", "GL_TEXTURE_MAG_FILTER", "GL_NEAREST"),
        ("glTexImage2D", "GL_TEXTURE_2D", 0, fmt, w, h, 0, fmt, "GL_UNSIGNED_BYTE",
         ("blob", blob_size(w, h, depth // 8)))])
    return w, h


def cube_faces(x, y, z, tb, tt, ts, bind_first):
    """The six faces of a unit cube at (x, y, z), in drawing order."""
    x1, y1, z1 = f32(x + 1.0), f32(y + 1.0), f32(z + 1.0)
    faces = [
        (tb, (0.0, -1.0, 0.0), [((0, 1), (x, y, z1)), ((1, 1), (x1, y, z1)),
                                ((1, 0), (x1, y, z)), ((0, 0), (x, y, z))]),
        (tt, (0.0, 1.0, 0.0), [((0, 0), (x, y1, z)), ((1, 0), (x1, y1, z)),
                               ((1, 1), (x1, y1, z1)), ((0, 1), (x, y1, z1))]),
        (ts, (-1.0, 0.0, 0.0), [((0, 0), (x, y, z1)), ((1, 0), (x, y, z)),
                                ((1, 1), (x, y1, z)), ((0, 1), (x, y1, z1))]),
        (ts, (1.0, 0.0, 0.0), [((0, 0), (x1, y, z1)), ((1, 0), (x1, y, z)),
                               ((1, 1), (x1, y1, z)), ((0, 1), (x1, y1, z1))]),
        (ts, (0.0, 0.0, -1.0), [((0, 0), (x, y, z)), ((1, 0), (x1, y, z)),
                                ((1, 1), (x1, y1, z)), ((0, 1), (x, y1, z))]),
        (ts, (0.0, 0.0, 1.0), [((0, 0), (x, y, z1)), ((1, 0), (x1, y, z1)),
                               ((1, 1), (x1, y1, z1)), ((0, 1), (x, y1, z1))]),
    ]
    out = []
    for i, (tex, normal, verts) in enumerate(faces):
        if i > 0 or bind_first:
            out.append(("glBindTexture", "GL_TEXTURE_2D", tex))
        out.append(("glBegin", "GL_QUADS"))
        out.append(("glNormal3f",) + normal)
        for (s, t), v in verts:
            out.append(("glTexCoord2f", float(s), float(t)))
            out.append(("glVertex3f",) + v)
        out.append(("glEnd",))
    return [Expect("", *c) for c in out]


def aresize(mode):
    calls = [("glViewport", 0, 0, 640, 480), ("glMatrixMode", "GL_PROJECTION"),
             ("glLoadIdentity",)]
    if mode == "ortho":
        calls.append(("glOrtho", 0.0, 640.0, 480.0, 0.0, -1.0, 1.0))
    return calls


PERSPECTIVE_45 = perspective(45.0, f32(640.0 / 480.0), 0.1, 100.0)
PERSPECTIVE_60 = perspective(60.0, f32(640.0 / 480.0), 1.0, 1000.0)


def screen_switch(ck, what, mode):
    ck.expect_all(what, aresize(mode))
    if mode == "perspective":
        ck.expect_matrix(what + ": gluPerspective(45, 4/3, 0.1, 100)", PERSPECTIVE_45, 1e-9)
    ck.expect_all(what, [("glMatrixMode", "GL_MODELVIEW"), ("glLoadIdentity",)])


def sprite(ck, what, tex, x, y, w, h):
    screen_switch(ck, what, "ortho")
    ck.expect_all(what, [
        ("glDisable", "GL_DEPTH_TEST"),
        ("glBindTexture", "GL_TEXTURE_2D", tex),
        ("glBlendFunc", "GL_SRC_ALPHA", "GL_ONE_MINUS_SRC_ALPHA"),
        ("glEnable", "GL_BLEND"),
        ("glBegin", "GL_QUADS"),
        ("glTexCoord2f", 0.0, 0.0), ("glVertex2f", float(x), float(y + h)),
        ("glTexCoord2f", 1.0, 0.0), ("glVertex2f", float(x + w), float(y + h)),
        ("glTexCoord2f", 1.0, 1.0), ("glVertex2f", float(x + w), float(y)),
        ("glTexCoord2f", 0.0, 1.0), ("glVertex2f", float(x), float(y)),
        ("glEnd",),
        ("glDisable", "GL_BLEND"),
        ("glEnable", "GL_DEPTH_TEST")])
    screen_switch(ck, what, "perspective")


def deg2rad(d):
    return d * 0.017453292519943295


class Player:
    """The movement rules, with the float/double mix of the game."""

    def __init__(self):
        self.x, self.y, self.z = 0.0, 2.0, 0.0
        self.yrot = self.xrot = 0.0
        self.mxvel = self.myvel = self.mzvel = 0.0

    def copy(self):
        p = Player()
        p.__dict__.update(self.__dict__)
        return p

    def key_step(self, keys):
        r = deg2rad(self.yrot)
        if "w" in keys:
            self.x = f32(self.x - 0.25 * math.sin(r))
            self.z = f32(self.z - 0.25 * math.cos(r))
        if "s" in keys:
            self.x = f32(self.x + 0.25 * math.sin(r))
            self.z = f32(self.z + 0.25 * math.cos(r))
        if "d" in keys:
            self.x = f32(self.x - 0.25 * math.sin(deg2rad(self.yrot - 90.0)))
            self.z = f32(self.z - 0.25 * math.cos(deg2rad(self.yrot - 90.0)))
        if "a" in keys:
            self.x = f32(self.x - 0.25 * math.sin(deg2rad(self.yrot + 90.0)))
            self.z = f32(self.z - 0.25 * math.cos(deg2rad(self.yrot + 90.0)))
        if "space" in keys and self.y <= f32(-0.3):
            self.mzvel = f32(0.6)

    def draw_step(self):
        if self.mxvel > 0 and self.yrot < 360:
            self.yrot = f32(self.yrot + self.mxvel)
        elif self.yrot >= 360:
            self.yrot = 1.0
        if self.mxvel < 0 and self.yrot > 0:
            self.yrot = f32(self.yrot + self.mxvel)
        elif self.yrot <= 0:
            self.yrot = 359.0
        if self.myvel < 0 and self.xrot > -80:
            self.xrot = f32(self.xrot + self.myvel)
        if self.myvel > 0 and self.xrot < 46:
            self.xrot = f32(self.xrot + self.myvel)
        if self.mzvel > 0:
            self.y = f32(self.y + self.mzvel)
            self.mzvel = f32(self.mzvel - 0.1)
        for v in ("mxvel", "myvel"):
            if getattr(self, v) > 0:
                setattr(self, v, getattr(self, v) - 0.5)
            if getattr(self, v) < 0:
                setattr(self, v, getattr(self, v) + 0.5)
        if (self.y < -0.3 and -32 < self.x < 32 and -32 < self.z < 32
                and self.y > -3):
            self.y = f32(-0.3)
        if self.y > -64:
            self.y = f32(self.y - 0.1)

    def camera(self):
        r, p = deg2rad(self.yrot), deg2rad(self.xrot)
        eye = (self.x, self.y + 1.7, self.z)
        centre = (self.x - math.sin(r), self.y + 1.7 - math.tan(p),
                  self.z - math.cos(r))
        return eye, centre


def unit(v):
    n = math.sqrt(sum(c * c for c in v))
    return tuple(c / n for c in v)


def close3(a, b, tol):
    return all(abs(x - y) <= tol for x, y in zip(a, b))


def fmt3(v):
    return "(%.7f, %.7f, %.7f)" % tuple(v)


# ---------------------------------------------------------------- the run

def check_startup(ck, tex_dir):
    def img(n):
        return "%s/%s" % (tex_dir, n)

    what = "initGL"
    ck.expect_all(what, [
        ("glShadeModel", "GL_SMOOTH"), ("glEnable", "GL_DEPTH_TEST"),
        ("glDepthFunc", "GL_LEQUAL"), ("glClearColor", 0.0, 0.0, 0.0, 0.0),
        ("glViewport", 0, 0, 640, 480), ("glMatrixMode", "GL_PROJECTION"),
        ("glLoadIdentity",)])
    ck.expect_matrix("initGL: gluPerspective(60, 4/3, 1, 1000)", PERSPECTIVE_60, 1e-9)
    ck.expect_all(what, [("glMatrixMode", "GL_MODELVIEW"), ("glLoadIdentity",)])

    upload_bmp(ck, "StoneTexture (stone.bmp)", "StoneTexture", img("stone.bmp"))
    ck.expect(Expect("start-up", "glEnable", "GL_TEXTURE_2D"))
    stone = ck.caps["StoneTexture"]
    ck.expect(Expect("test cube list", "glGenLists", 1, ret=Cap("list")))
    ck.expect(Expect("test cube list", "glNewList", ck.caps["list"], "GL_COMPILE"))
    for e in cube_faces(0.0, 0.0, 0.0, stone, stone, stone, True):
        e.what = "test cube list"
        ck.expect(e)
    ck.expect(Expect("test cube list", "glEndList"))
    ck.log.append("test cube: display list %s, 6 faces at the origin" % ck.caps["list"])

    upload_bmp(ck, "InitWorld txStone", "grid_stone", img("stone.bmp"))
    upload_bmp(ck, "InitWorld txObTile", "grid_tile", img("ob_tile.bmp"))
    upload_bmp(ck, "cInitWorld txStone", "model_stone", img("stone.bmp"))
    upload_bmp(ck, "cInitWorld txObTile", "model_tile", img("ob_tile.bmp"))

    what = "fog"
    ck.expect_fog(what, "GL_FOG_MODE", ["GL_LINEAR"])
    ck.expect_fog(what, "GL_FOG_COLOR", [0.2, 0.4, 0.6, 1.0])
    ck.expect_fog(what, "GL_FOG_DENSITY", [0.35])
    ck.expect(Expect(what, "glHint", "GL_FOG_HINT", "GL_DONT_CARE"))
    ck.expect_fog(what, "GL_FOG_START", [1.0])
    ck.expect_fog(what, "GL_FOG_END", [54.0])
    ck.expect(Expect(what, "glEnable", "GL_FOG"))
    what = "light"
    ck.expect_all(what, [
        ("glLightfv", "GL_LIGHT1", "GL_AMBIENT", [0.2, 0.2, 0.1, 1.0]),
        ("glLightfv", "GL_LIGHT1", "GL_DIFFUSE", [1.0, 1.0, 0.8, 1.0]),
        ("glLightfv", "GL_LIGHT1", "GL_POSITION", [0.0, 3.0, 0.0, 24.0]),
        ("glEnable", "GL_LIGHT1"), ("glEnable", "GL_LIGHTING")])
    if ck.gl.top("GL_MODELVIEW") != IDENTITY:
        raise Mismatch("light position given under a modelview that is not the identity")

    upload_bmp(ck, "Texture_Dirt (dirt.bmp)", "dirt", img("dirt.bmp"))
    upload_tga(ck, "Texture_Obsidian (wireframe.tga)", "obsidian", img("wireframe.tga"))
    cursor = upload_tga(ck, "tCursor (crosshair.tga)", "cursor", img("crosshair.tga"))
    logo = upload_tga(ck, "sprLogo (vaskellogo.tga)", "logo", img("vaskellogo.tga"))
    upload_tga(ck, "txWireframe (wireframe.tga)", "wireframe", img("wireframe.tga"))
    ck.expect(Expect("start-up", "glClearColor", 0.3, 0.5, 0.7, 1.0))

    names = [ck.caps[k] for k in ("StoneTexture", "grid_stone", "grid_tile",
                                  "model_stone", "model_tile", "dirt", "obsidian",
                                  "cursor", "logo", "wireframe")]
    if len(set(names)) != len(names):
        raise Mismatch("texture names are not all different: %s" % names)
    ck.log.append("start-up: %d calls; 10 textures %s; fog, light, projection ok"
                  % (ck.count, names))
    return cursor, logo


def check_frame(ck, n, player, state):
    what = "frame %d" % n
    ck.expect_all(what, [
        ("glClear", {"GL_COLOR_BUFFER_BIT", "GL_DEPTH_BUFFER_BIT"}),
        ("glBindTexture", "GL_TEXTURE_2D", ck.caps["StoneTexture"]),
        ("glMatrixMode", "GL_MODELVIEW"), ("glLoadIdentity",),
        ("glEnable", "GL_COLOR_MATERIAL"), ("glColor3f", 1.0, 1.0, 1.0)])

    # The camera: which input the frame had is read off the matrix, then
    # the whole matrix must be what the rules give for that input.
    first = ck.peek()
    got = ck.expect_matrix(what + ": camera", IDENTITY, float("inf"))
    eye, direction = eye_of(got)
    options = [("w",)] if state["walking"] else [(), ("w",)]
    chosen = None
    for keys in options:
        p = player.copy()
        p.key_step(set(keys))
        p.draw_step()
        e, c = p.camera()
        d = unit([c[i] - e[i] for i in range(3)])
        if close3(eye, e, 1e-5) and close3(direction, d, 1e-5) and \
                mat_close(got, look_at(e, c, (0.0, 1.0, 0.0)), 1e-5):
            chosen = (keys, p, e, d)
            break
    if chosen is None:
        lines = []
        for keys in options:
            p = player.copy()
            p.key_step(set(keys))
            p.draw_step()
            e, c = p.camera()
            lines.append("keys %s: eye %s dir %s" % (
                list(keys) or "none", fmt3(e), fmt3(unit([c[i] - e[i] for i in range(3)]))))
        raise Mismatch("%s: camera at call %d has eye %s dir %s; the rules give %s" % (
            what, first.no, fmt3(eye), fmt3(direction), "; or ".join(lines)))
    keys, newp, e, d = chosen
    if keys and not state["walking"]:
        if n < 2:
            raise Mismatch("w held from frame 1: the trace needs one frame without input")
        state["walking"] = True
        state["walk_from"] = n
    if state["prev_eye"] is not None:
        step = tuple(eye[i] - state["prev_eye"][i] for i in range(3))
        want = tuple(e[i] - state["prev_want"][i] for i in range(3))
        if not close3(step, want, 1e-5):
            raise Mismatch("%s: camera moved by %s since the last frame, the rules give %s"
                           % (what, fmt3(step), fmt3(want)))
        state["steps"].append((n, keys, step))
    state["prev_eye"], state["prev_want"] = eye, e
    player.__dict__.update(newp.__dict__)
    proj = ck.gl.top("GL_PROJECTION")
    want_proj = PERSPECTIVE_60 if n == 1 else PERSPECTIVE_45
    if not mat_close(proj, want_proj, 1e-9):
        raise Mismatch("%s: the world is drawn under projection %s, expected %s"
                       % (what, fmt_mat(proj), fmt_mat(want_proj)))
    ck.log.append("frame %d: keys %s, eye %s, yaw %g, view %s" % (
        n, "+".join(keys) or "none", fmt3(eye), player.yrot, fmt3(direction)))

    # The floor, slot by slot.
    stone, tile = ck.caps["grid_stone"], ck.caps["grid_tile"]
    for slot in range(4096):
        row, col = divmod(slot, 64)
        tex = stone if (row + col) % 2 == 0 else tile
        x, z = f32(float(col - 32)), f32(float(32 - row))
        head = [Expect("", "glBindTexture", "GL_TEXTURE_2D", tex),
                Expect("", "glDisable", "GL_BLEND"),
                Expect("", "glEnable", "GL_DEPTH_TEST")]
        for e in head + cube_faces(x, -2.0, z, tex, tex, tex, False):
            e.what = "%s: cube %d (%g, -2, %g)" % (what, slot, x, z)
            ck.expect(e)

    # The overlay.
    screen_switch(ck, what + ": overlay", "ortho")
    ck.expect_all(what + ": overlay", [("glLoadIdentity",), ("glDisable", "GL_LIGHTING")])
    cw, chh = state["cursor"]
    sprite(ck, what + ": crosshair", ck.caps["cursor"], 312, 232, cw, chh)
    lw, lh = state["logo"]
    if state["splashtimer"] > 0:
        sprite(ck, what + ": logo", ck.caps["logo"], 0, 0, lw, lh)
        state["splashtimer"] -= 1
        logo = "logo at full strength"
    elif state["splashalpha"] > 0:
        state["splashalpha"] = f32(state["splashalpha"] - 0.04)
        ck.expect(Expect(what + ": logo fade", "glColor4f", 1.0, 1.0, 1.0,
                         state["splashalpha"]))
        sprite(ck, what + ": logo", ck.caps["logo"], 0, 0, lw, lh)
        ck.expect(Expect(what + ": logo fade", "glColor4f", 1.0, 1.0, 1.0, 1.0))
        logo = "logo at %.2f" % state["splashalpha"]
    else:
        logo = "no logo"
    screen_switch(ck, what + ": overlay end", "perspective")
    ck.expect_all(what + ": overlay end", [("glEnable", "GL_LIGHTING"), ("glLoadIdentity",)])

    # What the frame leaves for the next one.
    gl = ck.gl
    on = {"GL_DEPTH_TEST", "GL_LIGHTING", "GL_LIGHT1", "GL_FOG", "GL_TEXTURE_2D",
          "GL_COLOR_MATERIAL"}
    if not on <= gl.enabled or "GL_BLEND" in gl.enabled:
        raise Mismatch("%s ends with enabled %s" % (what, sorted(gl.enabled)))
    if gl.top("GL_MODELVIEW") != IDENTITY or gl.mode != "GL_MODELVIEW":
        raise Mismatch("%s ends without an identity modelview" % what)
    if not mat_close(gl.top("GL_PROJECTION"), PERSPECTIVE_45, 1e-9):
        raise Mismatch("%s ends without the 45-degree projection" % what)
    if gl.color != (1.0, 1.0, 1.0, 1.0) or gl.viewport != (0, 0, 640, 480):
        raise Mismatch("%s ends with colour %s, viewport %s" % (what, gl.color, gl.viewport))
    if ck.compat:
        c = ck.peek()
        if c is not None and c.name == "glXSwapBuffers":
            ck.take()
        ck.skip_swap_plumbing()
    else:
        ck.expect(Expect(what, "glXSwapBuffers", Cap("dpy"), Cap("drawable")))
    ck.log[-1] += "; 4096 cubes, crosshair, %s" % logo


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    tex_dir = argv[1]
    compat = "--compat" in argv
    summary = None
    if "--summary" in argv:
        summary = argv[argv.index("--summary") + 1]
    ck = Checker(sys.stdin, compat)
    frames = 0
    try:
        if compat:
            # The library's own set-up before the program's first call.
            while ck.peek() is not None and ck.peek().name != "glShadeModel":
                ck.take()
                ck.ignored += 1
            ck.gl = GLState()
            ck.count = 0
        cursor, logo = check_startup(ck, tex_dir)
        state = {"walking": False, "walk_from": None, "prev_eye": None, "prev_want": None,
                 "steps": [], "splashtimer": 60, "splashalpha": 1.0,
                 "cursor": cursor, "logo": logo}
        player = Player()
        player.key_step(set())  # the start-up step, no keys held
        while True:
            c = ck.peek()
            if c is None:
                break
            frames += 1
            check_frame(ck, frames, player, state)
        if frames < 3:
            raise Mismatch("only %d frame(s) traced; need at least 3" % frames)
        if not state["walking"] or frames - state["walk_from"] < 1:
            raise Mismatch("no two consecutive frames with w held were traced")
        walked = [s for s in state["steps"] if s[1]]
        ck.log.append("w held from frame %d; steps between frames with w: %s" % (
            state["walk_from"], ", ".join("%d: %s" % (n, fmt3(s)) for n, _, s in walked)))
        ck.log.append("OK: %d frames, %d calls checked%s" % (
            frames, ck.count, ", %d library calls skipped" % ck.ignored if compat else ""))
        ok = True
    except Mismatch as e:
        ck.log.append("FAIL: %s" % e)
        ok = False
    text = "\n".join(ck.log) + "\n"
    sys.stdout.write(text)
    if summary:
        with open(summary, "w") as f:
            f.write(text)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
