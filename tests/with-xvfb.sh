#!/usr/bin/env bash
# Runs a command on a private Xvfb display (the same start-up as the
# end-to-end tests, safe to run in parallel), and returns its status.
# With VASKEL_SDL=compat (a second pass on sdl12-compat) it is skipped where
# the system's SDL 1.2 is sdl12-compat already.
set -euo pipefail
. "$(dirname "$0")/e2e/lib.sh"
if [ "${VASKEL_SDL:-}" = compat ] && [ "$(sdl_system_kind)" = compat ]; then
    skip "the system's SDL 1.2 is sdl12-compat, which the first pass ran on; no classic SDL 1.2 here"
fi
start_xvfb
set +e
"$@"
exit $?
