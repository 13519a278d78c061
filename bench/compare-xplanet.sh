#!/usr/bin/env bash
# Renders the same 3840 x 2160 Earth picture (same day, night and cloud images,
# same instant, whole-Earth rectangular map, JPEG) with Debian's xplanet and
# with `terravue --render`, alternating, and prints each program's median wall
# time and peak memory and the ratios.
#
#   bench/compare-xplanet.sh [RUNS] [BIN_DIR]     (defaults: 7, build/bin)
#
# Needs the packages xplanet and time (apt-get install xplanet time).
set -euo pipefail
runs=${1:-7}
bin=$(cd "${2:-build/bin}" && pwd)
instant=2026-03-20T09:00:00Z        # terravue's --time
xdate=20260320.090000               # the same instant for xplanet
size=3840x2160

for tool in xplanet /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install xplanet time)" >&2; exit 2; }
done
[[ -x $bin/terravue ]] || { echo "missing: $bin/terravue (run scripts/setup first)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# xplanet reads its maps through a configuration file; it gets the very files
# the program ships.
cp "$bin/Earth/Blue Marble.jpg" "$work/day.jpg"
cp "$bin/EarthNight/Night.jpg" "$work/night.jpg"
cp "$bin/UI/Clouds-Fallback.jpg" "$work/clouds.jpg"
cat >"$work/xplanet.conf" <<CONF
[earth]
image=$work/day.jpg
night_map=$work/night.jpg
cloud_map=$work/clouds.jpg
shade=0
CONF

# The program gets a home of its own: whole-Earth view, clouds, no city labels
# (xplanet draws none), so both draw the same layers.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_CONFIG_HOME/Terravue"
printf 'Region=Earth (Complete)\r\nShowClouds=1\r\nShowWeather=0\r\n' >"$XDG_CONFIG_HOME/Terravue/Options.txt"

# One run: prints "seconds kilobytes".
measure() {
    local log=$work/time.log
    /usr/bin/time -f '%e %M' -o "$log" "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    cat "$log"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: >"$work/xplanet.txt"
: >"$work/terravue.txt"
for ((i = 0; i < runs; ++i)); do
    measure xplanet -config "$work/xplanet.conf" -searchdir "$work" -num_times 1 \
        -projection rectangular -geometry "$size" -longitude 0 -latitude 0 -date "$xdate" \
        -quality 90 -output "$work/xplanet.jpg" >>"$work/xplanet.txt"
    measure "$bin/terravue" --render "$work/terravue.jpg" --size "$size" --time "$instant" \
        >>"$work/terravue.txt"
done

x_time=$(cut -d' ' -f1 "$work/xplanet.txt" | median)
x_mem=$(cut -d' ' -f2 "$work/xplanet.txt" | median)
t_time=$(cut -d' ' -f1 "$work/terravue.txt" | median)
t_mem=$(cut -d' ' -f2 "$work/terravue.txt" | median)
printf '%-10s %12s %16s\n' program "median s" "peak memory MiB"
printf '%-10s %12.2f %16.1f\n' xplanet "$x_time" "$(echo "$x_mem / 1024" | bc -l)"
printf '%-10s %12.2f %16.1f\n' terravue "$t_time" "$(echo "$t_mem / 1024" | bc -l)"
printf 'ratios: time %.2f (target <= 0.30), memory %.2f (target <= 0.60) over %d runs each\n' \
    "$(echo "$t_time / $x_time" | bc -l)" "$(echo "$t_mem / $x_mem" | bc -l)" "$runs"
