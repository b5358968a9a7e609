#!/usr/bin/env bash
# The Windows installer, run for real under Wine in a fresh prefix: a silent
# install into the 64-bit Program Files, the programs with every DLL they import
# and Qt's plugins, the Start-menu shortcut, the entry in the list of installed
# programs with its size, the installed command-line tool running on its own
# DLLs; then a silent uninstall that leaves neither files nor entry behind.
#   installer_check.sh INSTALLER.exe VERSION
set -euo pipefail
installer=$(readlink -f "$1") version=$2
[ -f "$installer" ] || { echo "missing $installer: make it with cpack first"; exit 1; }
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
unset WINEPATH   # the installed copy must find its DLLs beside itself
cleanup() { wineserver -k 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
failed=0
check() {
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=1; fi
}
# wine_run PROGRAM ARGS...: runs it and waits until every process of the prefix has
# ended (an uninstaller hands over to a copy of itself and returns at once).
wine_run() {
  wine "$@"
  wineserver -w
}
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KOV Ostrel'
registry_value() {
  wine reg query "$uninstall_key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 \+REG_[A-Z_]\+ \+//p"
}
# Every DLL a module imports is beside the programs or one of the system's own
# (API sets, api-ms-win-*, the loader resolves without a file).
imports_resolve() {
  local module=$1 dll missing=0
  for dll in $(x86_64-w64-mingw32-objdump -p "$module" | awk '/DLL Name:/ && $3 !~ /^(api|ext)-ms-win-/ { print $3 }'); do
    if [ -z "$(find "$bin" "$WINEPREFIX/drive_c/windows/system32" -maxdepth 1 -iname "$dll" -print -quit)" ]; then
      echo "  $module imports $dll, which is nowhere"
      missing=1
    fi
  done
  return $missing
}

wineboot -i >/dev/null 2>&1
wineserver -w
echo "installer: $(stat -c %s "$installer") bytes"
wine_run "$installer" /S
home="$WINEPREFIX/drive_c/Program Files/KOV-Ostrel"
bin=$home/bin
check "installed into the 64-bit Program Files" test -d "$home"
for module in ostrel.exe ostrel-cli.exe platforms/qwindows.dll styles/qwindowsvistastyle.dll; do
  check "bin/$module is installed with what it imports" imports_resolve "$bin/$module"
done
shortcut=$(find "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" -name "KOV Ostrel.lnk" -print -quit)
check "Start-menu shortcut to the editor" grep -aqF 'KOV-Ostrel\bin\ostrel.exe' "${shortcut:-/dev/null}"
check "entry in the installed programs: KOV Ostrel $version" \
  test "$(registry_value DisplayName) $(registry_value DisplayVersion)" = "KOV Ostrel $version"
# What the installer counts: each installed file rounded up to whole KiB.
files_kib=$(find "$bin" -type f -printf '%s\n' | awk '{ kib += int(($1 + 1023) / 1024) } END { print kib }')
estimated_kib=$(( $(registry_value EstimatedSize) ))
echo "installed size: EstimatedSize $estimated_kib KiB, files $files_kib KiB"
check "installed size is the size of the files" test "$estimated_kib" -eq "$files_kib"
# The uninstaller deletes the installer's key, so it must not be the editor's settings key.
registry_key_exists() { wine reg query "$1" >/dev/null 2>&1; }
check "installer's key is its own" registry_key_exists 'HKLM\Software\Brenvik\KOV Ostrel'
check "nothing written into the editor's settings key" \
  eval '! registry_key_exists "HKLM\Software\Brenvik\KOV-Ostrel"'
cli_version=$(wine "$home/bin/ostrel-cli.exe" --version 2>&1 | tr -d '\r') || true
echo "installed ostrel-cli.exe --version: $cli_version"
check "installed command-line tool runs" grep -qF " $version" <<<"$cli_version"

wine_run "$home/Uninstall.exe" /S
check "uninstall removes the files" test ! -e "$home"
check "uninstall removes the shortcut" test ! -e "${shortcut:-/nonexistent}"
check "uninstall removes the entry" test -z "$(registry_value DisplayName)"
exit $failed
