# Sourced by every script that runs Wine: one project-local prefix per bitness,
# no debug chatter, no Mono/Gecko download prompts. It selects the bitness that
# TESSALY_WINE_ARCH names (tessaly_use_wine_arch changes it afterwards):
#   TESSALY_WINE_ARCH=32 (default): the 32-bit prefix .wine-prefix/ (WINEARCH=win32),
#                                   programs started by the 32-bit loader;
#   TESSALY_WINE_ARCH=64:           the 64-bit prefix .wine-prefix64/ (WINEARCH=win64),
#                                   programs started by the 64-bit loader.
# "$WINE" is the loader to call: /usr/bin/wine picks the 32-bit one whenever it is
# installed, even on a machine that cannot run it.
_scripts_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
PROJECT_ROOT=$(cd "$_scripts_dir/.." && pwd)
export PROJECT_ROOT
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Points everything that follows at the prefix and loader of one bitness (32 or 64).
tessaly_use_wine_arch() {
    case "$1" in
        32)
            export WINEPREFIX="${TESSALY_WINEPREFIX:-$PROJECT_ROOT/.wine-prefix}"
            export WINEARCH=win32
            export WINE=/usr/lib/wine/wine
            ;;
        64)
            export WINEPREFIX="${TESSALY_WINEPREFIX64:-$PROJECT_ROOT/.wine-prefix64}"
            export WINEARCH=win64
            export WINE=/usr/lib/wine/wine64
            ;;
        *)
            echo "TESSALY_WINE_ARCH must be 32 or 64, not '$1'" >&2
            return 2
            ;;
    esac
    export TESSALY_WINE_ARCH="$1"
    # Programs that Wine starts on its own (services, rundll32) use the same loader.
    export WINELOADER="$WINE"
}
tessaly_use_wine_arch "${TESSALY_WINE_ARCH:-32}" || { return 2 2>/dev/null || exit 2; }
unset _scripts_dir

# True when this machine runs 32-bit programs: tried, not configured. Where the
# kernel has no 32-bit support the 32-bit loader fails with "Exec format error".
tessaly_can_run_32bit() {
    [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Prints 32 or 64 for a Windows program (the machine field of its PE header),
# nothing for any other file.
tessaly_pe_bitness() {
    local offset machine
    offset=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ') || return 0
    [ -n "$offset" ] || return 0
    [ "$(od -An -c -j "$offset" -N 4 "$1" 2>/dev/null | tr -d ' ')" = 'PE\0\0' ] || return 0
    machine=$(od -An -t x2 -j $((offset + 4)) -N 2 "$1" 2>/dev/null | tr -d ' ')
    case "$machine" in
        014c) echo 32 ;;
        8664) echo 64 ;;
    esac
}

# The bitness that the demo and the benchmark use: 32 (the product) where this
# machine runs 32-bit programs, else 64; TESSALY_TEST_ARCH=64 asks for 64.
# Prints the bitness, then a tab and a line that says why.
tessaly_program_arch() {
    if [ "${TESSALY_TEST_ARCH:-}" = 64 ]; then
        printf '64\t64-bit build (TESSALY_TEST_ARCH=64)\n'
    elif tessaly_can_run_32bit; then
        printf '32\t32-bit build (the product)\n'
    else
        printf '64\t64-bit build (this machine cannot run 32-bit programs)\n'
    fi
}

# The build folder and toolchain file of a bitness.
tessaly_build_dir() { if [ "$1" = 64 ]; then echo "$PROJECT_ROOT/build64"; else echo "$PROJECT_ROOT/build"; fi; }
tessaly_toolchain() {
    if [ "$1" = 64 ]; then echo "$PROJECT_ROOT/cmake/x86_64-w64-mingw32.cmake"
    else echo "$PROJECT_ROOT/cmake/i686-w64-mingw32.cmake"; fi
}
