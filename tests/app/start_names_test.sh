#!/usr/bin/env bash
# Starts the built program under its edition names and odd names, as a user or
# the desktop would, and checks what each start does.
set -u
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
# Without a display a desktop start names its edition and ends.
unset DISPLAY WAYLAND_DISPLAY
failures=0

check() {  # description, expected exit code, expected stderr pattern ('' = empty), command...
    local description=$1 expected=$2 pattern=$3
    shift 3
    local stderr status
    stderr=$("$@" 2>&1 >/dev/null)
    status=$?
    if [[ $status -ne $expected ]]; then
        echo "FAIL: $description: exit code $status, expected $expected"
        failures=$((failures + 1))
    elif [[ -z $pattern && -n $stderr ]] || [[ -n $pattern && ! $stderr =~ $pattern ]]; then
        echo "FAIL: $description: stderr was '$stderr'"
        failures=$((failures + 1))
    else
        echo "ok: $description"
    fi
}

for name in terravue nimbara meridio terravue.scr nimbara.scr meridio.scr; do
    [[ -L $bin/$name ]] || { echo "FAIL: $bin/$name is not a link"; failures=$((failures + 1)); }
done

# The installation data sits beside the executable, where a desktop start finds it.
for data in Installation.txt CityRecords.txt "Earth/Blue Marble.jpg" EarthNight/Night.jpg \
    UI/Clouds-Fallback.jpg; do
    [[ -s $bin/$data ]] || { echo "FAIL: $bin/$data is missing"; failures=$((failures + 1)); }
done

ln -s "$bin/skyvane" "$work/terravue.bin"
ln -s "$bin/skyvane" "$work/Nimbara.EXE"
ln -s "$bin/skyvane" "$work/copy of terravue"
check "another extension ends quietly" 0 '' "$work/terravue.bin" /s
check "the weather edition starts under a .EXE name" 1 '^Nimbara: there is no display' "$work/Nimbara.EXE"
check "an unknown base name starts the time-zones edition" 1 '^Meridio: there is no display' \
    "$work/copy of terravue"
check "the Earth edition starts under its link" 1 '^Terravue: there is no display' "$bin/terravue"
check "a window id that is no number is refused" 1 '^terravue.scr: the window id "x" is not a number$' "$bin/terravue.scr" /p:x

(( failures == 0 ))
