#!/usr/bin/env bash
# Paints Kestrun's bitmaps (title strip, logo, four banners, About picture) into the folder given, at
# 100 % (name.bmp and name.png) and at 125, 150 and 200 % (name-125.bmp ...): each scale is drawn at its size, from
# its own coordinates and font sizes, never enlarged from another; and the application icon. The
# pictures carry no words, so one set serves every language: the program draws their texts over them
# (ui/PictureTexts.cpp), and the shapes sized for a text here (buttons, buy marks) must keep the sizes
# given there. Only ImageMagick and the DejaVu fonts of fonts-dejavu-core: the same inputs give the
# same files.
set -euo pipefail

out=${1:?usage: make-bitmaps.sh OUTPUT_DIR}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fonts=/usr/share/fonts/truetype/dejavu
sans=$fonts/DejaVuSans.ttf
bold=$fonts/DejaVuSans-Bold.ttf
for f in "$sans" "$bold"; do
  [ -f "$f" ] || { echo "make-bitmaps.sh: missing font $f (package fonts-dejavu-core)" >&2; exit 1; }
done
command -v convert >/dev/null || { echo "make-bitmaps.sh: ImageMagick's convert is missing" >&2; exit 1; }

# The two blues of the windows, a deep one for shading and the red of the buy-now marks.
toolbar='#0AA3F3'
tile='#52BBF4'
deep='#0667A6'
navy='#07406E'
red='#E02424'

# The scale being painted, in per cent, and the suffix of its files.
pct=100
suffix=''
# s N: a 100-% figure at the current scale, to nearest (the windows scale their layout the same way).
s() { echo $((($1 * pct + 50) / 100)); }

# Both outputs are plain BMP3 with no alpha channel, so every Windows version loads them. The program
# carries each as a PNG made from that BMP, lossless and with no chunk beyond the pixels (no dates,
# no colour profile that a decoder might apply), always 24-bit: Wine's decoder misreads palette PNGs.
# The BMPs stay as the reference the tests compare against. Quality 91 is zlib's level 9 with every row
# filtered as "Sub": on these flat, painted pictures a fifth smaller than the adaptive choice.
png_of() { convert "$1" -define png:exclude-chunks=all -quality 91 "PNG24:${1%.bmp}.png"; }
save24() { convert "$1" -alpha off -type TrueColor -compress None "BMP3:$2"; png_of "$2"; }
save256() { convert "$1" -alpha off +dither -colors 256 -type Palette -compress None "BMP3:$2"; png_of "$2"; }

# emblem SIZE FILE: the check-mark emblem, a white check box with a deep-blue tick leaving it at the
# top right. Drawn eight times larger and scaled down so that its edges stay smooth when small.
emblem() {
  local size=$1 file=$2
  convert -size 128x128 xc:none \
    -fill white -stroke "$navy" -strokewidth 6 -draw 'roundrectangle 10,26 100,116 16,16' \
    -fill none -stroke "$navy" -strokewidth 24 \
    -draw 'stroke-linecap round stroke-linejoin round polyline 30,62 56,90 112,14' \
    -filter Lanczos -resize "${size}x${size}" "$file"
}

# The title strip: room for the title on the left, and at the right end the help and close marks in two
# squares lying exactly under the window's click spots (418,2 and 434,2, 13x13 each).
title_strip() {
  emblem "$(s 13)" "$work/emblem13.png"
  # The marks are drawn pixel-exact: both centred on the squares' middle pixel (6,6).
  local q=$(s 13) edge=$(($(s 13) - 1))
  local square=(-size "${q}x${q}" xc:"$tile" +antialias -fill none -stroke white -strokewidth "$(s 1)"
                -draw "rectangle 0,0 $edge,$edge")
  convert "${square[@]}" -stroke none -fill white -font "$bold" -pointsize "$(s 11)" -gravity center \
    -annotate "+0+$(s 1)" '?' "$work/help.png"
  if [ "$pct" = 100 ]; then
    convert "${square[@]}" -draw 'line 3,3 9,9' -draw 'line 4,3 9,8' -draw 'line 3,4 8,9' \
      -draw 'line 3,9 9,3' -draw 'line 3,8 8,3' -draw 'line 4,9 9,4' "$work/close.png"
  else
    local a=$(s 3) b=$(($(s 10) - 1))
    convert "${square[@]}" -strokewidth "$(s 2)" -draw "line $a,$a $b,$b" -draw "line $a,$b $b,$a" \
      "$work/close.png"
  fi
  convert -size "$(s 17)x$(s 449)" gradient:"$toolbar-$deep" -rotate 90 \
    "$work/emblem13.png" -geometry "+$(s 3)+$(s 2)" -composite \
    "$work/help.png" -geometry "+$(s 418)+$(s 2)" -composite \
    "$work/close.png" -geometry "+$(s 434)+$(s 2)" -composite \
    "$work/title.png"
  save24 "$work/title.png" "$out/title$suffix.bmp"
}

# The logo, on a tile like the toolbar's: the emblem, above room for the product's name and the maker's.
logo() {
  emblem "$(s 34)" "$work/emblem34.png"
  convert -size "$(s 93)x$(s 69)" xc:"$toolbar" \
    -fill "$tile" -stroke none -draw "roundrectangle 0,0 $(($(s 93) - 1)),$(($(s 69) - 1)) $(s 8),$(s 8)" \
    "$work/emblem34.png" -geometry "+$(s 29)+$(s 3)" -composite \
    "$work/logo.png"
  save24 "$work/logo.png" "$out/logo$suffix.bmp"
}

# pill WIDTH FILL FILE: the rounded button at a banner's right end, WIDTH wide at 100 %, for its label.
pill() {
  local width=$(s "$1")
  convert -size "${width}x$(s 21)" xc:none -fill "$2" -stroke white -strokewidth "$(s 1)" \
    -draw "roundrectangle 0,0 $((width - 1)),$(($(s 21) - 1)) $(s 9),$(s 9)" "$3"
}

# banner N ICON BUTTON_WIDTH COLOUR: one 449x67 banner, a light-to-deep gradient, the icon on a tile at
# the left, room for a headline, a line of copy and a footer, and a button.
banner() {
  local n=$1 icon=$2
  pill "$3" "$4" "$work/pill$n.png"
  convert -size "$(s 67)x$(s 449)" gradient:"$deep-$toolbar" -rotate 90 \
    -fill "$tile" -stroke white -strokewidth "$(s 1)" \
    -draw "roundrectangle $(s 8),$(s 8) $(s 58),$(s 58) $(s 7),$(s 7)" \
    "$icon" -geometry "+$(s 13)+$(s 13)" -composite \
    "$work/pill$n.png" -gravity east -geometry "+$(s 12)+0" -composite +gravity \
    "$work/banner$n.png"
  save24 "$work/banner$n.png" "$out/banner$n$suffix.bmp"
}

# Icons of the maker and its products, 41x41 at 100 % on transparent ground; their shapes are given in
# 100-% coordinates and drawn through a scaling transform (vector shapes, not enlarged pixels).
icon_size() { printf '%sx%s' "$(s 41)" "$(s 41)"; }
icon_affine() { printf 'affine %s,0,0,%s,0,0' "$(awk -v p="$pct" 'BEGIN { print p / 100 }')" "$(awk -v p="$pct" 'BEGIN { print p / 100 }')"; }
icon_disktally() {
  local t; t=$(icon_affine)
  convert -size "$(icon_size)" xc:none -stroke none \
    -fill white -draw "$t circle 20,20 20,3" \
    -fill "$navy" -draw "$t path 'M 20,20 L 20,3 A 17,17 0 0,1 36,26 Z'" \
    -fill "$red" -draw "$t path 'M 20,20 L 36,26 A 17,17 0 0,1 24,37 Z'" \
    -fill none -stroke "$navy" -strokewidth 1.5 -draw "$t circle 20,20 20,3" "$1"
}
icon_clipkeeper() {
  local t; t=$(icon_affine)
  convert -size "$(icon_size)" xc:none \
    -fill white -stroke "$navy" -strokewidth 2 -draw "$t roundrectangle 7,6 33,38 3,3" \
    -fill "$navy" -stroke none -draw "$t roundrectangle 13,2 27,9 2,2" \
    -stroke "$deep" -strokewidth 2 -draw "$t line 12,16 28,16" -draw "$t line 12,22 28,22" \
    -draw "$t line 12,28 23,28" "$1"
}
icon_maker() {
  convert -size "$(icon_size)" xc:none -fill white -stroke none -antialias -font "$bold" \
    -pointsize "$(s 22)" -gravity center -annotate +0+0 'TS' "$1"
}

# The four banners the main window rotates: the maker, its two other products, Kestrun itself. Each
# button is as wide as its longest label in any language needs (ui/PictureTexts.cpp).
banners() {
  emblem "$(s 41)" "$work/icon-kestrun.png"
  icon_disktally "$work/icon-disktally.png"
  icon_clipkeeper "$work/icon-clipkeeper.png"
  icon_maker "$work/icon-maker.png"
  banner 0 "$work/icon-maker.png" 100 "$navy"
  banner 1 "$work/icon-disktally.png" 76 "$red"
  banner 2 "$work/icon-clipkeeper.png" 76 "$red"
  banner 3 "$work/icon-kestrun.png" 100 "$navy"
}

# The About picture: a deep band with the emblem, white rules under the slogan and above the featured
# products, and the two red buy marks (48 wide, room for their word in any language).
about() {
  emblem "$(s 36)" "$work/emblem36.png"
  convert -size "$(s 48)x$(s 12)" xc:none -fill "$red" -stroke none \
    -draw "roundrectangle 0,0 $(($(s 48) - 1)),$(($(s 12) - 1)) $(s 3),$(s 3)" "$work/buy.png"
  local x14=$(s 14) right=$(s 365) rule=$(s 1)
  convert -size "$(s 380)x$(s 200)" xc:"$toolbar" \
    -fill "$deep" -draw "rectangle 0,0 $(($(s 380) - 1)),$(($(s 48) - 1))" \
    "$work/emblem36.png" -geometry "+$(s 12)+$(s 6)" -composite \
    -fill white -draw "rectangle $x14,$(s 76) $right,$(($(s 76) + rule - 1))" \
    -draw "rectangle $x14,$(s 138) $right,$(($(s 138) + rule - 1))" \
    "$work/buy.png" -geometry "+$(s 47)+$(s 160)" -composite \
    "$work/buy.png" -geometry "+$(s 47)+$(s 177)" -composite \
    "$work/about.png"
  save256 "$work/about.png" "$out/about$suffix.bmp"
}

# The application icon: the emblem at 16, 32 and 48 px and 256 px, each scaled down from a 512 px
# drawing so that the large one stays sharp. 32-bit images with alpha, as Windows has shown since XP.
app_icon() {
  local sizes=()
  for size in 16 32 48 256; do
    convert -size 512x512 xc:none \
      -fill white -stroke "$navy" -strokewidth 24 -draw 'roundrectangle 40,104 400,464 64,64' \
      -fill none -stroke "$navy" -strokewidth 96 \
      -draw 'stroke-linecap round stroke-linejoin round polyline 120,248 224,360 448,56' \
      -filter Lanczos -resize "${size}x${size}" "PNG32:$work/icon$size.png"
    sizes+=("$work/icon$size.png")
  done
  convert "${sizes[@]}" "$out/kestrun.ico"
}

for pct in 100 125 150 200; do
  suffix=$([ "$pct" = 100 ] || echo "-$pct")
  title_strip
  logo
  banners
  about
done
app_icon
