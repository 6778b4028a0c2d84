#!/usr/bin/env bash
# tests/web/browser_pass.sh SITE_DIR [BUILD_DIR]: the whole browser pass
# (test_browser.py) in two processes side by side, Chromium's checks beside
# Firefox's and WebKit's: a page keeps about one core busy. Their output
# follows, one after the other.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
logs=$(mktemp -d "${TMPDIR:-/tmp}/vaskel-browsers.XXXXXX")
chromium=""
trap '[ -z "$chromium" ] || kill "$chromium" 2>/dev/null; rm -rf "$logs"' EXIT
/usr/bin/python3 "$here/test_browser.py" "$@" --engines chromium >"$logs/chromium.log" 2>&1 &
chromium=$!
status=0
/usr/bin/python3 "$here/test_browser.py" "$@" --engines firefox,webkit >"$logs/others.log" 2>&1 || status=1
wait "$chromium" || status=1
chromium=""
cat "$logs/chromium.log" "$logs/others.log"
exit "$status"
