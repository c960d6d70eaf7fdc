#!/usr/bin/env bash
# Runs the Windows test suite of a build folder under Wine, in the prefix of the
# build's bitness. Expects an X display (scripts/test.sh provides Xvfb). One warm
# wineserver serves the whole run.
set -uo pipefail
build_dir=$1; shift
. "$(dirname "$0")/env.sh"
tessaly_use_wine_arch "$(tessaly_pe_bitness "$build_dir/bin/Tessaly.exe")" || exit 2
wineserver -p
# Wine's own services must not inherit CTest's pipes, or CTest waits for them.
"$WINE" wineboot </dev/null >/dev/null 2>&1
ctest --test-dir "$build_dir" --output-on-failure --timeout 120 "$@"
rc=$?
wineserver -k
wineserver -w 2>/dev/null
exit $rc
