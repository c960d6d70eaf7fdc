#!/usr/bin/env bash
# Runs one libFuzzer target of the windows-free core for longer than the test
# suite does (FUZZ_SECONDS, 30 s each), in the native build (clang, ASan, UBSan).
#   scripts/fuzz.sh <target> [seconds] [libFuzzer options...]
#   targets: command_data init_payload log_level_config catalogue_format install_location
# New inputs accumulate in build-native/tests/fuzz/work/<target>/corpus (shared
# with the test suite's runs); a crash stops the run, saves its input under
# .../artifacts/ and exits non-zero. Replay one with: build-native/bin/fuzz_<target> <file>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
targets="command_data init_payload log_level_config catalogue_format install_location"
target=${1:-}
if [ -z "$target" ] || [[ " $targets " != *" $target "* ]]; then
    echo "usage: $0 <target> [seconds] [libFuzzer options...]; targets: $targets" >&2
    exit 2
fi
seconds=${2:-600}
shift $(( $# >= 2 ? 2 : 1 ))

cmake -S "$root" -B "$root/build-native" -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSANITIZE=ON -DFUZZ=ON >/dev/null
cmake --build "$root/build-native" --target "fuzz_$target" -j "$(nproc)"
work="$root/build-native/tests/fuzz/work/$target"
mkdir -p "$work/corpus" "$work/artifacts"
exec "$root/build-native/bin/fuzz_$target" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
     -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$@" "$work/corpus" "$root/tests/fuzz/corpus/$target"
