#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine, in the build's own Wine
# prefix, with the Qt and mingw-w64 runtime DLLs and Qt's plugins found where
# they were installed.
#   wine-run.sh --init      makes a fresh prefix (once per test run)
#   wine-run.sh PROGRAM.exe ARGS...
#   wine-run.sh --qtest TEST.exe ARGS...   a Qt Test program; its report is shown
#                                          (under Wine it reaches a pipe only through a file)
# Environment: OSTREL_WINEPREFIX (the prefix), OSTREL_QT_MINGW (Qt for Windows).
set -euo pipefail
: "${OSTREL_WINEPREFIX:?}" "${OSTREL_QT_MINGW:?}"
export WINEPREFIX=$OSTREL_WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
export WINEPATH="$(windows_path "$OSTREL_QT_MINGW/bin");$(windows_path /usr/lib/gcc/x86_64-w64-mingw32/12-posix);$(windows_path /usr/x86_64-w64-mingw32/lib)"
export QT_PLUGIN_PATH="$(windows_path "$OSTREL_QT_MINGW/plugins")"
# The offscreen platform of a Windows Qt finds no system fonts (text would lay out
# without glyphs): it gets the fonts the Linux test run draws with, so pixel checks
# of text placement measure the same glyphs.
export QT_QPA_FONTDIR=${QT_QPA_FONTDIR:-$(windows_path /usr/share/fonts/truetype/dejavu)}
# Wine keeps QT_* variables from its programs and hands on WINEQT_* as QT_*.
for name in $(compgen -e | grep '^QT_' || true); do
  export "WINE$name=${!name}"
done
if [ "${1:-}" = --init ]; then
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  # The server stays between the test programs' starts, and ends a minute after the last.
  wineserver -p60
  wineboot -i >/dev/null 2>&1
  exit 0
fi
if [ "${1:-}" = --qtest ]; then
  shift
  report=$(mktemp)
  trap 'rm -f "$report"' EXIT
  status=0
  wine "$@" -o "$(windows_path "$report"),txt" || status=$?
  cat "$report"
  exit $status
fi
exec wine "$@"
