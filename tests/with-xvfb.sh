#!/usr/bin/env bash
# Runs a command on a private Xvfb display (the same start-up as the
# end-to-end tests, safe to run in parallel), and returns its status.
set -euo pipefail
. "$(dirname "$0")/e2e/lib.sh"
start_xvfb
set +e
"$@"
exit $?
