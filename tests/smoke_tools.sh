#!/usr/bin/env bash
# A short run of every tool that no test otherwise runs, so that none of
# them rots unseen: each must build what it needs and exit 0 within its
# time limit. Figures are not looked at. tools/run-tests calls this last.
# Not here: tools/fresh-check, which needs root and a new Debian root and
# is itself the check of the README's commands on a new machine.
set -uo pipefail
cd "$(dirname "$0")/.."
logs=build/smoke-tools
mkdir -p "$logs"

# smoke NAME LIMIT_S COMMAND...
smoke() {
    local name=$1 limit=$2 start=$SECONDS status=0
    shift 2
    timeout --kill-after=10 "$limit" "$@" >"$logs/$name.log" 2>&1 || status=$?
    if [ "$status" -eq 0 ]; then
        echo "smoke: ok     $name ($((SECONDS - start)) s)"
    else
        echo "smoke: FAILED $name (status $status after $((SECONDS - start)) s); last lines of $logs/$name.log:"
        { grep -E '^(FAIL|fail|[a-z-]+:)' "$logs/$name.log" | tail -n 5; tail -n 20 "$logs/$name.log"; } | sed 's/^/    /'
        echo "$name" >>"$logs/failed"
    fi
}

# The web server: serves the built site's page.
serve_web() {
    local port=$((20000 + RANDOM % 20000)) pid status=1
    tools/run-web "$port" &
    pid=$!
    for _ in $(seq 300); do
        if python3 -c "import sys, urllib.request as u; sys.exit(b'vaskel' not in u.urlopen(sys.argv[1]).read())" \
            "http://127.0.0.1:$port/" 2>/dev/null; then status=0; break; fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 1
    done
    pkill -P "$pid" 2>/dev/null; kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    return "$status"
}
export -f serve_web

# The Windows build played under Wine on a private display, ended with Escape.
play_windows() {
    . tests/e2e/lib.sh
    start_xvfb
    export WINEPREFIX=$E2E_DIR/wineprefix
    at_exit 'wineserver -k 2>/dev/null'
    tools/run-windows &
    GAME_PID=$!
    _window() {
        local w
        for w in $(xdotool search --class vaskel.exe 2>/dev/null); do
            [ "$(xwininfo -id "$w" | awk '/Width:/ {print $2}')" = 640 ] && GAME_WIN=$w && return 0
        done
        return 1
    }
    wait_until 240 _window || fail "no window"
    sleep 2
    key Escape
    wait_game_exit 60
    assert_eq 0 "$GAME_STATUS" "exit status"
}
export -f play_windows

# Two chains side by side, each about three minutes: most tools keep one
# core busy. A build tree is built by one tool at a time (each locks it);
# the fuzzers share one of their own, so they run in turn.
build_tree_tools() {
    smoke bench 900 env BENCH_CALLGRIND_FRAMES=1 tools/bench 5
    # Ten seconds say nothing of memory growth: the soak's own limit is for real runs.
    smoke soak 300 env SOAK_WARMUP=4 SOAK_INTERVAL=2 SOAK_TOLERANCE_KB=1048576 tools/soak 10s
    smoke run-demo 600 env -u DISPLAY tools/run-demo  # with no display: the tour
}
other_tools() {
    smoke fuzz 900 env FUZZ_BUILD=build/smoke-fuzz FUZZ_TARGETS="tga bmp webbmp image" tools/fuzz 3
    smoke fuzz-compat 300 env FUZZ_BUILD=build/smoke-fuzz VASKEL_SDL=compat FUZZ_TARGETS=bmp tools/fuzz 3
    smoke bench-web 900 tools/bench-web 2
    smoke bench-web-layer 300 tools/bench-web-layer 2
    smoke run-web 600 bash -c serve_web
    smoke run-windows 600 bash -c 'set -euo pipefail; play_windows'
}
: >"$logs/failed"
build_tree_tools &
other_tools
wait
failed=$(paste -sd' ' "$logs/failed")
[ -z "$failed" ] || { echo "smoke: failed: $failed"; exit 1; }
