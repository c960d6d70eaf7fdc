#!/usr/bin/env bash
# Builds what the benchmark needs and runs it under Wine inside Xvfb: one table of
# figures on stdout (progress on stderr). Timings depend on what else the machine
# does: run it when it is quiet (the 1-minute load is printed before and after).
# Where this machine cannot run 32-bit programs (or with TESSALY_TEST_ARCH=64) it
# measures the 64-bit build in the 64-bit Wine prefix.
# --ceiling runs only the pipe's ceiling (echo clients against hosts of the same
# number) and its targets: about 90 s instead of several minutes.
#   scripts/bench.sh [build folder] [--ceiling]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/env.sh"
IFS=$'\t' read -r arch arch_text < <(tessaly_program_arch)
build=
bench_args=()
for arg in "$@"; do
    case "$arg" in
        --*) bench_args+=("$arg") ;;
        *) build=$arg ;;
    esac
done
build=${build:-$(tessaly_build_dir "$arch")}
echo "bench: $arch_text"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DCMAKE_TOOLCHAIN_FILE="$(tessaly_toolchain "$arch")" >/dev/null
fi
cmake --build "$build" --target tessaly_bench -j 2 >/dev/null
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
TESSALY_WINE_ARCH=$(tessaly_pe_bitness "$build/bin/tessaly_bench.exe") \
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c '
    . "$1/scripts/env.sh"
    wineserver -p
    "$WINE" wineboot </dev/null >/dev/null 2>&1
    build=$2
    shift 2
    "$WINE" "$build/bin/tessaly_bench.exe" "$@"
    rc=$?
    wineserver -k
    wineserver -w 2>/dev/null
    exit $rc' bench "$root" "$build" "${bench_args[@]}"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
