#!/bin/sh
# Runs a command in a D-Bus session of its own, with a home, settings and runtime folder
# of its own, so that gsettings with dconf and xfconf never reach the developer's settings.
# The services the command starts (dconf-service, xfconfd) are activated by this bus.
set -eu
folder=$(mktemp -d "${TMPDIR:-/tmp}/skyvane-session.XXXXXX")
# A service of the bus may still write its files while the session ends: the folder goes
# once it has, and the command's own exit code stands.
cleanup() {
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        rm -rf "$folder" 2>/dev/null && return 0
        sleep 0.2
    done
    rm -rf "$folder" || true
}
trap cleanup EXIT
mkdir -m 700 "$folder/home" "$folder/runtime"
export HOME="$folder/home"
export XDG_CONFIG_HOME="$folder/home/.config"
export XDG_DATA_HOME="$folder/home/.local/share"
export XDG_CACHE_HOME="$folder/home/.cache"
export XDG_RUNTIME_DIR="$folder/runtime"
export SKYVANE_PRIVATE_SESSION="$folder"
export GSETTINGS_BACKEND=dconf
unset DBUS_SESSION_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY
status=0
dbus-run-session -- "$@" || status=$?
exit "$status"
