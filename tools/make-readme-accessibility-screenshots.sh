#!/usr/bin/env bash
# Makes the README's screenshots for users who need strong contrast or large text: the
# real host on a generated demo database in a private X server, once with its dark
# high-contrast palette (--high-contrast) and once at twice the size (Qt's scale factor 2,
# as a desktop set for large text gives). Each time a range is searched, the list sorted
# by 姓名 and then, with Ctrl, by 准考证号, and the third record made current.
#   tools/make-readme-accessibility-screenshots.sh [FOLDER]
set -euo pipefail
folder=${1:-$(cd "$(dirname "$0")/.." && pwd)/docs}

shoot() {  # OUTPUT SCALE HOST-ARGUMENTS...
  local output=$1
  QELVOR_SHOT_SCALE=$2 bash -c '
    set -euo pipefail
    source "$(dirname "$0")/screenshot-session.sh"
    output=$1; shift
    start_session zh_CN.UTF-8
    start=$(sqlite3 "$database" "select zkzh from t_omr order by zkzh limit 1 offset 5000")
    end=$(sqlite3 "$database" "select zkzh from t_omr order by zkzh limit 1 offset 5039")
    open_browse_window "$@"
    search_range "$start" "$end"
    # Titles at y 62: 准考证号 from x 22, 姓名 from 233.
    xdotool mousemove --window "$window" "$(at 262)" "$(at 62)" click 1
    sleep 0.7
    xdotool keydown ctrl
    xdotool mousemove --window "$window" "$(at 60)" "$(at 62)" click 1
    xdotool keyup ctrl
    sleep 0.5
    xdotool key ctrl+Home Down Down
    xdotool mousemove --window "$window" "$(at 300)" "$(at 362)"
    sleep 1
    capture "$output"
  ' "$(dirname "$0")/make-readme-accessibility-screenshots.sh" "$output" "${@:3}"
  echo "Wrote $output"
}
shoot "$folder/browse-window-high-contrast.png" 1 --high-contrast
shoot "$folder/browse-window-large.png" 2
