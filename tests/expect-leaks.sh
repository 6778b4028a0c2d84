#!/usr/bin/env bash
# expect-leaks.sh COUNT FRAME CMD...: runs CMD, which plants COUNT leaks from
# the function FRAME, and passes only when it fails with LeakSanitizer
# reporting each of them with that frame. A suppression broad enough to hide
# our own frames (the allocator's interceptors, a catch-all) fails here.
set -uo pipefail
want=$1 frame=$2
shift 2
out=$("$@" 2>&1)
status=$?
seen=$(grep -cE "^ +#[0-9]+ 0x[0-9a-f]+ in $frame" <<<"$out")
if [ "$status" -ne 0 ] && [ "$seen" -eq "$want" ] && grep -q 'LeakSanitizer: detected memory leaks' <<<"$out"; then
    exit 0
fi
printf '%s\n' "$out"
echo "expect-leaks: wanted a failing run with $want leaks from $frame; got status $status and $seen" >&2
exit 1
