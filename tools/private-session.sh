# Sourced by the scripts that run the program on an X server of their own:
# `start_private_session WIDTHxHEIGHT` makes a temporary folder ($work), starts
# Xvfb on $DISPLAY, gives the program a home and runtime folder there and sends
# every download to a closed port. Set program_pid once the program runs; on
# exit stop_program (by default a kill; redefine it after sourcing) ends it,
# then the server and the folder go.

stop_program() { kill "$program_pid" 2>/dev/null; }

# Runs under the callers' `set -e`: the program's own exit code must not cut it short.
private_session_cleanup() {
    if [[ -n $program_pid ]]; then
        stop_program || true
        wait "$program_pid" 2>/dev/null || true
    fi
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}

start_private_session() {
    work=$(mktemp -d)
    xvfb_pid=
    program_pid=
    trap private_session_cleanup EXIT
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.05; done
    export DISPLAY=:$(head -n1 "$work/display")
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
    export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
    export XDG_RUNTIME_DIR=$work/runtime XDG_CURRENT_DESKTOP=
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    export http_proxy=http://127.0.0.1:9 https_proxy=http://127.0.0.1:9 no_proxy=
    unset QT_QPA_PLATFORM
}
