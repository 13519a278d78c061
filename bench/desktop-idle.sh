#!/usr/bin/env bash
# Starts the desktop program under Xvfb at 3840 x 2160 with every download
# pointed at a closed port, and prints: seconds from start to the wallpaper
# being set, the resident memory once settled, and the CPU seconds used over
# the next idle period (two minutes by default).
#
#   bench/desktop-idle.sh [BIN_DIR] [IDLE_SECONDS]     (defaults: build/bin, 120)
#
# Needs xvfb and x11-utils (xprop).
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
idle=${2:-120}
for tool in Xvfb xprop; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install xvfb x11-utils)" >&2; exit 2; }
done

# A home of its own; the clocks off (the Earth edition's default); no download
# reaches anything: every transfer goes to a proxy on a closed port.
source "$(dirname "$0")/../tools/private-session.sh"
start_private_session 3840x2160

wallpaper_set() { xprop -root _XROOTPMAP_ID 2>/dev/null | grep -q 'pixmap id'; }
if wallpaper_set; then echo "the root window already has a wallpaper" >&2; exit 1; fi

start=$(date +%s.%N)
"$bin/terravue" >"$work/program.log" 2>&1 &
program_pid=$!
until wallpaper_set; do
    kill -0 "$program_pid" 2>/dev/null || { echo "the program ended:" >&2; cat "$work/program.log" >&2; exit 1; }
    sleep 0.01
done
set_at=$(date +%s.%N)

cpu_seconds() {
    local ticks
    ticks=$(awk '{ print $14 + $15 }' "/proc/$program_pid/stat")
    echo "$ticks / $(getconf CLK_TCK)" | bc -l
}
sleep 5
rss_kib=$(awk '/^VmRSS:/ { print $2 }' "/proc/$program_pid/status")
cpu_before=$(cpu_seconds)
sleep "$idle"
cpu_after=$(cpu_seconds)

printf 'first wallpaper after %.2f s (target <= 1.5)\n' "$(echo "$set_at - $start" | bc -l)"
printf 'resident memory %.1f MiB (target <= 200)\n' "$(echo "$rss_kib / 1024" | bc -l)"
printf 'CPU over %d idle seconds: %.2f s (target <= 1.0 over 120 s)\n' "$idle" \
    "$(echo "$cpu_after - $cpu_before" | bc -l)"
