#!/usr/bin/env bash
# Runs the Windows test suite of a build folder under Wine. Expects an X display
# (scripts/test.sh provides Xvfb). One warm wineserver serves the whole run.
set -uo pipefail
. "$(dirname "$0")/env.sh"
build_dir=$1; shift
wineserver -p
# Wine's own services must not inherit CTest's pipes, or CTest waits for them.
wine wineboot </dev/null >/dev/null 2>&1
ctest --test-dir "$build_dir" --output-on-failure --timeout 120 "$@"
rc=$?
wineserver -k
wineserver -w 2>/dev/null
exit $rc
