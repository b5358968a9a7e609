#!/usr/bin/env bash
# Ostrel: install what is missing, build, then start the editor or run the tests.
#   ./ostrel.sh [FILE...]     build and start the editor (FILE... open in the type recognised)
#   ./ostrel.sh --demo        also start the controller simulator and select its port
#   ./ostrel.sh test          build and run every test
#   ./ostrel.sh bench         build and run the benchmarks
#   ./ostrel.sh package       build the installable package (a .deb on Linux) into build/package
#   ./ostrel.sh asan          build and run every test under the address and UB sanitizers
#   ./ostrel.sh fuzz [SECONDS] build the fuzz targets (clang, libFuzzer) and run each for SECONDS (60)
#   ./ostrel.sh windows       cross-build for Windows, run its tests under Wine, make the
#                             installer and the portable zip (build-windows/package/)
set -euo pipefail
caller_dir=$PWD   # file names on the command line are relative to it
root=$(dirname "$(readlink -f "$0")")
cd "$root"

PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-serialport-dev libqt6serialport6
          libftdi1-dev libicu-dev libgl-dev fonts-noto-cjk qt6-translations-l10n dpkg-dev
          libxlsxwriter-dev libminizip-dev zlib1g-dev)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "ostrel: installing ${missing[*]}" >&2
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

# build PRESET [TARGET...]: without targets, everything (tests and benchmarks too).
build() {
  local preset=${1:-default}
  shift || true
  local targets=()
  [ $# -eq 0 ] || targets=(--target "$@")
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)" "${targets[@]}"
}
# What the editor and its demo run.
PROGRAMS=(ostrel ostrel-cli kov-sim)

case "${1:-}" in
  windows)
    shift
    PACKAGES+=(qt6-base-dev-tools g++-mingw-w64-x86-64-posix wine64 wine nsis fonts-dejavu-core)
    install_missing
    # The Qt built for Windows lies beside the checkout unless named.
    export OSTREL_SHARED_DIR=${OSTREL_SHARED_DIR:-$(readlink -f "$root/../shared")}
    # The serial round trip runs the Windows tool against the Linux simulator.
    build default kov-sim ostrel-cli
    build windows
    # The tests make the installer and the zip (windows_package) and install the former.
    ctest --preset windows -j "$(nproc)" "$@"
    ;;
  test)
    shift
    install_missing
    build default
    ctest --preset default -j "$(nproc)" "$@"
    ;;
  asan)
    shift
    install_missing
    build asan
    ctest --preset asan -j "$(nproc)" "$@"
    ;;
  fuzz)
    seconds=${2:-60}
    PACKAGES+=("${FUZZ_PACKAGES[@]}")
    install_missing
    build fuzz
    # New inputs go to build-fuzz/corpus (the seeds in tests/fuzz/corpus stay as
    # they are); a crash lands in build-fuzz/crashes: add it to the seeds once fixed.
    mkdir -p build-fuzz/crashes
    failed=()
    for target in build-fuzz/fuzz/fuzz_*; do
      name=${target##*/fuzz_}
      mkdir -p "build-fuzz/corpus/$name"
      echo "ostrel: fuzzing $name for ${seconds}s" >&2
      ASAN_OPTIONS=detect_leaks=0 nice "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$name-" \
        "build-fuzz/corpus/$name" "tests/fuzz/corpus/$name" 2>"build-fuzz/$name.log" || failed+=("$name")
      grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "build-fuzz/$name.log" >&2 || true
    done
    if [ ${#failed[@]} -gt 0 ]; then
      echo "ostrel: findings in ${failed[*]} (see build-fuzz/<name>.log and build-fuzz/crashes)" >&2
      exit 1
    fi
    ;;
  bench)
    install_missing
    build default
    ctest --preset bench
    ;;
  package)
    install_missing
    build default ostrel ostrel-cli
    cpack --config build/CPackConfig.cmake
    ;;
  --demo)
    shift
    install_missing
    build default "${PROGRAMS[@]}"
    demo_dir=$(mktemp -d)
    sim_out="$demo_dir/sim.out"
    # The simulated controller starts with a small sample table and takes as long
    # on the wire as a real one at 115.2k, so the progress bar can be watched.
    # Its spare entry after the last bar code, which Check Table points out, goes in as it is.
    ./build/ostrel-cli convert --to binary --force resources/demo_table.csv "$demo_dir/table.bin" 2>/dev/null
    ./build/kov-sim --table "$demo_dir/table.bin" --baud 115200 >"$sim_out" &
    sim_pid=$!
    trap 'kill $sim_pid 2>/dev/null || true; rm -rf "$demo_dir"' EXIT
    for _ in $(seq 50); do [ -s "$sim_out" ] && break; sleep 0.1; done
    port=$(head -n 1 "$sim_out")
    echo "ostrel: controller simulator on $port" >&2
    cd "$caller_dir"
    "$root/build/ostrel" --port "$port" "$@"
    ;;
  *)
    install_missing
    build default "${PROGRAMS[@]}"
    cd "$caller_dir"
    exec "$root/build/ostrel" "$@"
    ;;
esac
