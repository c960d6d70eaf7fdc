#!/usr/bin/env bash
# Sets up a fresh machine if needed, builds everything and runs every test:
# the windows-free core natively under ASan/UBSan (with a bounded run of every
# fuzz target), then the Windows suite under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh"

jobs=$(nproc)
cmake -S "$root" -B "$root/build-native" -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSANITIZE=ON -DFUZZ=ON >/dev/null
cmake --build "$root/build-native" -j "$jobs"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" >/dev/null
cmake --build "$root/build" -j "$jobs"

echo "== native tests (sanitizers; each fuzz target runs 30 s) =="
ctest --test-dir "$root/build-native" --output-on-failure --timeout 300 -j "$jobs"
echo "== Windows tests (Wine) =="
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$root/scripts/wine-ctest.sh" "$root/build"
