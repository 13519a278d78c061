#!/usr/bin/env bash
# Pictures of the options dialog, one per tab page, as the README shows them:
# the real desktop program under Xvfb, its dialog opened by a configuring start
# of the screen-saver form (which hands the request to the running program),
# each tab reached with Ctrl+Tab and captured with ImageMagick's import.
#
#   tools/options-screenshots.sh [BIN_DIR] [OUT_DIR] [EDITION]   (defaults: build/bin, docs, terravue)
#
# Needs xvfb, xdotool and imagemagick.
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
out=$(mkdir -p "${2:-docs}" && cd "${2:-docs}" && pwd)
edition=${3:-terravue}
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done

source "$(dirname "$0")/private-session.sh"
start_private_session 1280x900
stop_program() { "$bin/$edition" --quit >/dev/null 2>&1; }

"$bin/$edition" &
program_pid=$!
sleep 2
"$bin/$edition.scr" /c
window=$(timeout 30 xdotool search --sync --onlyvisible --name ' 7\.4\.3$' | head -n1)
xdotool windowfocus --sync "$window"
for page in general time-zones weather favorite-cities earth-background; do
    sleep 1
    import -window "$window" "$out/options-$page.png"
    echo "$out/options-$page.png"
    xdotool key --clearmodifiers ctrl+Tab
done
