#!/usr/bin/env bash
# Paints Kestrun's bitmaps (title strip, logo, four banners, About picture) into the folder given, at
# 100 % (name.bmp and name.png) and at 125, 150 and 200 % (name-125.bmp ...): each scale is drawn at its size, from
# its own coordinates and font sizes, never enlarged from another; and the application icon. The
# About picture shows the version given. The pictures that carry words (banners, About) are painted once
# per language, the German ones as name-de.bmp, name-de-125.bmp ...; the words are those of ui/Texts.rc.
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

. "$(dirname "$0")/../texts.sh"
# The language painted (LANG_ENGLISH or LANG_GERMAN) and the part its files' names take.
language=LANG_ENGLISH
lang_suffix=''
# t ID [ARGUMENT]: the text of ID in the language painted, with ARGUMENT for its %1.
t() {
  local text
  text=$(ui_text "$language" "$1") || exit 1
  printf '%s' "${text//%1/${2:-}}"
}
# t runs inside $(...), where a missing text cannot stop the script: every one is looked up first.
for id in $(grep -o '$(t IDS_[A-Z0-9_]\+' "$0" | cut -c5- | sort -u); do
  for language in LANG_ENGLISH LANG_GERMAN; do ui_text "$language" "$id" >/dev/null || exit 1; done
done
language=LANG_ENGLISH

web='www.tamselsoft.example'
mail='support@tamselsoft.example'
product1='Tamsel DiskTally'
product2='Tamsel ClipKeeper'

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

# Small text (11 px and less once scaled) is drawn without antialiasing: crisp strokes, as the system
# draws it. SIZE is the 100-% size.
aa() { if [ "$(s "$1")" -le 11 ]; then printf '+antialias'; else printf -- '-antialias'; fi; }
small_text() { printf '%s' "$(aa "$2") -font $1 -pointsize $(s "$2")"; }

# text_width FONT SIZE TEXT: the advance width in pixels of TEXT drawn as small_text draws it.
text_width() { convert $(aa "$2") -font "$1" -pointsize "$(s "$2")" label:"$3" -format %w info:; }

# fits WHAT LAST_X LIMIT: a text must end before the edge or the strip it has to stay inside.
fits() {
  [ "$2" -le "$3" ] || { echo "make-bitmaps.sh: $1 ends at x $2, past $3" >&2; exit 1; }
}

# The title strip: the title on the left, and at the right end the help and close marks in two
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
    -fill white $(small_text "$bold" 11) -annotate "+$(s 21)+$(s 13)" 'Tamsel Soft Kestrun' \
    "$work/help.png" -geometry "+$(s 418)+$(s 2)" -composite \
    "$work/close.png" -geometry "+$(s 434)+$(s 2)" -composite \
    "$work/title.png"
  save24 "$work/title.png" "$out/title$suffix.bmp"
}

# The logo, on a tile like the toolbar's: the emblem, the product's name and the maker's.
logo() {
  emblem "$(s 34)" "$work/emblem34.png"
  convert -size "$(s 93)x$(s 69)" xc:"$toolbar" \
    -fill "$tile" -stroke none -draw "roundrectangle 0,0 $(($(s 93) - 1)),$(($(s 69) - 1)) $(s 8),$(s 8)" \
    "$work/emblem34.png" -geometry "+$(s 29)+$(s 3)" -composite \
    -antialias -font "$bold" -pointsize "$(s 14)" -gravity north \
    -fill "$deep" -annotate "+$(s 1)+$(s 39)" 'Kestrun' -fill white -annotate "+0+$(s 38)" 'Kestrun' \
    -fill "$navy" $(small_text "$bold" 9) -annotate "+0+$(s 55)" 'TAMSEL SOFT' \
    "$work/logo.png"
  save24 "$work/logo.png" "$out/logo$suffix.bmp"
}

# pill TEXT FILL FILE: the rounded button at a banner's right end.
pill() {
  local width=$(($(text_width "$bold" 11 "$1") + $(s 20)))
  convert -size "${width}x$(s 21)" xc:none -fill "$2" -stroke white -strokewidth "$(s 1)" \
    -draw "roundrectangle 0,0 $((width - 1)),$(($(s 21) - 1)) $(s 9),$(s 9)" \
    -stroke none -fill white $(small_text "$bold" 11) -gravity center -annotate +0+0 "$1" "$3"
}

# banner N HEADLINE LINE FOOT ICON BUTTON COLOUR: one 449x67 banner, a light-to-deep gradient, the
# icon on a tile at the left, a headline, one line of copy, a footer with the web site and a button.
banner() {
  local n=$1 headline=$2 line=$3 foot=$4 icon=$5
  pill "$6" "$7" "$work/pill$n.png"
  local pill_left=$(($(s 449) - $(s 12) - $(identify -format %w "$work/pill$n.png")))
  local text_left=$(s 72)
  fits "banner $n headline" $((text_left + $(text_width "$bold" 17 "$headline"))) $((pill_left - $(s 8)))
  fits "banner $n copy" $((text_left + $(text_width "$sans" 11 "$line"))) $((pill_left - $(s 8)))
  fits "banner $n footer" $((text_left + $(text_width "$bold" 10 "$foot"))) $((pill_left - $(s 8)))
  convert -size "$(s 67)x$(s 449)" gradient:"$deep-$toolbar" -rotate 90 \
    -fill "$tile" -stroke white -strokewidth "$(s 1)" \
    -draw "roundrectangle $(s 8),$(s 8) $(s 58),$(s 58) $(s 7),$(s 7)" \
    "$icon" -geometry "+$(s 13)+$(s 13)" -composite \
    "$work/pill$n.png" -gravity east -geometry "+$(s 12)+0" -composite +gravity \
    -stroke none -fill white -antialias -font "$bold" -pointsize "$(s 17)" \
    -annotate "+$text_left+$(s 25)" "$headline" \
    -fill white $(small_text "$sans" 11) -annotate "+$text_left+$(s 42)" "$line" \
    -fill "$navy" $(small_text "$bold" 10) -annotate "+$text_left+$(s 58)" "$foot" \
    "$work/banner$n.png"
  save24 "$work/banner$n.png" "$out/banner$n$lang_suffix$suffix.bmp"
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

# The four banners the main window rotates: the maker, its two other products, Kestrun itself.
banners() {
  emblem "$(s 41)" "$work/icon-kestrun.png"
  icon_disktally "$work/icon-disktally.png"
  icon_clipkeeper "$work/icon-clipkeeper.png"
  icon_maker "$work/icon-maker.png"
  banner 0 'Tamsel Soft' "$(t IDS_BANNER0_LINE)" \
    "$(t IDS_BANNER_VISIT "$web")" "$work/icon-maker.png" "$(t IDS_BANNER_VISIT_US)" "$navy"
  banner 1 "$product1" "$(t IDS_BANNER1_LINE)" \
    "$(t IDS_BANNER_ORDER "$web")" "$work/icon-disktally.png" "$(t IDS_BANNER_BUY_NOW)" "$red"
  banner 2 "$product2" "$(t IDS_BANNER2_LINE)" \
    "$(t IDS_BANNER_ORDER "$web")" "$work/icon-clipkeeper.png" "$(t IDS_BANNER_BUY_NOW)" "$red"
  banner 3 'Kestrun' "$(t IDS_SLOGAN)" \
    "$(t IDS_BANNER_UPDATES "$web")" "$work/icon-kestrun.png" "$(t IDS_BANNER_WHATS_NEW)" "$navy"
}

# The About picture. The box's click strips lie, in picture coordinates, over the web line
# (89,102 201x14), the mail line (89,119 201x13) and the two product lines (45,158 and 45,175,
# 290x14); the texts below are placed inside them. The last four rows are never shown. The buy mark is
# as wide as the table says its word needs; the product's name starts 5 pixels after it.
about() {
  emblem "$(s 36)" "$work/emblem36.png"
  local buy_width pitch_text1 pitch_text2
  buy_width=$(t IDS_ABOUT_BUY_WIDTH) pitch_text1=$(t IDS_ABOUT_PITCH1) pitch_text2=$(t IDS_ABOUT_PITCH2)
  convert -size "$(s "$buy_width")x$(s 12)" xc:none -fill "$red" -stroke none \
    -draw "roundrectangle 0,0 $(($(s "$buy_width") - 1)),$(($(s 12) - 1)) $(s 3),$(s 3)" \
    -fill white $(small_text "$bold" 9) -gravity center -annotate +0+0 "$(t IDS_ABOUT_BUY)" "$work/buy.png"
  fits 'buy mark' "$(text_width "$bold" 9 "$(t IDS_ABOUT_BUY)")" "$(s "$buy_width")"
  local x91=$(s 91) x82=$(s $((52 + buy_width))) x14=$(s 14) right=$(s 365)
  local web_end=$((x91 + $(text_width "$bold" 11 "$web") - 1))
  local mail_end=$((x91 + $(text_width "$bold" 11 "$mail") - 1))
  local pitch1=$((x82 + $(text_width "$bold" 11 "$product1") + $(s 4)))
  local pitch2=$((x82 + $(text_width "$bold" 11 "$product2") + $(s 4)))
  fits 'web line' "$web_end" $(($(s 290) - 1))
  fits 'mail line' "$mail_end" $(($(s 290) - 1))
  fits 'first product line' $((pitch1 + $(text_width "$sans" 11 "$pitch_text1") - 1)) $(($(s 335) - 1))
  fits 'second product line' $((pitch2 + $(text_width "$sans" 11 "$pitch_text2") - 1)) $(($(s 335) - 1))
  local rule=$(s 1)
  convert -size "$(s 380)x$(s 200)" xc:"$toolbar" \
    -fill "$deep" -draw "rectangle 0,0 $(($(s 380) - 1)),$(($(s 48) - 1))" \
    "$work/emblem36.png" -geometry "+$(s 12)+$(s 6)" -composite \
    -fill white -antialias -font "$bold" -pointsize "$(s 24)" -annotate "+$(s 56)+$(s 34)" 'Kestrun' \
    -fill white $(small_text "$sans" 11) -annotate "+$(s 172)+$(s 34)" "$(t IDS_ABOUT_VERSION "$version")" \
    -fill white $(small_text "$sans" 11) -annotate "+$x14+$(s 67)" "$(t IDS_SLOGAN)" \
    -fill white -draw "rectangle $x14,$(s 76) $right,$(($(s 76) + rule - 1))" \
    -fill "$navy" $(small_text "$bold" 11) -gravity northeast \
    -annotate "+$(s 296)+$(s 84)" "$(t IDS_ABOUT_AUTHOR)" -annotate "+$(s 296)+$(s 103)" "$(t IDS_ABOUT_WEB_SITE)" \
    -annotate "+$(s 296)+$(s 119)" "$(t IDS_ABOUT_MAIL)" \
    -gravity northwest -fill white $(small_text "$bold" 11) -annotate "+$x91+$(s 84)" 'Tamsel Soft' \
    -annotate "+$x91+$(s 103)" "$web" -annotate "+$x91+$(s 119)" "$mail" \
    -draw "rectangle $x91,$(s 115) $web_end,$(($(s 115) + rule - 1))" \
    -draw "rectangle $x91,$(s 131) $mail_end,$(($(s 131) + rule - 1))" \
    -fill white -draw "rectangle $x14,$(s 138) $right,$(($(s 138) + rule - 1))" \
    -fill "$navy" $(small_text "$bold" 11) -annotate "+$x14+$(s 142)" "$(t IDS_ABOUT_FEATURED)" \
    "$work/buy.png" -geometry "+$(s 47)+$(s 160)" -composite \
    "$work/buy.png" -geometry "+$(s 47)+$(s 177)" -composite \
    -fill white $(small_text "$bold" 11) -annotate "+$x82+$(s 159)" "$product1" \
    -annotate "+$x82+$(s 176)" "$product2" \
    $(small_text "$sans" 11) -annotate "+$pitch1+$(s 159)" "$pitch_text1" \
    -annotate "+$pitch2+$(s 176)" "$pitch_text2" \
    "$work/about.png"
  save256 "$work/about.png" "$out/about$lang_suffix$suffix.bmp"
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
  for language in LANG_ENGLISH LANG_GERMAN; do
    lang_suffix=$([ "$language" = LANG_ENGLISH ] || echo -de)
    banners
    about
  done
done
app_icon
