#!/usr/bin/env bash
# Prepares a Debian 12 machine for building and testing: packages (only those
# missing) and the project's Wine prefixes, the 32-bit one only where this machine
# can run 32-bit programs. Safe to run again at any time.
set -euo pipefail
. "$(dirname "$0")/env.sh"

# fonts-liberation: Liberation Mono, metric-compatible with Courier New (the
# console's face), which Wine does not bring. wine32 is installed everywhere (it
# installs even where it cannot run); binutils-mingw-w64 and p7zip-full serve the
# checks of the 32-bit binaries that need no execution. lld and llvm: lld-link and
# llvm-dlltool, for the Microsoft-format import libraries and the hosts and
# companion libraries built in Microsoft mode.
packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 cmake make googletest
          wine wine32:i386 wine64 xvfb xauth nsis p7zip-full clang libclang-rt-14-dev g++ fonts-liberation
          lld llvm)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    echo "bootstrap: installing ${missing[*]}"
    $sudo_cmd dpkg --add-architecture i386
    $sudo_cmd apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Creates the prefix of one bitness (32 or 64) and gives it the project's settings.
prepare_prefix() {
    tessaly_use_wine_arch "$1"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "bootstrap: creating $TESSALY_WINE_ARCH-bit Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
        wineserver -w
    fi
    [ -f "$WINEPREFIX/system.reg" ] || { echo "bootstrap: Wine prefix $WINEPREFIX was not created" >&2; exit 1; }

    # The marker's number goes up with every new setting, so that existing prefixes
    # get it too.
    local settings_marker="$WINEPREFIX/.project-settings-2"
    if [ ! -f "$settings_marker" ]; then
        # A crash must end the process with a backtrace, never wait at a dialog.
        "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        # Without a window manager (Xvfb), managed windows cost ~2 s each to show or hide.
        "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        # "Courier New" is not in the prefix: Wine shows Liberation Mono in its place
        # (same metrics), not a proportional face.
        "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /t REG_SZ \
            /d 'Liberation Mono' /f >/dev/null 2>&1
        wineserver -w
        rm -f "$WINEPREFIX"/.project-settings-[0-9]*
        touch "$settings_marker"
    fi
}

if tessaly_can_run_32bit; then
    (prepare_prefix 32)
else
    echo "bootstrap: this machine cannot run 32-bit programs: no 32-bit Wine prefix"
fi
(prepare_prefix 64)
