#!/usr/bin/env bash
# Builds what the benchmark needs and runs it under Wine inside Xvfb: one table of
# figures on stdout (progress on stderr). Timings depend on what else the machine
# does: run it when it is quiet (the 1-minute load is printed before and after).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" >/dev/null
fi
cmake --build "$build" --target tessaly_bench -j 2 >/dev/null
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c '
    . "$1/scripts/env.sh"
    wineserver -p
    wine wineboot </dev/null >/dev/null 2>&1
    wine "$2/bin/tessaly_bench.exe"
    rc=$?
    wineserver -k
    wineserver -w 2>/dev/null
    exit $rc' bench "$root" "$build"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
