#!/usr/bin/env bash
# make_art.sh - draws every picture, icon and sound of the launcher.
#
# Writes into the directory this script lives in (res/art):
#   ring.png face.png hour.png minute.png second.png hub.png   clock and panel
#   label_delete.png label_move.png badge_locked.png           drag ghost
#   bomb0.png .. bomb5.png                                     explosion frames
#   *_hi.png   the clock, ring and ghost pictures again at 2.5 times their
#              size: drawn scaled down, they stay sharp up to 240 DPI (250 %)
#   (the icons hold sizes up to 256 x 256 for the same reason)
#   app.ico ie.ico unknown.ico computer.ico recycle.ico control.ico web.ico
#   add.wav remove.wav
#
# Requirements (Debian packages):
#   imagemagick          /usr/bin/convert (ImageMagick 6)
#   sox                  /usr/bin/sox
#   python3              standard library only (exact anti-aliased pixel work)
#   a font with Chinese glyphs for the two drag labels, one of
#                        fonts-wqy-microhei, fonts-noto-cjk, fonts-droid-fallback
#                        (found through `fc-list :lang=zh`)
#
# The output is deterministic: the PNGs drawn in python are written byte for
# byte by hand, ImageMagick output is stripped of time stamps and sox runs in
# repeatable mode without dither. Running the script again rewrites the same
# files.
set -euo pipefail

OUT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
CONVERT=/usr/bin/convert
SOX=/usr/bin/sox

die() { echo "make_art.sh: $*" >&2; exit 1; }

[ -x "$CONVERT" ] || die "ImageMagick is missing ($CONVERT); apt-get install imagemagick"
[ -x "$SOX" ]     || die "sox is missing ($SOX); apt-get install sox"
command -v python3 >/dev/null || die "python3 is missing"
command -v fc-list >/dev/null || die "fc-list is missing; apt-get install fontconfig"

# ---------------------------------------------------------------------------
# A font with Chinese glyphs for the drag labels. Prefer the usual UI fonts.
# ---------------------------------------------------------------------------
find_cjk_font() {
    local list f
    list="$(fc-list :lang=zh file 2>/dev/null | sed 's/: *$//' | sort)"
    for pat in wqy-microhei wqy-zenhei NotoSansCJK NotoSansSC DroidSansFallback; do
        f="$(printf '%s\n' "$list" | grep -i "$pat" | grep -iv -e bold -e black | head -n1 || true)"
        [ -n "$f" ] && { echo "$f"; return; }
    done
    printf '%s\n' "$list" | head -n1
}
CJK_FONT="$(find_cjk_font)"
[ -n "$CJK_FONT" ] && [ -r "$CJK_FONT" ] || die "no font with Chinese glyphs found (fc-list :lang=zh is empty); apt-get install fonts-wqy-microhei (or fonts-noto-cjk / fonts-droid-fallback)"
echo "CJK font: $CJK_FONT"

TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT

# PNG writer options: 8-bit RGBA, no time stamps or other variable chunks.
PNGOPT=(-strip -define png:exclude-chunk=date,time,tIME -define png:compression-level=9)

# ---------------------------------------------------------------------------
# Pixel pictures: ring, clock face, hands, hub, badge and explosion frames.
# Shapes are signed distance functions; coverage is taken from the distance,
# which gives clean anti-aliasing without any library.
# ---------------------------------------------------------------------------
python3 - "$OUT" <<'PY'
import math, struct, sys, zlib

OUT = sys.argv[1]

def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v

class Canvas:
    """RGBA canvas, premultiplied floats 0..1."""
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.p = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]

    def over(self, x, y, r, g, b, a):
        if a <= 0.0:
            return
        d = self.p[y * self.w + x]
        k = 1.0 - a
        d[0] = r * a + d[0] * k
        d[1] = g * a + d[1] * k
        d[2] = b * a + d[2] * k
        d[3] = a + d[3] * k

    def fill(self, sdf, color, alpha=1.0, box=None):
        """Paint colour (r,g,b) with alpha where sdf(x, y) < 0, anti-aliased.
        sdf is evaluated at pixel centres and returns a distance in pixels."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        r, g, b = color
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                c = clamp(0.5 - sdf(x + 0.5, y + 0.5))
                if c > 0.0:
                    self.over(x, y, r, g, b, c * alpha)

    def shade(self, fn, ss=4):
        """Paint a per-sample colour function fn(x, y) -> (r,g,b,a),
        supersampled ss x ss per pixel."""
        n = ss * ss
        for y in range(self.h):
            for x in range(self.w):
                sr = sg = sb = sa = 0.0
                for j in range(ss):
                    for i in range(ss):
                        r, g, b, a = fn(x + (i + 0.5) / ss, y + (j + 0.5) / ss)
                        sr += r * a; sg += g * a; sb += b * a; sa += a
                if sa <= 0.0:
                    continue
                a = sa / n
                self.over(x, y, sr / sa, sg / sa, sb / sa, a)

    def save(self, name):
        raw = bytearray()
        for y in range(self.h):
            raw.append(0)
            for x in range(self.w):
                r, g, b, a = self.p[y * self.w + x]
                A = int(round(clamp(a) * 255))
                if A == 0:
                    raw += b"\0\0\0\0"
                    continue
                raw += bytes((int(round(clamp(r / a) * 255)),
                              int(round(clamp(g / a) * 255)),
                              int(round(clamp(b / a) * 255)), A))
        def chunk(t, data):
            c = t + data
            return struct.pack(">I", len(data)) + c + struct.pack(">I", zlib.crc32(c) & 0xffffffff)
        png = (b"\x89PNG\r\n\x1a\n"
               + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
               + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
               + chunk(b"IEND", b""))
        with open(f"{OUT}/{name}", "wb") as f:
            f.write(png)

def hexc(s):
    s = s.lstrip("#")
    return tuple(int(s[i:i + 2], 16) / 255.0 for i in (0, 2, 4))

WHITE, BLACK = (1.0, 1.0, 1.0), (0.0, 0.0, 0.0)

# -- distance functions ------------------------------------------------------
def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r

def annulus(cx, cy, r0, r1):
    m, h = (r0 + r1) / 2.0, (r1 - r0) / 2.0
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - m) - h

def seg_dist(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)

def capsule(ax, ay, bx, by, r):
    return lambda x, y: seg_dist(x, y, ax, ay, bx, by) - r

def mapped(sdf, fx, fy, unit):
    """sdf defined in another coordinate system: (x, y) -> (fx(x), fy(y));
    distances there are divided back into pixels by unit (pixels per unit
    of the other system; for a stretched picture use the drawn scale)."""
    return lambda x, y: sdf(fx(x), fy(y)) * unit

# ---------------------------------------------------------------------------
# ring.png 300x300, shown at 220x220: a faint band from panel radius ~55 to
# ~109 with a hairline of light and of shade at each rim.
# ---------------------------------------------------------------------------
def ring(k=1.0, name="ring.png"):
    S = int(round(300 * k))
    c = Canvas(S, S)
    cx = cy = S / 2.0
    r0, r1 = 75.0 * k, 148.5 * k    # image pixels (x 220/300 = 55 .. 109 on the panel)
    c.fill(annulus(cx, cy, r0, r1), WHITE, 13 / 255.0)
    # rims: a soft shade on the very edge, a brighter line just inside it
    c.fill(annulus(cx, cy, r1 - 1.6 * k, r1), BLACK, 0.16)
    c.fill(annulus(cx, cy, r1 - 3.4 * k, r1 - 1.6 * k), WHITE, 0.16)
    c.fill(annulus(cx, cy, r0, r0 + 1.6 * k), BLACK, 0.13)
    c.fill(annulus(cx, cy, r0 + 1.6 * k, r0 + 3.2 * k), WHITE, 0.12)
    c.save(name)

# ---------------------------------------------------------------------------
# face.png 130x130, shown at 100x100. Coordinates below are panel pixels
# around the clock centre; the picture is 1.3 image pixels per panel pixel.
# ---------------------------------------------------------------------------
def face(k=1.0, name="face.png"):
    S = int(round(130 * k))
    K = S / 100.0
    c = Canvas(S, S)
    ticks = []
    for i in range(12):
        a = math.radians(i * 30)
        major = i % 3 == 0
        ra, rb, hw = (37.5, 46.0, 1.45) if major else (41.5, 46.0, 0.8)
        s, co = math.sin(a), -math.cos(a)
        ticks.append((ra * s, ra * co, rb * s, rb * co, hw))
    f = lambda u: (u - S / 2.0) / K
    for ax, ay, bx, by, hw in ticks:     # thin dark halo, readable on light wallpaper
        c.fill(mapped(capsule(ax, ay, bx, by, hw + 0.7), f, f, K), BLACK, 0.34)
    for ax, ay, bx, by, hw in ticks:
        c.fill(mapped(capsule(ax, ay, bx, by, hw), f, f, K), hexc("#f4f6f8"), 0.95)
    c.save(name)

# ---------------------------------------------------------------------------
# Hands and hub: 10x130 pictures drawn stretched into 10x100 with the pivot at
# the picture's middle. Shapes are given in panel pixels (x right, y down,
# pivot at 0,0), so they look right after the vertical squeeze.
# ---------------------------------------------------------------------------
HW, HH = 10, 130
KX, KY = 1.0, HH / 100.0
fx = lambda x: (x - HW / 2.0) / KX
fy = lambda y: (y - HH / 2.0) / KY

def hand_scale(k):
    """Hands and hub drawn k times larger (k = 1: the pictures above)."""
    global HW, HH, KX, KY
    HW, HH = int(round(10 * k)), int(round(130 * k))
    KX, KY = HW / 10.0, HH / 100.0

def hand(name, tail, tip, hw, color, halo=0.38, extra=None):
    c = Canvas(HW, HH)
    c.fill(mapped(capsule(0, tail, 0, -tip, hw + 0.8), fx, fy, KX), BLACK, halo)
    if extra:
        extra(c, True)
    c.fill(mapped(capsule(0, tail, 0, -tip, hw), fx, fy, KX), color)
    if extra:
        extra(c, False)
    c.save(name)

RED = hexc("#e8412c")
GREY = hexc("#d9dde2")

def second_weight(c, halo):
    # a small round counterweight on the tail
    if halo:
        c.fill(mapped(circle(0, 8.5, 2.6), fx, fy, KX), BLACK, 0.32)
    else:
        c.fill(mapped(circle(0, 8.5, 1.8), fx, fy, KX), RED)

def hub(name="hub.png"):
    c = Canvas(HW, HH)
    c.fill(mapped(circle(0, 0, 4.0), fx, fy, KX), BLACK, 0.35)
    c.fill(mapped(circle(0, 0, 3.2), fx, fy, KX), GREY)
    c.fill(mapped(circle(0, 0, 1.5), fx, fy, KX), RED)
    c.save(name)

# ---------------------------------------------------------------------------
# badge_locked.png 20x20: red disc with a white bar, white edge.
# ---------------------------------------------------------------------------
def badge(k=1.0, name="badge_locked.png"):
    S = int(round(20 * k))
    c = Canvas(S, S)
    u = lambda v: v / k
    c.fill(mapped(circle(10, 10, 9.6), u, u, k), BLACK, 0.25)
    c.fill(mapped(circle(10, 10, 9.0), u, u, k), WHITE)
    c.fill(mapped(circle(10, 10, 7.8), u, u, k), hexc("#e53935"))
    c.fill(mapped(capsule(6.0, 10, 14.0, 10, 1.45), u, u, k), WHITE)
    c.save(name)

# ---------------------------------------------------------------------------
# bomb0..5.png 50x50: flash, fireball, ring of fire, smoke, fading smoke.
# ---------------------------------------------------------------------------
def h2(ix, iy, seed):
    n = (ix * 374761393 + iy * 668265263 + seed * 2147483647) & 0xffffffff
    n = ((n ^ (n >> 13)) * 1274126177) & 0xffffffff
    return ((n ^ (n >> 16)) & 0xffff) / 65535.0

def vnoise(x, y, seed):
    ix, iy = math.floor(x), math.floor(y)
    fx_, fy_ = x - ix, y - iy
    sx, sy = fx_ * fx_ * (3 - 2 * fx_), fy_ * fy_ * (3 - 2 * fy_)
    a = h2(ix, iy, seed); b = h2(ix + 1, iy, seed)
    c = h2(ix, iy + 1, seed); d = h2(ix + 1, iy + 1, seed)
    return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy

def fbm(x, y, seed):
    return (vnoise(x, y, seed) * 0.55 + vnoise(x * 2.1, y * 2.1, seed + 7) * 0.3
            + vnoise(x * 4.3, y * 4.3, seed + 13) * 0.15)

def wobble(t, seed, amp):
    """Angular edge wobble: a fixed sum of sines."""
    return amp * (0.5 * math.sin(5 * t + seed) + 0.3 * math.sin(9 * t + 2.1 * seed)
                  + 0.2 * math.sin(14 * t + 0.7 * seed))

def ramp(stops, v):
    v = clamp(v)
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if v <= p1:
            t = (v - p0) / (p1 - p0) if p1 > p0 else 0.0
            return tuple(c0[i] + (c1[i] - c0[i]) * t for i in range(4))
    return stops[-1][1]

FIRE = [(0.00, (1.00, 1.00, 0.92, 1.0)),
        (0.22, (1.00, 0.93, 0.45, 1.0)),
        (0.50, (1.00, 0.62, 0.12, 1.0)),
        (0.78, (0.90, 0.25, 0.06, 0.85)),
        (1.00, (0.55, 0.10, 0.04, 0.0))]

def smooth(e0, e1, v):
    t = clamp((v - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)

def layer(dst, src):
    """src over dst, both straight (r,g,b,a)."""
    r, g, b, a = src
    R, G, B, A = dst
    oa = a + A * (1 - a)
    if oa <= 0:
        return (0.0, 0.0, 0.0, 0.0)
    return ((r * a + R * A * (1 - a)) / oa, (g * a + G * A * (1 - a)) / oa,
            (b * a + B * A * (1 - a)) / oa, oa)

# frame parameters: fireball radius and strength, ring radius/width/strength,
# smoke radius/strength/darkness, rays length/strength
FRAMES = [
    dict(ball=6.5,  ballA=1.00, glow=12.0, glowA=0.55, ring=0,    ringW=0,   ringA=0,    smoke=0,    smokeA=0,    rays=14, raysA=0.55, hot=1.0),
    dict(ball=12.5, ballA=1.00, glow=18.0, glowA=0.50, ring=0,    ringW=0,   ringA=0,    smoke=0,    smokeA=0,    rays=21, raysA=0.45, hot=0.8),
    dict(ball=16.5, ballA=1.00, glow=21.0, glowA=0.35, ring=18.5, ringW=3.6, ringA=0.85, smoke=10.0, smokeA=0.25, rays=23, raysA=0.30, hot=0.45),
    dict(ball=9.0,  ballA=0.55, glow=0,    glowA=0,    ring=20.0, ringW=3.6, ringA=0.95, smoke=17.0, smokeA=0.60, rays=0,  raysA=0,    hot=0.1),
    dict(ball=0,    ballA=0,    glow=0,    glowA=0,    ring=22.0, ringW=2.2, ringA=0.35, smoke=20.5, smokeA=0.52, rays=0,  raysA=0,    hot=0.0),
    dict(ball=0,    ballA=0,    glow=0,    glowA=0,    ring=0,    ringW=0,   ringA=0,    smoke=22.5, smokeA=0.20, rays=0,  raysA=0,    hot=0.0),
]

def bomb(n):
    P = FRAMES[n]
    C = 25.0
    def fn(x, y):
        dx, dy = x - C, y - C
        r = math.hypot(dx, dy)
        t = math.atan2(dy, dx)
        out = (0.0, 0.0, 0.0, 0.0)
        # smoke: grey, lumpy, darker towards the middle, thin at the edge
        if P["smoke"]:
            R = P["smoke"] + wobble(t, 3.0 + n, 2.2)
            nz = fbm(x / 6.0, y / 6.0, 11 + n)
            edge = 1.0 - smooth(R - 5.0, R, r + (nz - 0.5) * 6.0)
            g = 0.30 + 0.25 * nz + 0.15 * smooth(0, R, r)
            a = P["smokeA"] * edge * (0.55 + 0.45 * nz)
            out = layer(out, (g, g * 0.97, g * 0.95, a))
        # soft glow
        if P["glow"]:
            a = P["glowA"] * (1.0 - smooth(0, P["glow"], r)) ** 1.5
            out = layer(out, (1.0, 0.78, 0.30, a))
        # rays: thin spikes of light, fixed angles
        if P["rays"]:
            for k in range(10):
                ang = k * (2 * math.pi / 10) + 0.35 * math.sin(k * 2.3)
                L = P["rays"] * (0.75 + 0.25 * math.sin(k * 1.7 + 1.0))
                ex, ey = C + L * math.cos(ang), C + L * math.sin(ang)
                d = seg_dist(x, y, C, C, ex, ey)
                along = clamp(math.hypot(x - C, y - C) / L)
                w = 1.1 * (1.0 - along) + 0.25
                a = P["raysA"] * clamp(1.0 - d / w) * (1.0 - along)
                if a > 0:
                    out = layer(out, (1.0, 0.90, 0.55, a))
        # ring of fire
        if P["ring"]:
            R = P["ring"] + wobble(t, 1.0 + n, 1.2)
            nz = fbm(x / 3.5, y / 3.5, 31 + n)
            d = abs(r - R) / (P["ringW"] * (0.7 + 0.6 * nz))
            a = P["ringA"] * clamp(1.0 - d) ** 0.8
            if a > 0:
                cr, cg, cb, _ = ramp(FIRE, 0.35 + 0.5 * d + 0.25 * (1 - nz))
                out = layer(out, (cr, cg, cb, a))
        # fireball
        if P["ball"]:
            R = P["ball"] + wobble(t, 2.0 + n, 0.12 * P["ball"])
            nz = fbm(x / 4.0, y / 4.0, 51 + n)
            v = r / R + (nz - 0.5) * 0.35 + (1.0 - P["hot"]) * 0.25
            cr, cg, cb, ca = ramp(FIRE, v)
            out = layer(out, (cr, cg, cb, ca * P["ballA"] * (1.0 - smooth(0.92, 1.08, r / R))))
        return out
    c = Canvas(50, 50)
    c.shade(fn, ss=4)
    c.save(f"bomb{n}.png")

ring()
face()
hand("hour.png",   tail=5.0,  tip=26.0, hw=2.0, color=GREY)
hand("minute.png", tail=5.0,  tip=38.5, hw=1.5, color=GREY)
hand("second.png", tail=10.0, tip=44.0, hw=0.6, color=RED, halo=0.22, extra=second_weight)
hub()
badge()
for i in range(6):
    bomb(i)

# The same at 2.5 times the size.
HI = 2.5
ring(HI, "ring_hi.png")
face(HI, "face_hi.png")
hand_scale(HI)
hand("hour_hi.png",   tail=5.0,  tip=26.0, hw=2.0, color=GREY)
hand("minute_hi.png", tail=5.0,  tip=38.5, hw=1.5, color=GREY)
hand("second_hi.png", tail=10.0, tip=44.0, hw=0.6, color=RED, halo=0.22, extra=second_weight)
hub("hub_hi.png")
badge(HI, "badge_locked_hi.png")
PY

# ---------------------------------------------------------------------------
# Drag labels: white Chinese word on a rounded coloured plate, 35x17.
# The words are kept as UTF-8 bytes so this script stays plain ASCII.
# ---------------------------------------------------------------------------
label() {  # name bytes colour edge
    local txt
    txt="$(printf "$2")"
    "$CONVERT" -size 35x17 xc:none \
        -fill "$4" -draw "roundrectangle 0,0 34,16 5,5" \
        -fill "$3" -draw "roundrectangle 1,1 33,15 4,4" \
        -font "$CJK_FONT" -pointsize 12 -fill white -gravity center \
        -annotate +0+0 "$txt" \
        "${PNGOPT[@]}" "PNG32:$OUT/$1.png"
    # 2.5 times the size (88 x 43), for high DPI
    "$CONVERT" -size 88x43 xc:none \
        -fill "$4" -draw "roundrectangle 0,0 87,42 12,12" \
        -fill "$3" -draw "roundrectangle 2,2 85,40 10,10" \
        -font "$CJK_FONT" -pointsize 30 -fill white -gravity center \
        -annotate +0+0 "$txt" \
        "${PNGOPT[@]}" "PNG32:$OUT/$1_hi.png"
}
label label_delete '\xe5\x88\xa0\xe9\x99\xa4' '#e53935' '#a8201c'
label label_move   '\xe7\xa7\xbb\xe5\x8a\xa8' '#1e88c8' '#145f8f'

# ---------------------------------------------------------------------------
# Icons. Every icon is drawn once on a 256x256 master with ImageMagick
# primitives and scaled down; the small sizes get a bolder master (thicker
# lines) so they stay readable at 16..24 px.
# ---------------------------------------------------------------------------
master() {  # name bold(0|1) -> $TMP/name-bold.png
    local name=$1 b=$2 mvg
    mvg="$("icon_$name" "$b")"
    "$CONVERT" -size 256x256 xc:none -draw "$mvg" "PNG32:$TMP/$name-$b.png"
}

make_ico() {  # name size...
    local name=$1; shift
    local files=() s b
    for s in "$@"; do
        b=0; [ "$s" -le 24 ] && b=1
        [ -f "$TMP/$name-$b.png" ] || master "$name" "$b"
        "$CONVERT" "$TMP/$name-$b.png" -filter Lanczos -resize "${s}x${s}" \
            $( [ "$s" -le 32 ] && echo "-unsharp 0x0.6+0.6+0" ) \
            -define png:exclude-chunk=date,time "PNG32:$TMP/$name-$s.png"
        files+=("$TMP/$name-$s.png")
    done
    "$CONVERT" "${files[@]}" "$OUT/$name.ico"
}

# palette
BLUE='#2f80ed'; BLUE_D='#1b5fbf'; BLUE_L='#6fb1ff'
GREEN='#2fa65a'; ORANGE='#f2a03d'; RED='#e5484d'; GOLD='#f5c242'
SLATE='#455a64'; SLATE_L='#90a4ae'; PAPER='#f5f7fa'; INK='#263238'

# application: the launcher ring with a few buttons and a little clock
icon_app() {
    local w=30; [ "$1" = 1 ] && w=40
    cat <<EOF
fill none stroke '$BLUE' stroke-width $w circle 128,128 128,$((128 - 98))
stroke none
fill '$ORANGE' circle 128,30 128,$((30 - 24 - $1 * 4))
fill '$GREEN'  circle 213,177 213,$((177 - 24 - $1 * 4))
fill '$RED'    circle 43,177 43,$((177 - 24 - $1 * 4))
fill '$PAPER' stroke '$INK' stroke-width $((10 + $1 * 6)) circle 128,128 128,$((128 - 52))
stroke '$INK' stroke-linecap round stroke-width $((12 + $1 * 8)) line 128,128 128,$((128 - 34))
stroke-width $((12 + $1 * 8)) line 128,128 $((128 + 26)),$((128 + 14))
stroke none fill '$RED' circle 128,128 128,$((128 - 8 - $1 * 3))
EOF
}

# web browser: blue disc, white e, gold orbit
icon_ie() {
    local sw=38 ow=13; [ "$1" = 1 ] && { sw=46; ow=19; }
    # the e: a bar and an open circle (radius 58, opening at the lower right)
    local r=58 ex ey
    ex=$(awk -v r=$r 'BEGIN{printf "%.1f", 128 + r*cos(38*3.14159265/180)}')
    ey=$(awk -v r=$r 'BEGIN{printf "%.1f", 132 + r*sin(38*3.14159265/180)}')
    cat <<EOF
push graphic-context
  translate 128,128 rotate -28
  fill none stroke '$GOLD' stroke-width $ow ellipse 0,0 124,46 180,360
pop graphic-context
fill '$BLUE' stroke '$BLUE_D' stroke-width 6 circle 128,128 128,$((128 - 96))
fill none stroke white stroke-width $sw stroke-linecap butt
path 'M $((128 - r)),132 L $((128 + r)),132 A $r,$r 0 1,0 $ex,$ey'
push graphic-context
  translate 128,128 rotate -28
  fill none stroke '$GOLD' stroke-width $ow ellipse 0,0 124,46 0,180
pop graphic-context
EOF
}

# unknown target: green disc with a white question mark
icon_unknown() {
    local sw=34; [ "$1" = 1 ] && sw=42
    cat <<EOF
fill '$GREEN' stroke '#23854a' stroke-width 6 circle 128,128 128,$((128 - 112))
fill none stroke white stroke-width $sw stroke-linecap round stroke-linejoin round
path 'M 92,98 A 37,37 0 1,1 146,130 Q 128,142 128,158'
stroke none fill white circle 128,196 128,$((196 - 20 - $1 * 3))
EOF
}

# computer: monitor on a stand
icon_computer() {
    cat <<EOF
fill '$SLATE_L' polygon 108,186 148,186 160,216 96,216
fill '$SLATE' roundrectangle 64,210 192,230 10,10
fill '$INK' roundrectangle 18,34 238,192 18,18
fill '$BLUE' roundrectangle 34,50 222,172 6,6
fill '$BLUE_L' fill-opacity 0.55 polygon 34,50 150,50 34,150
fill-opacity 1 fill '#1c2a31' rectangle 34,172 222,176
EOF
}

# recycle bin: lid with handle, tapered body with ribs
icon_recycle() {
    local rw=10; [ "$1" = 1 ] && rw=16
    cat <<EOF
fill none stroke '$SLATE' stroke-width $((12 + $1 * 6)) roundrectangle 100,26 156,58 10,10
stroke none fill '$SLATE' roundrectangle 40,50 216,80 12,12
fill '#b0bec5' path 'M 56,88 L 200,88 L 186,228 Q 185,238 175,238 L 81,238 Q 71,238 70,228 Z'
stroke '$SLATE' stroke-width $rw stroke-linecap round
line 98,110 104,214
line 128,110 128,214
line 158,110 152,214
EOF
}

# control panel: tile with three sliders
icon_control() {
    cat <<EOF
fill '#5c6bc0' roundrectangle 20,20 236,236 40,40
stroke '#c5cae9' stroke-width 14 stroke-linecap round
line 62,76 194,76
line 62,128 194,128
line 62,180 194,180
stroke '#3949ab' stroke-width 8 fill white
circle 150,76 150,54
circle 96,128 96,106
circle 172,180 172,158
EOF
}

# web: globe with meridians and parallels
icon_web() {
    local lw=9
    cat <<EOF
fill '#1ea0c9' stroke '#137a9a' stroke-width 6 circle 128,128 128,$((128 - 104))
fill none stroke white stroke-width $lw
ellipse 128,128 44,104 0,360
line 128,24 128,232
line 24,128 232,128
path 'M 44,72 Q 128,92 212,72'
path 'M 44,184 Q 128,164 212,184'
circle 128,128 128,$((128 - 104))
EOF
}

# The large sizes serve high DPI (a button is 60 px at 192 DPI, the dialog's preview 96).
make_ico app      16 32 48 20 24 64 256
make_ico ie       48 16 32 64 96 256
make_ico unknown  32 64 96 256
make_ico computer 64 32 48 96 256
make_ico recycle  16 64 32 48 128 96 256
make_ico control  48 64 96 256
make_ico web      48 64 96 256

# ---------------------------------------------------------------------------
# Sounds: 16-bit mono PCM at 22050 Hz.
# add.wav    a rising three-note chime, 0.71 s
# remove.wav a soft pop with a breath of air, 0.31 s
# ---------------------------------------------------------------------------
SOXG=(-R -D -V1)
RATE=22050
note() {  # out start freq dur gain
    "$SOX" "${SOXG[@]}" -n -r $RATE -b 16 -c 1 "$1" \
        synth "$4" sine "$3" sine "$(awk -v f="$3" 'BEGIN{print f*2.0}')" sine "$(awk -v f="$3" 'BEGIN{print f*3.01}')" \
        remix 1v0.72,2v0.20,3v0.04 \
        fade h 0.012 "$4" "$(awk -v d="$4" 'BEGIN{print d-0.012}')" \
        fade l 0 "$4" "$(awk -v d="$4" 'BEGIN{print d-0.01}')" \
        vol "$5" pad "$2" 0.3
}
note "$TMP/n1.wav" 0.00 1046.50 0.55 0.55
note "$TMP/n2.wav" 0.08 1318.51 0.55 0.50
note "$TMP/n3.wav" 0.16 1567.98 0.55 0.48
"$SOX" "${SOXG[@]}" -m "$TMP/n1.wav" "$TMP/n2.wav" "$TMP/n3.wav" -b 16 "$TMP/chime.wav" \
    trim 0 0.71 fade t 0 0.71 0.12 gain -n -4
"$SOX" "${SOXG[@]}" "$TMP/chime.wav" -r $RATE -b 16 -c 1 -e signed-integer "$OUT/add.wav"

"$SOX" "${SOXG[@]}" -n -r $RATE -b 16 -c 1 "$TMP/pop.wav" \
    synth 0.16 sine 520-140 fade h 0.006 0.16 0.15 vol 0.8 pad 0 0.3
"$SOX" "${SOXG[@]}" -n -r $RATE -b 16 -c 1 "$TMP/air.wav" \
    synth 0.4 pinknoise sinc 250-1600 fade h 0.06 0.31 0.24 vol 0.12
"$SOX" "${SOXG[@]}" -m "$TMP/pop.wav" "$TMP/air.wav" -b 16 "$TMP/rm.wav" \
    trim 0 0.31 gain -n -6
"$SOX" "${SOXG[@]}" "$TMP/rm.wav" -r $RATE -b 16 -c 1 -e signed-integer "$OUT/remove.wav"

echo "art written to $OUT"
