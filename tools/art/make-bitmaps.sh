#!/usr/bin/env bash
# Paints Kestrun's bitmaps (title strip, logo, four banners, About picture) and the application icon
# into the folder given; the About picture shows the version given.
# Only ImageMagick and the DejaVu fonts of fonts-dejavu-core: the same inputs give the same files.
# The addresses painted here must stay those of ui/MakerAddresses.h.
set -euo pipefail

out=${1:?usage: make-bitmaps.sh OUTPUT_DIR VERSION}
version=${2:?usage: make-bitmaps.sh OUTPUT_DIR VERSION}
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

web='www.tamselsoft.example'
mail='support@tamselsoft.example'
product1='Tamsel DiskTally'
product2='Tamsel ClipKeeper'
pitch_text1='- disk use at a glance'
pitch_text2='- clipboard history'

# Both outputs are plain BMP3 with no alpha channel, so every Windows version loads them.
save24() { convert "$1" -alpha off -type TrueColor -compress None "BMP3:$2"; }
save256() { convert "$1" -alpha off +dither -colors 256 -type Palette -compress None "BMP3:$2"; }

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

# Small text (11 px and less) is drawn without antialiasing: crisp strokes, as the system draws it.
small_text() { printf '%s' "+antialias -font $1 -pointsize $2"; }

# text_width FONT SIZE TEXT: the advance width in pixels of TEXT drawn as small_text draws it.
text_width() { convert +antialias -font "$1" -pointsize "$2" label:"$3" -format %w info:; }

# fits WHAT LAST_X LIMIT: a text must end before the edge or the strip it has to stay inside.
fits() {
  [ "$2" -le "$3" ] || { echo "make-bitmaps.sh: $1 ends at x $2, past $3" >&2; exit 1; }
}

# The title strip: the title on the left, and at the right end the help and close marks in two
# squares lying exactly under the window's click spots (418,2 and 434,2, 13x13 each).
title_strip() {
  emblem 13 "$work/emblem13.png"
  # The marks are drawn pixel-exact: both centred on the squares' middle pixel (6,6).
  local square=(-size 13x13 xc:"$tile" +antialias -fill none -stroke white -draw 'rectangle 0,0 12,12')
  convert "${square[@]}" -stroke none -fill white -font "$bold" -pointsize 11 -gravity center \
    -annotate +0+1 '?' "$work/help.png"
  convert "${square[@]}" -draw 'line 3,3 9,9' -draw 'line 4,3 9,8' -draw 'line 3,4 8,9' \
    -draw 'line 3,9 9,3' -draw 'line 3,8 8,3' -draw 'line 4,9 9,4' "$work/close.png"
  convert -size 17x449 gradient:"$toolbar-$deep" -rotate 90 \
    "$work/emblem13.png" -geometry +3+2 -composite \
    -fill white $(small_text "$bold" 11) -annotate +21+13 'Tamsel Soft Kestrun' \
    "$work/help.png" -geometry +418+2 -composite \
    "$work/close.png" -geometry +434+2 -composite \
    "$work/title.png"
  save24 "$work/title.png" "$out/title.bmp"
}

# The logo, on a tile like the toolbar's: the emblem, the product's name and the maker's.
logo() {
  emblem 34 "$work/emblem34.png"
  convert -size 93x69 xc:"$toolbar" \
    -fill "$tile" -stroke none -draw 'roundrectangle 0,0 92,68 8,8' \
    "$work/emblem34.png" -geometry +29+3 -composite \
    -antialias -font "$bold" -pointsize 14 -gravity north \
    -fill "$deep" -annotate +1+39 'Kestrun' -fill white -annotate +0+38 'Kestrun' \
    -fill "$navy" $(small_text "$bold" 9) -annotate +0+55 'TAMSEL SOFT' \
    "$work/logo.png"
  save24 "$work/logo.png" "$out/logo.bmp"
}

# pill TEXT FILL FILE: the rounded button at a banner's right end.
pill() {
  local width=$(($(text_width "$bold" 11 "$1") + 20))
  convert -size "${width}x21" xc:none -fill "$2" -stroke white -strokewidth 1 \
    -draw "roundrectangle 0,0 $((width - 1)),20 9,9" \
    -stroke none -fill white $(small_text "$bold" 11) -gravity center -annotate +0+0 "$1" "$3"
}

# banner N HEADLINE LINE FOOT ICON BUTTON COLOUR: one 449x67 banner, a light-to-deep gradient, the
# icon on a tile at the left, a headline, one line of copy, a footer with the web site and a button.
banner() {
  local n=$1 headline=$2 line=$3 foot=$4 icon=$5
  pill "$6" "$7" "$work/pill$n.png"
  local pill_left=$((449 - 12 - $(identify -format %w "$work/pill$n.png")))
  fits "banner $n headline" $((72 + $(text_width "$bold" 17 "$headline"))) $((pill_left - 8))
  fits "banner $n copy" $((72 + $(text_width "$sans" 11 "$line"))) $((pill_left - 8))
  fits "banner $n footer" $((72 + $(text_width "$bold" 10 "$foot"))) $((pill_left - 8))
  convert -size 67x449 gradient:"$deep-$toolbar" -rotate 90 \
    -fill "$tile" -stroke white -strokewidth 1 -draw 'roundrectangle 8,8 58,58 7,7' \
    "$icon" -geometry +13+13 -composite \
    "$work/pill$n.png" -gravity east -geometry +12+0 -composite +gravity \
    -stroke none -fill white -antialias -font "$bold" -pointsize 17 -annotate +72+25 "$headline" \
    -fill white $(small_text "$sans" 11) -annotate +72+42 "$line" \
    -fill "$navy" $(small_text "$bold" 10) -annotate +72+58 "$foot" \
    "$work/banner$n.png"
  save24 "$work/banner$n.png" "$out/banner$n.bmp"
}

# Icons of the maker and its products, 41x41 on transparent ground.
icon_disktally() {
  convert -size 41x41 xc:none -stroke none \
    -fill white -draw 'circle 20,20 20,3' \
    -fill "$navy" -draw 'path "M 20,20 L 20,3 A 17,17 0 0,1 36,26 Z"' \
    -fill "$red" -draw 'path "M 20,20 L 36,26 A 17,17 0 0,1 24,37 Z"' \
    -fill none -stroke "$navy" -strokewidth 1.5 -draw 'circle 20,20 20,3' "$1"
}
icon_clipkeeper() {
  convert -size 41x41 xc:none \
    -fill white -stroke "$navy" -strokewidth 2 -draw 'roundrectangle 7,6 33,38 3,3' \
    -fill "$navy" -stroke none -draw 'roundrectangle 13,2 27,9 2,2' \
    -stroke "$deep" -strokewidth 2 -draw 'line 12,16 28,16' -draw 'line 12,22 28,22' \
    -draw 'line 12,28 23,28' "$1"
}
icon_maker() {
  convert -size 41x41 xc:none -fill white -stroke none -antialias -font "$bold" -pointsize 22 \
    -gravity center -annotate +0+0 'TS' "$1"
}

# The four banners the main window rotates: the maker, its two other products, Kestrun itself.
banners() {
  emblem 41 "$work/icon-kestrun.png"
  icon_disktally "$work/icon-disktally.png"
  icon_clipkeeper "$work/icon-clipkeeper.png"
  icon_maker "$work/icon-maker.png"
  banner 0 'Tamsel Soft' 'Small, honest tools that keep Windows tidy.' \
    "Visit $web" "$work/icon-maker.png" 'Visit us' "$navy"
  banner 1 "$product1" 'See at a glance which folders fill your disks.' \
    "Order now at $web" "$work/icon-disktally.png" 'Buy now' "$red"
  banner 2 "$product2" 'Everything you copy, kept and found again.' \
    "Order now at $web" "$work/icon-clipkeeper.png" 'Buy now' "$red"
  banner 3 'Kestrun' 'Take charge of what starts with Windows.' \
    "Updates at $web" "$work/icon-kestrun.png" "What's new" "$navy"
}

# The About picture. The box's click strips lie, in picture coordinates, over the web line
# (89,102 201x14), the mail line (89,119 201x13) and the two product lines (45,158 and 45,175,
# 290x14); the texts below are placed inside them. The last four rows are never shown.
about() {
  emblem 36 "$work/emblem36.png"
  convert -size 30x12 xc:none -fill "$red" -stroke none -draw 'roundrectangle 0,0 29,11 3,3' \
    -fill white $(small_text "$bold" 9) -gravity center -annotate +0+0 'BUY' "$work/buy.png"
  local web_end=$((91 + $(text_width "$bold" 11 "$web") - 1))
  local mail_end=$((91 + $(text_width "$bold" 11 "$mail") - 1))
  local pitch1=$((82 + $(text_width "$bold" 11 "$product1") + 4))
  local pitch2=$((82 + $(text_width "$bold" 11 "$product2") + 4))
  fits 'web line' "$web_end" 289
  fits 'mail line' "$mail_end" 289
  fits 'first product line' $((pitch1 + $(text_width "$sans" 11 "$pitch_text1") - 1)) 334
  fits 'second product line' $((pitch2 + $(text_width "$sans" 11 "$pitch_text2") - 1)) 334
  convert -size 380x200 xc:"$toolbar" \
    -fill "$deep" -draw 'rectangle 0,0 379,47' \
    "$work/emblem36.png" -geometry +12+6 -composite \
    -fill white -antialias -font "$bold" -pointsize 24 -annotate +56+34 'Kestrun' \
    -fill white $(small_text "$sans" 11) -annotate +172+34 "version $version" \
    -fill white $(small_text "$sans" 11) -annotate +14+67 'Take charge of what starts with Windows.' \
    -fill white -draw 'line 14,76 365,76' \
    -fill "$navy" $(small_text "$bold" 11) -gravity northeast \
    -annotate +296+84 'Author:' -annotate +296+103 'Web site:' -annotate +296+119 'E-mail:' \
    -gravity northwest -fill white $(small_text "$bold" 11) -annotate +91+84 'Tamsel Soft' \
    -annotate +91+103 "$web" -annotate +91+119 "$mail" \
    -draw "line 91,115 $web_end,115" -draw "line 91,131 $mail_end,131" \
    -fill white -draw 'line 14,138 365,138' \
    -fill "$navy" $(small_text "$bold" 11) -annotate +14+142 'Featured products' \
    "$work/buy.png" -geometry +47+160 -composite \
    "$work/buy.png" -geometry +47+177 -composite \
    -fill white $(small_text "$bold" 11) -annotate +82+159 "$product1" \
    -annotate +82+176 "$product2" \
    $(small_text "$sans" 11) -annotate +$pitch1+159 "$pitch_text1" \
    -annotate +$pitch2+176 "$pitch_text2" \
    "$work/about.png"
  save256 "$work/about.png" "$out/about.bmp"
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

title_strip
logo
banners
about
app_icon
