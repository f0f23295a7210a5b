#!/bin/bash
# Draws the guide's sample photo and mask (docs/authoring/bay.png, bay-mask.png) and makes every
# picture of docs/authoring.md with kysaver-tool itself. Run from the repository after a build:
#   bash docs/authoring/make-pictures.sh [build/bin/kysaver-tool]
set -euo pipefail
tool=$(realpath "${1:-build/bin/kysaver-tool}")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The sample photo: an evening sky, hills, a row of houses with lit windows on the shore and a
# bay below; the mask paints the bay blue (wave set 1) and, for the overlay picture, a strip
# along the shore magenta (wave set 2). Plain Python, no imaging library.
python3 - "$here" <<'PY'
import math, struct, sys, zlib
W, H, SHORE = 240, 160, 96
def png(path, pixels):
    raw = b''.join(b'\x00' + bytes(c for p in row for c in p) for row in pixels)
    def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', W, H, 8, 2, 0, 0, 0))
                + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))
def mix(a, b, t):
    t = max(0.0, min(1.0, t)); return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))
photo, mask, mask2 = [], [], []
for y in range(H):
    row, m, m2 = [], [], []
    for x in range(W):
        c = mix((40, 60, 120), (240, 170, 110), y / SHORE)
        hill = SHORE - 30 - 12 * math.sin(x / 25.0) - 6 * math.sin(x / 9.0 + 1)
        if y >= hill: c = mix((60, 80, 60), (30, 50, 40), (y - hill) / 40)
        k = x // 24
        if 4 + 24 * k <= x < 20 + 24 * k and y >= SHORE - 22 - (k * 7) % 12:
            c = (230, 200, 110) if (x % 6 < 3 and y % 8 < 4 and y < SHORE - 4) else ((150, 70, 50) if k % 2 else (110, 90, 140))
        if y >= SHORE:
            c = mix((30, 60, 90), (10, 25, 45), (y - SHORE) / (H - SHORE))
            if (y - SHORE) % 9 == 4: c = mix(c, (200, 210, 230), 0.5)
        row.append(c)
        m.append((0, 0, 255) if y >= SHORE else (0, 0, 0))
        m2.append((255, 0, 255) if SHORE <= y < SHORE + 16 else ((0, 0, 255) if y >= SHORE else (0, 0, 0)))
    photo.append(row); mask.append(m); mask2.append(m2)
png(sys.argv[1] + '/bay.png', photo)
# A small sailing boat with a see-through background (RGBA), for the objects picture.
BW, BH = 24, 20
boat = []
for y in range(BH):
    row = []
    for x in range(BW):
        c = (0, 0, 0, 0)
        if y < 14 and 11 <= x <= 12: c = (60, 40, 30, 255)
        if y < 13 and 13 <= x < 13 + (13 - y) * 8 // 13: c = (245, 245, 235, 255)
        if 14 <= y < 19 and (y - 14) <= x < BW - (y - 14): c = (120, 50, 40, 255)
        row.append(c)
    boat.append(row)
raw = b''.join(b'\x00' + bytes(v for p in r for v in p) for r in boat)
def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
with open(sys.argv[1] + '/boat.png', 'wb') as f:
    f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', BW, BH, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))
png(sys.argv[1] + '/bay-mask.png', mask)
png(sys.argv[1] + '/bay-mask-two.png', mask2)
PY
cp "$here/bay.png" "$here/bay-mask.png" "$here/bay-mask-two.png" "$here/boat.png" "$work/"

# scene NAME "KEYS" [scene options]: one description with the given [Wave1] keys (and any other
# sections after them), previewed as a contact sheet.
scene() {
  local name=$1 keys=$2; shift 2
  printf '[Scene]\nTitle=%s\nPhoto=bay.png\nMask=%s\n%b[Wave1]\n%b\n' "$name" "${MASK:-bay-mask.png}" \
    "${OBJECTS:+Objects=boats.ini\n}" "$keys" > "$work/$name.ini"
  "$tool" scene "$work/$name.ini" --sheet "$here/$name.png" "$@" > /dev/null
}
base='Amplitude=4\nFrequency=20\nPhaseSpeed=12\nDirection=1\nPerspective=1\nReflection=1'
one=(--tiles 1 --seconds 1 --size 160x107)

scene start "$base" --tiles 4 --seconds 2 --size 160x107
MASK=bay-mask-two.png scene overlay "$base\n[Wave2]\nAmplitude=1\nFrequency=60\nPhaseSpeed=30" --tiles 1 --overlay --size 160x107
# The middle picture of every row below: the values of base without perspective.
scene base "Amplitude=4\nFrequency=20\nPerspective=0\nReflection=1" "${one[@]}"
for a in 1 10; do scene amplitude-$a "Amplitude=$a\nFrequency=20\nPerspective=0\nReflection=1" "${one[@]}"; done
for f in 5 60; do scene frequency-$f "Amplitude=4\nFrequency=$f\nPerspective=0\nReflection=1" "${one[@]}"; done
for d in 0 2 3 4 5; do scene direction-$d "Amplitude=4\nFrequency=20\nDirection=$d\nPerspective=0\nReflection=1" "${one[@]}"; done
for p in 0 1; do scene perspective-$p "Amplitude=6\nFrequency=20\nPerspective=$p\nReflection=1" "${one[@]}"; done
for r in 0 1; do scene reflection-$r "Amplitude=3\nFrequency=20\nPerspective=1\nReflection=$r" "${one[@]}"; done
for j in 0 4; do scene jitter-$j "Animated=0\nDirection=3\nJitter=$j\nReflection=1" "${one[@]}"; done
for h in 1; do scene horzshift-$h "Amplitude=4\nFrequency=20\nPerspective=0\nHorzShift=$h\nReflection=1" "${one[@]}"; done
for c in 180 720; do scene cycle-$c "Amplitude=4\nFrequency=20\nPerspective=0\nCycle=$c\nReflection=1" "${one[@]}"; done
printf '[Obj0]\nObjType=IMG\nFilename=boat.png\nPosLeft=40\nPosTop=100\nMotion=5\nInitialDir=2\nMotionSpeed=3\n' > "$work/boats.ini"
OBJECTS=1 scene objects "$base" --tiles 3 --seconds 3 --size 160x107
scene snow "$base\n[Weather]\nKind=1\nCount=300\nSpeedIndex=10\nSizeOrAngle=4\nOpacity=9" "${one[@]}"
scene rain "$base\n[Weather]\nKind=2\nCount=300\nSpeedIndex=14\nSizeOrAngle=70\nDropLength=12\nOpacity=6" "${one[@]}"
# The mask template "kysaver-tool new" makes of the photo.
"$tool" new "$work/project" --from "$here/bay.png" > /dev/null
cp "$work/project/bay-mask.png" "$here/template.png"
ls -l "$here"/*.png | awk '{print $5, $9}'
