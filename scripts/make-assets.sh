#!/bin/sh
# Regenerates every file in assets/ from the sources committed beside them:
#   assets/fonts/chars.txt   the characters the bundled font must cover
#   this script              the banner, QR-code and icon designs
# Output (commit it): banner.jpg, qr-small.jpg, qr-large.jpg, pelmora.ico, icon-*.png,
# fonts/PelmoraSong.otf and fonts/LICENSE.
#
# Needs these Debian packages (installed with apt-get when missing and run as root):
#   imagemagick      convert, identify
#   qrencode         the QR codes
#   libharfbuzz-bin  hb-subset, for the font subset and the banner's lettering
#   fonts-noto-cjk   Noto Serif CJK SC (the bundled font) and Noto Sans CJK SC (banner, icon)
#   fontconfig       fc-query, to find the SC face inside the font collections
#   zbar-tools       zbarimg, to check that the QR codes scan
#   python3-fonttools  to set the font's line metrics for Windows (run by /usr/bin/python3)
#
# Running it twice gives byte-identical files: no output carries a date or a random value
# (hence -strip and no PNG time chunks).
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=$ROOT/assets
SITE_URL='https://www.vastrel.example/' # keep in step with links/addresses.h

SERIF=/usr/share/fonts/opentype/noto/NotoSerifCJK-Regular.ttc
SANS=/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc
SANS_BOLD=/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc
PYTHON=/usr/bin/python3 # Debian's, which sees python3-fonttools

# --- tools -----------------------------------------------------------------------------------
missing=
need() { command -v "$1" >/dev/null 2>&1 || missing="$missing $2"; }
need convert imagemagick
need identify imagemagick
need qrencode qrencode
need hb-subset libharfbuzz-bin
need fc-query fontconfig
need zbarimg zbar-tools
"$PYTHON" -c 'import fontTools' >/dev/null 2>&1 || missing="$missing python3-fonttools"
[ -f "$SERIF" ] && [ -f "$SANS" ] && [ -f "$SANS_BOLD" ] || missing="$missing fonts-noto-cjk"
if [ -n "$missing" ]; then
    if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null 2>&1; then
        echo "Installing:$missing"
        # shellcheck disable=SC2086 # one word per package
        apt-get install -y --no-install-recommends $missing
    else
        echo "Please install these Debian packages first:$missing" >&2
        exit 1
    fi
fi

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# A collection holds one face per region; the Simplified Chinese one has the glyph forms we want.
faceIndex() { # FILE FAMILY
    n=0
    while fc-query -i "$n" "$1" >"$TMP/face" 2>/dev/null; do
        if grep -q "family: \"$2\"" "$TMP/face"; then
            echo "$n"
            return
        fi
        n=$((n + 1))
    done
    echo "No face \"$2\" in $1" >&2
    exit 1
}

# --- font ------------------------------------------------------------------------------------
# Only the characters of the window's texts, so the resource stays small; the system's own
# fonts still cover anything a user pastes. chars.txt ends with the accented letters fontconfig
# looks for before it counts a face as English: without them Qt sees no Latin face and loads
# every size twice, for the digits and for the Chinese.
tr -d '\n' <"$OUT/fonts/chars.txt" >"$TMP/chars"
hb-subset --face-index="$(faceIndex "$SERIF" 'Noto Serif CJK SC')" \
    --text-file="$TMP/chars" --output-file="$TMP/song.otf" "$SERIF"
# GDI spaces lines by usWinAscent + usWinDescent, which the full face sets to 1.44 em for
# glyphs the subset drops: two lines of 9 pt then overflow the form's 28-pixel note, sized for
# 宋体's 1-em cell. Here they are the subset's own glyph extents, the least that GDI does not
# clip. Qt reads these fields too, so the face's line spacing (its hhea values) moves to the
# typographic ones, which FreeType and Qt take instead when USE_TYPO_METRICS is set: the Linux
# window stays as it was. Nothing else in the file changes.
"$PYTHON" - "$TMP/song.otf" "$OUT/fonts/PelmoraSong.otf" <<'EOF'
import math
import sys
from fontTools.pens.boundsPen import BoundsPen
from fontTools.ttLib import TTFont

low = high = 0
glyphs = TTFont(sys.argv[1]).getGlyphSet()
for name in glyphs.keys():
    pen = BoundsPen(glyphs)
    glyphs[name].draw(pen)
    if pen.bounds:
        low, high = min(low, pen.bounds[1]), max(high, pen.bounds[3])

font = TTFont(sys.argv[1], recalcBBoxes=False, recalcTimestamp=False)
# A family name of its own: where the whole Noto Serif CJK SC is installed, a subset of the
# same name would lose to it (Windows then spaces lines by the whole face's metrics).
for record in font["name"].names:
    if record.nameID in (1, 4, 16):
        record.string = "Pelmora Song"
    elif record.nameID in (3, 6):
        record.string = "PelmoraSong-Regular"
cff = font["CFF "].cff
cff.fontNames = ["PelmoraSong-Regular"]
top = cff.topDictIndex[0]
top.FamilyName, top.FullName = "Pelmora Song", "Pelmora Song"
hhea, os2 = font["hhea"], font["OS/2"]
os2.version = max(os2.version, 4)  # the first to define USE_TYPO_METRICS
os2.fsSelection |= 1 << 7
os2.sTypoAscender, os2.sTypoDescender, os2.sTypoLineGap = hhea.ascent, hhea.descent, hhea.lineGap
os2.usWinAscent, os2.usWinDescent = math.ceil(high), math.ceil(-low)
font.save(sys.argv[2], reorderTables=False)
EOF

{
    echo 'PelmoraSong.otf is a subset of Noto Serif CJK SC (Regular), taken from the Debian package'
    echo 'fonts-noto-cjk by scripts/make-assets.sh; it covers the characters in chars.txt. It is'
    echo 'named Pelmora Song, so that it never stands in for an installed Noto Serif CJK SC (the'
    echo 'font has no Reserved Font Name), and is licensed as follows.'
    echo
    echo 'Copyright 2017-2022 Adobe (http://www.adobe.com/). Noto is a trademark of Google Inc.'
    echo
    # The licence text as Debian ships it, unindented, with its "." paragraph breaks restored.
    awk '/^License: SIL-1.1$/ { grab = 1; next }
         grab && /^ / { print; got = 1; next }
         got { exit }
         { grab = 0 }' /usr/share/doc/fonts-noto-cjk/copyright |
        sed -e 's/^ //' -e 's/^\.$//'
} >"$OUT/fonts/LICENSE"

# Lettering for the pictures: small subsets, because ImageMagick opens a font file, not a face.
hb-subset --face-index="$(faceIndex "$SANS_BOLD" 'Noto Sans CJK SC')" \
    --text='Pelmora' --output-file="$TMP/bold.otf" "$SANS_BOLD"
TAGLINE='积分入户计算器'
hb-subset --face-index="$(faceIndex "$SANS" 'Noto Sans CJK SC')" \
    --text="$TAGLINE" --output-file="$TMP/regular.otf" "$SANS"

# --- icon ------------------------------------------------------------------------------------
# Three rising bars on a teal tile: points that add up. Laid out on a 16-unit grid; every edge
# is rounded to a whole pixel of the target size, so the bars stay crisp even at 16 and 24 px.
# Drawn eight times larger, then reduced with a box filter, which anti-aliases the rounded
# corners. The tile is shaded from top to bottom.
TEAL_TOP='#2a8a8f'
TEAL_BOTTOM='#1a5a63'
GOLD='#f2b134'
iconPng() { # SIZE FILE
    px=$1
    big=$((px * 8))
    at() { echo $(((($1 * px + 8) / 16) * 8)); } # grid unit -> drawing coordinate
    bar() { echo "rectangle $(at "$1"),$(at "$2") $(($(at "$3") - 1)),$(($(at 13) - 1))"; }
    convert -size "${big}x${big}" gradient:"$TEAL_TOP-$TEAL_BOTTOM" -alpha set \
        \( -size "${big}x${big}" xc:none -fill white \
        -draw "roundrectangle 0,0 $((big - 1)),$((big - 1)) $((big * 3 / 16)),$((big * 3 / 16))" \) \
        -compose DstIn -composite -compose Over \
        -fill white -draw "$(bar 3 9 5)" -draw "$(bar 7 6 9)" \
        -fill "$GOLD" -draw "$(bar 11 3 13)" \
        -filter box -resize "${px}x${px}" \
        -strip -define png:exclude-chunks=date,time "PNG32:$2"
}
# 192 and 512 are the web app manifest's; the program and the package use the others.
for s in 16 24 32 48 64 128 192 256 512; do
    iconPng "$s" "$OUT/icon-$s.png"
done

# One icon file with four images. ImageMagick stores a colour-mapped image as an 8-bit
# palette entry (with a 1-bit transparency mask) when its palette has more than 16 colours
# (the shaded tile sees to that), and a direct-colour image with alpha as a 32-bit entry.
convert "$OUT/icon-24.png" +dither -colors 255 "PNG8:$TMP/icon-24-8bit.png"
convert \( "$TMP/icon-24-8bit.png" -type PaletteMatte \) \
    \( "$OUT/icon-128.png" -type TrueColorAlpha \) \
    \( "$OUT/icon-48.png" -type TrueColorAlpha \) \
    \( "$OUT/icon-24.png" -type TrueColorAlpha \) \
    -strip "ICO:$OUT/pelmora.ico"

# --- banner ----------------------------------------------------------------------------------
# A calm teal band with the mark, the name and a short tagline. 354 x 78; the window shows 353
# columns of it, so nothing of note sits in the last one.
iconPng 48 "$TMP/mark.png"
convert -size 78x354 gradient:'#1b5f67-#2c8a8c' -rotate -90 \
    -fill '#ffffff14' -draw 'circle 330,10 390,10' -draw 'circle 300,86 350,86' \
    "$TMP/mark.png" -geometry +16+15 -composite \
    -font "$TMP/bold.otf" -pointsize 30 -fill white -annotate +78+41 'Pelmora' \
    -font "$TMP/regular.otf" -pointsize 14 -fill '#d7efec' -annotate +79+62 "$TAGLINE" \
    -fill "$GOLD" -draw 'rectangle 0,74 353,77' \
    -type TrueColor -interlace none -sampling-factor 1x1 -quality 95 -strip \
    "JPEG:$OUT/banner.jpg"

# --- QR codes --------------------------------------------------------------------------------
# Level Q fits the address into version 3 (29 modules). With a 7-module quiet zone that is 43
# modules, and 129 = 3 x 43, 258 = 6 x 43: whole pixels per module, scaled without smoothing.
qrencode -t PNG -l Q -v 3 -s 1 -m 7 -o "$TMP/qr.png" "$SITE_URL"
[ "$(identify -format '%w' "$TMP/qr.png")" = 43 ] || {
    echo 'The QR code is not 43 modules wide' >&2
    exit 1
}
qrJpeg() { # SCALE FILE
    convert "$TMP/qr.png" -filter point -resize "$(($1 * 100))%" -colorspace Gray \
        -interlace none -quality 95 -strip "JPEG:$2"
}
qrJpeg 3 "$OUT/qr-small.jpg"
qrJpeg 6 "$OUT/qr-large.jpg"

# --- checks ----------------------------------------------------------------------------------
for f in qr-small qr-large; do
    got=$(zbarimg --quiet --raw "$OUT/$f.jpg" 2>/dev/null) || got=
    [ "$got" = "$SITE_URL" ] || {
        echo "$f.jpg decodes to '$got'" >&2
        exit 1
    }
done
identify "$OUT/banner.jpg" "$OUT/qr-small.jpg" "$OUT/qr-large.jpg" "$OUT/pelmora.ico"
ls -l "$OUT/fonts/PelmoraSong.otf"
