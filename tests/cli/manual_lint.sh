#!/usr/bin/env bash
# The manual pages pass both formatters' checks: groff with every warning, and mandoc's lint down to
# its style remarks (long source lines aside: the pages keep their text in lines of up to 100 bytes).
#   manual_lint.sh PAGE...
set -u
failures=0
for page in "$@"; do
    found=$(groff -man -ww -z "$page" 2>&1)
    found+=$(mandoc -T lint -W style "$page" 2>&1 | grep -v 'input text line longer than 80 bytes')
    if [ -n "$found" ]; then
        printf '%s\n' "$found"
        failures=$((failures + 1))
    fi
done
exit $((failures > 0))
