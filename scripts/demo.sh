#!/usr/bin/env bash
# The demo, unattended: sets up the machine if needed (scripts/bootstrap.sh),
# builds the installer and the demo driver, installs the system into the
# project's Wine prefix with TessalySetup.exe /S, runs two sample hosts in debug
# mode (the monitor starts through COM and stays resident with its tray icon),
# opens the console, saves it with the monitor's File > Save, takes a screenshot
# of it, finds a word with Edit > Find... (a screenshot of the screen with the
# dialog over the console) and ends the monitor with File > Exit. Results land
# in out/demo/.
# Without an X display it runs itself under Xvfb. Where this machine cannot run
# 32-bit programs (or with TESSALY_TEST_ARCH=64) it shows the 64-bit build, with
# its own 64-bit setup program, in the 64-bit Wine prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/env.sh"
IFS=$'\t' read -r arch arch_text < <(tessaly_program_arch)
tessaly_use_wine_arch "$arch"
build=$(tessaly_build_dir "$arch")
out="$root/out/demo"

run_in_wine() {
    # Everything of this prefix ends with its wineserver: nothing stays running.
    trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true' EXIT
    wineserver -p
    "$WINE" wineboot </dev/null >/dev/null 2>&1

    echo "== installing: TessalySetup.exe /S =="
    "$WINE" "$build/TessalySetup.exe" /S
    local location
    # The key lives in the 32-bit registry view, where the programs of both bitnesses read it.
    location=$("$WINE" reg query 'HKLM\Software\Marvane\ZOVCommon' /v Location /reg:32 2>/dev/null |
               sed -n 's/^ *Location *REG_SZ *//p' | tr -d '\r')
    [ -n "$location" ] || { echo "demo: the installer wrote no \"Location\" value" >&2; exit 1; }
    local install_dir="${location%\\*}"
    echo "installed into $install_dir (registry \"Location\" = $location)"
    echo "  on this machine: $("$WINE" winepath -u "$install_dir")"

    echo "== running the sample hosts and driving the monitor =="
    mkdir -p "$out"
    rm -f "$out/console.log" "$out/console.png" "$out/find.png"
    # ZOVLOGGER=1 gives each process a logger for the companion library, ALL
    # switches on every level; the variable's presence alone means debug mode.
    QX_LMDEBUGLOGLEVEL='ZOVLOGGER=1;ALL' "$WINE" "$build/bin/demo_driver.exe" "$install_dir\\sample_host.exe" \
        "$("$WINE" winepath -w "$out/console.log")" "$("$WINE" winepath -w "$out/console.png")" \
        "$("$WINE" winepath -w "$out/find.png")" \
        2> >(grep -v 'Read access denied for device' >&2)
}

if [ "${1:-}" = "--in-wine" ]; then
    run_in_wine
    exit 0
fi

echo "demo: $arch_text"
"$root/scripts/bootstrap.sh"
echo "== building the installer and the demo driver =="
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$(tessaly_toolchain "$arch")" >/dev/null
cmake --build "$build" -j "$(nproc)" --target installer demo_driver >/dev/null

if [ -n "${DISPLAY:-}" ]; then
    "$0" --in-wine
else
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" --in-wine
fi

lines=$(tr -d '\r' < "$out/console.log" | wc -l)
echo "== demo finished =="
echo "console log, saved by the monitor's File > Save ($lines lines): $out/console.log"
echo "screenshot of the console:                            $out/console.png"
echo "the last lines of the log:"
tr -d '\r' < "$out/console.log" | tail -n 6 | sed 's/^/    /'
