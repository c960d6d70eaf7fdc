#!/usr/bin/env bash
# Sets up a fresh machine if needed, builds everything and runs every test: the
# windows-free core natively under ASan/UBSan (with a bounded run of every fuzz
# target), then the Windows suite under Wine, for each bitness this machine runs.
#
# TESSALY_TEST_ARCH chooses the Windows suites: 32, 64 or both; unset, both where
# this machine runs 32-bit programs (tried, not configured) and 64 where it does
# not. Where the 32-bit suite does not run, the 32-bit build is still made and
# checked by what runs no Windows program (tests/static).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/env.sh"

requested=${TESSALY_TEST_ARCH:-}
case "$requested" in
    "" | 32 | 64 | both) ;;
    *) echo "TESSALY_TEST_ARCH must be 32, 64 or both, not '$requested'" >&2; exit 2 ;;
esac

"$root/scripts/bootstrap.sh"

cannot_run_32="this machine cannot run 32-bit programs (the 32-bit Wine loader does not start here)"
run32=no
run64=no
reason=""
if tessaly_can_run_32bit; then can32=yes; else can32=no; fi
case "$requested" in
    "") run64=yes; if [ $can32 = yes ]; then run32=yes; else reason="this machine cannot run 32-bit programs"; fi ;;
    both) run32=yes; run64=yes ;;
    32) run32=yes ;;
    64) run64=yes; reason="TESSALY_TEST_ARCH=64" ;;
esac
if [ $run32 = yes ] && [ $can32 = no ]; then
    echo "TESSALY_TEST_ARCH=$requested: $cannot_run_32; run the 64-bit suite instead (TESSALY_TEST_ARCH=64)" >&2
    exit 2
fi
if [ $run32 = yes ] && [ $run64 = yes ]; then
    suites="Windows suite: 32-bit and 64-bit"
elif [ $run64 = yes ]; then
    suites="Windows suite: 64-bit only ($reason); 32-bit binaries checked statically"
else
    suites="Windows suite: 32-bit only (TESSALY_TEST_ARCH=32)"
fi
echo "$suites"

jobs=$(nproc)
cmake -S "$root" -B "$root/build-native" -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSANITIZE=ON -DFUZZ=ON >/dev/null
cmake --build "$root/build-native" -j "$jobs"
# Both builds are made everywhere: the 32-bit one is the product, and its x64
# folder comes from the 64-bit one. The 64-bit suite tests the installed 32-bit
# product with 64-bit hosts (tests/integration/mixed) where 32-bit programs run.
build_windows() {
    local arch=$1; shift
    cmake -S "$root" -B "$(tessaly_build_dir "$arch")" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DCMAKE_TOOLCHAIN_FILE="$(tessaly_toolchain "$arch")" "$@" >/dev/null
    cmake --build "$(tessaly_build_dir "$arch")" -j "$jobs"
}
if [ $can32 = yes ]; then
    mixed="Mixed pair (the installed 32-bit product with 64-bit hosts): in the 64-bit suite"
    build_windows 64 -DTESSALY_X86_BUILD_DIR="$(tessaly_build_dir 32)"
else
    mixed="Mixed pair (the installed 32-bit product with 64-bit hosts): not run ($cannot_run_32)"
    build_windows 64 -DTESSALY_X86_BUILD_DIR=
fi
[ $run64 = yes ] || mixed="Mixed pair (the installed 32-bit product with 64-bit hosts): not run (no 64-bit suite)"
build_windows 32 -DVARNEL_X64_BUILD_DIR="$(tessaly_build_dir 64)"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
results=()
failed_suites=0
passed=0
failed=0
# Runs one suite and notes its outcome and counts (ctest's closing line) for the
# summary: run_suite <name> <command...>
run_suite() {
    local name=$1; shift
    echo "== $name =="
    local rc=0
    "$@" 2>&1 | tee "$log" || rc=$?
    local counts nFailed nTotal
    counts=$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    if [ -n "$counts" ]; then
        read -r nFailed _ _ _ _ nTotal <<<"$counts"
        failed=$((failed + nFailed))
        passed=$((passed + nTotal - nFailed))
    else
        counts="no test summary"
    fi
    results+=("$name: $([ $rc -eq 0 ] && echo passed || echo FAILED) ($counts)")
    [ $rc -eq 0 ] || failed_suites=$((failed_suites + 1))
}
xvfb() { xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$@"; }

run_suite "native tests (sanitizers; each fuzz target runs 30 s)" \
    ctest --test-dir "$root/build-native" --output-on-failure --timeout 300 -j "$jobs"
if [ $run32 = yes ]; then
    run_suite "Windows tests, 32-bit (Wine)" xvfb "$root/scripts/wine-ctest.sh" "$(tessaly_build_dir 32)"
else
    run_suite "32-bit binaries, checked statically" \
        ctest --test-dir "$(tessaly_build_dir 32)/tests/static" --output-on-failure --timeout 120
fi
if [ $run64 = yes ]; then
    run_suite "Windows tests, 64-bit (Wine)" xvfb "$root/scripts/wine-ctest.sh" "$(tessaly_build_dir 64)"
fi

echo "== summary =="
echo "$suites"
echo "$mixed"
for line in "${results[@]}"; do echo "  $line"; done
echo "$passed passed, $failed failed"
[ $failed_suites -eq 0 ]
