# A high-contrast colour set for screenshots and tests: white on black, a yellow highlight, green grey
# text. Source this file after tests/wine/prefix.sh, with WINEPREFIX set.
#   contrast_registry   store the set in HKCU\Control Panel\Colors and the user's high-contrast flag, and
#                       switch visual styles off as Windows does in high contrast (Wine draws a list's
#                       scroll bars in its theme whatever the window asks); all are read when a session
#                       starts: call it before the program starts. Fails when a value was not stored.
contrast_registry() {
  local colors='HKCU\Control Panel\Colors' name pair stored=0
  put() { kt_reg_add "$@" || stored=1; }
  for name in Background AppWorkSpace Window ButtonFace Menu MenuBar Scrollbar InfoWindow ActiveTitle \
    InactiveTitle GradientActiveTitle GradientInactiveTitle ButtonAlternateFace; do
    put "$colors" /v "$name" /d '0 0 0'
  done
  for name in WindowText ButtonText MenuText TitleText InfoText WindowFrame ButtonHilight ButtonLight \
    ButtonDkShadow ActiveBorder InactiveBorder InactiveTitleText; do
    put "$colors" /v "$name" /d '255 255 255'
  done
  for pair in 'Hilight:255 255 0' 'MenuHilight:255 255 0' 'HotTrackingColor:255 255 0' 'HilightText:0 0 0' \
    'GrayText:0 255 0' 'ButtonShadow:128 128 128'; do
    put "$colors" /v "${pair%%:*}" /d "${pair#*:}"
  done
  put 'HKCU\Control Panel\Accessibility\HighContrast' /v Flags /d 127
  put 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 0
  return $stored
}
