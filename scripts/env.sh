# Sourced by every script that runs Wine: one project-local 32-bit prefix,
# no debug chatter, no Mono/Gecko download prompts.
_scripts_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
PROJECT_ROOT=$(cd "$_scripts_dir/.." && pwd)
export PROJECT_ROOT
export WINEPREFIX="${TESSALY_WINEPREFIX:-$PROJECT_ROOT/.wine-prefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset _scripts_dir
