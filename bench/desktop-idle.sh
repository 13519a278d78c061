#!/usr/bin/env bash
# Starts the desktop program under Xvfb at 3840 x 2160 with clouds, weather and
# the clocks on the wallpaper (so a refresh comes every minute) and every
# download pointed at a closed port, and prints: seconds from start to the first
# wallpaper, the resident memory 10 s after it, the CPU seconds (of the whole
# process and of its main thread, which must never be held up long) and the bytes
# written of the next periodic refresh, and the resident memory 10 s after that.
#
#   bench/desktop-idle.sh [BIN_DIR]     (default: build/bin)
#
# Needs xvfb and x11-utils (xprop); takes up to a minute and a half.
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
for tool in Xvfb xprop; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install xvfb x11-utils)" >&2; exit 2; }
done

source "$(dirname "$0")/../tools/private-session.sh"
start_private_session 3840x2160
mkdir -p "$XDG_CONFIG_HOME/Terravue"
printf 'ShowClouds=1\r\nShowWeather=1\r\nShowTimeZonesOnWallpaper=1\r\n' \
    >"$XDG_CONFIG_HOME/Terravue/Options.txt"
wallpapers=$XDG_DATA_HOME/Terravue/Wallpaper

root_pixmap() { xprop -root _XROOTPMAP_ID 2>/dev/null | sed -n 's/.*pixmap id # //p'; }
if [[ -n $(root_pixmap) ]]; then echo "the root window already has a wallpaper" >&2; exit 1; fi

start=$(date +%s.%N)
"$bin/terravue" >"$work/program.log" 2>&1 &
program_pid=$!
# Waits until the root shows another pixmap than $1; prints the new one.
next_wallpaper() {
    local shown
    for _ in $(seq 12000); do
        kill -0 "$program_pid" 2>/dev/null || { echo "the program ended:" >&2; cat "$work/program.log" >&2; exit 1; }
        shown=$(root_pixmap)
        if [[ -n $shown && $shown != "$1" ]]; then echo "$shown"; return; fi
        sleep 0.01
    done
    echo "no new wallpaper in two minutes" >&2
    exit 1
}
first=$(next_wallpaper "")
set_at=$(date +%s.%N)

# Of the process, or with "main" of its main thread alone.
cpu_seconds() {
    local stat=/proc/$program_pid/stat
    [[ ${1:-} == main ]] && stat=/proc/$program_pid/task/$program_pid/stat
    echo "$(awk '{ print $14 + $15 }' "$stat") / $(getconf CLK_TCK)" | bc -l
}
rss_mib() { echo "$(awk '/^VmRSS:/ { print $2 }' "/proc/$program_pid/status") / 1024" | bc -l; }
sleep 10
rss_first=$(rss_mib)
cpu_before=$(cpu_seconds)
main_before=$(cpu_seconds main)
next_wallpaper "$first" >/dev/null
# The refresh ends with the files written and the desktop told; a few seconds more
# take in what the refresh left to do.
sleep 3
cpu_refresh=$(echo "$(cpu_seconds) - $cpu_before" | bc -l)
main_refresh=$(echo "$(cpu_seconds main) - $main_before" | bc -l)
written=$(du -cb "$wallpapers"/* | tail -n1 | cut -f1)
sleep 7
rss_refresh=$(rss_mib)

printf 'first wallpaper after %.2f s (target <= 0.75)\n' "$(echo "$set_at - $start" | bc -l)"
printf 'resident memory 10 s after it %.1f MiB (target <= 64)\n' "$rss_first"
printf 'one periodic refresh: %.2f CPU s (target <= 0.4), %.1f MB written (target <= 4)\n' \
    "$cpu_refresh" "$(echo "$written / 1000000" | bc -l)"
printf '  of which on the main thread %.2f CPU s (target <= 0.1)\n' "$main_refresh"
printf 'resident memory 10 s after the refresh %.1f MiB (target <= 64)\n' "$rss_refresh"
