#!/bin/sh
# Runs a command in a D-Bus session of its own, with a home, settings and runtime folder
# of its own, so that gsettings with dconf and xfconf never reach the developer's settings.
# The services the command starts (dconf-service, xfconfd) are activated by this bus.
set -eu
folder=$(mktemp -d "${TMPDIR:-/tmp}/skyvane-session.XXXXXX")
trap 'rm -rf "$folder"' EXIT
mkdir -m 700 "$folder/home" "$folder/runtime"
export HOME="$folder/home"
export XDG_CONFIG_HOME="$folder/home/.config"
export XDG_DATA_HOME="$folder/home/.local/share"
export XDG_CACHE_HOME="$folder/home/.cache"
export XDG_RUNTIME_DIR="$folder/runtime"
export SKYVANE_PRIVATE_SESSION="$folder"
export GSETTINGS_BACKEND=dconf
unset DBUS_SESSION_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY
dbus-run-session -- "$@"
