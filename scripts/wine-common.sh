# Sourced by scripts/run and scripts/test-win32: the steps both take to run the program under
# Wine. Expects $wine (the wine64 loader) and $WINEPREFIX; the prefix exists before
# yz_wine_chinese_font runs.

# yz_start_display LOGFILE: starts Xvfb on the first free display number (Xvfb picks it itself, so
# two runs at the same moment never share one), exports DISPLAY and sets yz_display_pid.
yz_start_display() {
  local log=$1 fifo number=
  fifo=$(mktemp -u "${TMPDIR:-/tmp}/yz-display.XXXXXX")
  mkfifo "$fifo" || return 1
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >"$log" 2>&1 &
  yz_display_pid=$!
  read -r -t 20 number <"$fifo"
  rm -f "$fifo"
  if [[ -z $number ]]; then
    kill "$yz_display_pid" 2>/dev/null
    echo "Xvfb did not start; see $log" >&2
    return 1
  fi
  export DISPLAY=":$number"
}

# yz_wine_locale: Wine maps the program's Chinese file names through the locale, so a UTF-8 one,
# Chinese when the system has it.
yz_wine_locale() {
  if locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    export LANG=zh_CN.UTF-8
  else
    export LANG=C.UTF-8
  fi
}

# yz_wine_chinese_font: the candidate window draws Chinese in "Consolas", the notepad in the
# faces of the dialog and fixed fonts; as Windows links a Chinese font to such faces, so does the
# prefix (to the faces Wine puts in their place, too).
# Without a Chinese font installed (fonts-wqy-microhei) the Chinese text shows as boxes.
yz_wine_chinese_font() {
  local font face chinese name
  font=$(fc-list :lang=zh file family 2>/dev/null | grep -i 'micro hei' | head -n1)
  if [[ -z $font ]]; then
    echo "no Chinese font (fonts-wqy-microhei): Chinese text shows as boxes" >&2
    return 1
  fi
  face=${font#*: }
  chinese=${face%%,*}
  font=$(basename "${font%%: *}"),$chinese
  for face in Consolas 'DejaVu Sans' 'DejaVu Sans Bold' 'DejaVu Sans Mono' Tahoma 'Lucida Console' \
    'Courier New' Arial 'Microsoft Sans Serif' 'MS Shell Dlg' 'MS Shell Dlg 2' 'Segoe UI' \
    'Times New Roman' System Fixedsys; do
    "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d "$font" /f >/dev/null 2>&1 || return 1
  done
  # The skins and the status bar name the faces of a Chinese Windows; the prefix has none of them,
  # so they stand for the Chinese font at hand (the locale set by yz_wine_locale carries the names).
  for name in 宋体 新宋体 楷体 黑体 仿宋 微软雅黑; do
    "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
      /v "$name" /d "$chinese" /f >/dev/null 2>&1
  done
}
