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

work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
    [[ -n $program_pid ]] && "$bin/$edition" --quit >/dev/null 2>&1; wait "$program_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.05; done
export DISPLAY=:$(head -n1 "$work/display")
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_RUNTIME_DIR=$work/runtime XDG_CURRENT_DESKTOP=
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export http_proxy=http://127.0.0.1:9 https_proxy=http://127.0.0.1:9 no_proxy=
unset QT_QPA_PLATFORM

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
