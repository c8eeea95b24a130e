#!/usr/bin/env bash
# Makes the README's screenshot of the browse window showing records after a search:
# the real host on a generated demo database in a private X server, an
# admission-number range typed into the two edits, Enter, and the window captured.
#   tools/make-readme-screenshot.sh [OUTPUT.png]
set -euo pipefail
source "$(dirname "$0")/screenshot-session.sh"
output=${1:-$root/docs/browse-window-search.png}

start_session C.UTF-8
# A range of about 40 sheets from the middle of the numbers.
start=$(sqlite3 "$database" "select zkzh from t_omr order by zkzh limit 1 offset 5000")
end=$(sqlite3 "$database" "select zkzh from t_omr order by zkzh limit 1 offset 5040")
open_browse_window
search_range "$start" "$end"
# Tab order wraps from the search button to the grid, which then shows its highlight.
xdotool key --window "$window" Tab Tab
sleep 0.5
capture "$output"
echo "Wrote $output"
