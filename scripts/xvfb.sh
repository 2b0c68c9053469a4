#!/usr/bin/env bash
# An Xvfb server on a display nobody uses, for the programs that need an X
# display where there is none.
#
# Sourced: xvfb_start [SCREEN] sets DISPLAY and XVFB_PID (SCREEN defaults to
# 1024x768x24); xvfb_stop ends the server that xvfb_start started. Where
# QUILLON_XVFB_STATE names the state file of a server started as below and
# that server still runs, xvfb_start uses its display instead and leaves
# XVFB_PID empty, so that xvfb_stop leaves it alone.
#
# Run: xvfb.sh start STATE_FILE starts a server that outlives the script and
# writes its display and process id to STATE_FILE; xvfb.sh stop STATE_FILE
# ends it (the Xvfb fixture of the tests).

XVFB_PID=

# The display in state file $1 when its server still runs; nothing otherwise.
xvfb_shared_display() {
    local display pid
    [ -n "$1" ] && [ -f "$1" ] || return 1
    read -r display pid <"$1" || return 1
    [ -n "$display" ] && kill -0 "$pid" 2>/dev/null || return 1
    echo "$display"
}

xvfb_start() {
    local screen=${1:-1024x768x24} number_file number= shared
    if shared=$(xvfb_shared_display "${QUILLON_XVFB_STATE:-}"); then
        export DISPLAY=$shared
        return 0
    fi
    number_file=$(mktemp)
    # -displayfd: Xvfb picks a free display itself and writes its number once
    # it accepts connections, so parallel runs never race for one.
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        number=$(head -n1 "$number_file")
        [ -n "$number" ] && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$number_file"
    if [ -z "$number" ]; then
        echo "xvfb.sh: Xvfb did not start" >&2
        xvfb_stop
        return 1
    fi
    export DISPLAY=":$number"
}

xvfb_stop() {
    [ -n "$XVFB_PID" ] || return 0
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
    return 0
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    [ $# -eq 2 ] || { echo "usage: $0 start|stop STATE_FILE" >&2; exit 2; }
    state=$2
    case $1 in
        start)
            unset QUILLON_XVFB_STATE
            # A server of an earlier run that was never stopped goes first.
            if xvfb_shared_display "$state" >/dev/null; then
                read -r _ pid <"$state"
                kill "$pid" 2>/dev/null || true
            fi
            mkdir -p "$(dirname "$state")"
            xvfb_start
            echo "$DISPLAY $XVFB_PID" >"$state"
            echo "Xvfb on $DISPLAY (process $XVFB_PID)"
            ;;
        stop)
            if xvfb_shared_display "$state" >/dev/null; then
                read -r _ pid <"$state"
                kill "$pid" 2>/dev/null || true
            fi
            rm -f "$state"
            ;;
        *)
            echo "usage: $0 start|stop STATE_FILE" >&2
            exit 2
            ;;
    esac
fi
