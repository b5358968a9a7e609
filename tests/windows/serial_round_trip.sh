#!/usr/bin/env bash
# The serial link of the Windows build, under Wine: ostrel-cli.exe sends a table
# with --verify to kov-sim on a pseudo-terminal that the Wine prefix maps to COM7,
# then receives it back. The controller's table, the bytes on the line, the debug
# copy and the received file must equal what the Linux build sends and receives.
# The pty starts cooked (echo, XON/XOFF, CR/LF mapping), as a real port comes up.
#   serial_round_trip.sh NATIVE_BUILD_DIR WINDOWS_CLI_EXE
# Environment: as wine-run.sh (OSTREL_WINEPREFIX, OSTREL_QT_MINGW).
set -euo pipefail
native=$1 cli_exe=$2
wine_run=$(dirname "$(readlink -f "$0")")/wine-run.sh
for program in kov-sim ostrel-cli; do
  [ -x "$native/$program" ] || { echo "missing $native/$program: build the Linux programs first (./ostrel.sh test)"; exit 1; }
done
work=$(mktemp -d)
sims=()
cleanup() {
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -f "$OSTREL_WINEPREFIX/dosdevices/com7"
  rm -rf "$work"
}
trap cleanup EXIT

# start_sim NAME ARGS...: kov-sim in the background; its pty in $pty.
start_sim() {
  local name=$1
  shift
  mkfifo "$work/$name.fifo"
  "$native/kov-sim" "$@" >"$work/$name.fifo" &
  sim_pid=$!
  sims+=("$sim_pid")
  exec {fd}<"$work/$name.fifo"
  read -r -t 10 pty <&$fd
}
# stop_sim: ends the last simulator the way a user does, so it writes --save and --capture.
stop_sim() {
  kill -TERM "$sim_pid"
  wait "$sim_pid" || true
}
cook() {
  stty -F "$1" 9600 icrnl ixon ixoff ixany brkint imaxbel inlcr istrip opost onlcr ocrnl \
       echo echoe echok echoctl echoke icanon isig iexten hupcl
}
check() {
  if cmp -s "$2" "$3"; then echo "ok: $1"; else echo "FAILED: $1 ($2 and $3 differ)"; failed=1; fi
}
failed=0

# A full table with Shift-JIS text, so the frames carry every kind of byte.
for i in $(seq 0 511); do printf '緑茶 %03d ml,49%011d\r\n' "$i" "$((i * 7919))"; done |
  iconv -f UTF-8 -t CP932 >"$work/table.csv"
"$native/ostrel-cli" convert --to binary "$work/table.csv" "$work/table.bin" 2>/dev/null

mkdir "$work/linux" "$work/windows"
start_sim linux --save "$work/linux/saved.bin" --capture "$work/linux/wire.bin"
(cd "$work/linux" && "$native/ostrel-cli" send --port "$pty" --from binary --verify "$work/table.bin")
stop_sim

start_sim windows --save "$work/windows/saved.bin" --capture "$work/windows/wire.bin"
cook "$pty"
ln -sfn "$pty" "$OSTREL_WINEPREFIX/dosdevices/com7"
(cd "$work/windows" && "$wine_run" "$cli_exe" send --port COM7 --from binary --verify "Z:$work/table.bin" \
  2>"$work/windows/send.log") || failed=1
stop_sim
cat "$work/windows/send.log" >&2
# The simulator answers at once: the time per block is the link's own wait for
# each acknowledgement (a scheduler tick, 15.6 ms, if it slept between looks).
send_ms=$(grep -o 'send text list; [0-9]*' "$work/windows/send.log" | grep -o '[0-9]*$' || true)
[ -z "$send_ms" ] || echo "send under Wine: $send_ms ms, $((send_ms * 1000 / 256)) us per block and its acknowledgement"
check "send: the controller holds the table" "$work/table.bin" "$work/windows/saved.bin"
check "send: the bytes on the line" "$work/linux/wire.bin" "$work/windows/wire.bin"
check "send: the debug copy" "$work/linux/dbg.out" "$work/windows/dbg.out"

for format in binary text; do
  start_sim "recv-$format" --table "$work/table.bin"
  cook "$pty"
  ln -sfn "$pty" "$OSTREL_WINEPREFIX/dosdevices/com7"
  "$wine_run" "$cli_exe" recv --port COM7 --to "$format" "Z:$work/windows/got.$format" || failed=1
  stop_sim
  if [ "$format" = binary ]; then
    check "recv: the binary image" "$work/table.bin" "$work/windows/got.binary"
  else
    "$native/ostrel-cli" convert --from binary --to text "$work/table.bin" "$work/expected.txt" 2>/dev/null
    check "recv: the text table" "$work/expected.txt" "$work/windows/got.text"
  fi
done
exit $failed
