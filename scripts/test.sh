#!/usr/bin/env bash
# Builds both architectures (warnings are errors) and runs every test under Wine, in a private
# prefix made afresh under the build folder, on a virtual display. Ends with CTest's summary.
#   scripts/test.sh [extra ctest arguments, e.g. -R Install]
# Environment: VELTO_BUILD_ROOT (default: build), VELTO_ONLY_X64=1 (skip the x86 build, for quick
# local loops), VELTO_DISPLAY (an X display to use instead of a new virtual one).
set -u
cd "$(dirname "$0")/.."
jobs=$(nproc)
build_root=${VELTO_BUILD_ROOT:-build}

configure_and_build() {  # arch toolchain
  local dir=$build_root/$1
  cmake -S . -B "$dir" --toolchain "$PWD/cmake/$2" -DCMAKE_BUILD_TYPE=Release \
        -DVELTO_WARNINGS_AS_ERRORS=ON >"$dir.log" 2>&1 &&
    cmake --build "$dir" -j"$jobs" >>"$dir.log" 2>&1 || {
      cat "$dir.log"; echo "test.sh: the $1 build failed" >&2; return 1; }
  rm -f "$dir.log"
}
mkdir -p "$build_root"
configure_and_build x64 toolchain-x86_64-w64-mingw32.cmake || exit 1
if [ "${VELTO_ONLY_X64:-0}" != 1 ]; then
  # 32-bit: compiled and linked on every run; its tests need wine32, which CI does not have.
  configure_and_build x86 toolchain-i686-w64-mingw32.cmake || exit 1
fi

build=$PWD/$build_root/x64
root=$build/wine
echo "test.sh: making a fresh Wine prefix in $root"
rm -rf "$root" "$build/scratch"
scripts/wine-prefix.sh --make "$root/template" || exit 1
scripts/wine-prefix.sh --clone "$root/template" "$root/shared" || exit 1

# A virtual display for the windowed tests, unless one was given.
xvfb_pid=""
if [ -z "${VELTO_DISPLAY:-}" ]; then
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -n1 "$displayfile")
  rm -f "$displayfile"
else
  export DISPLAY=$VELTO_DISPLAY
fi

export WINEPREFIX=$root/shared WINEDEBUG=-all
timeout 5400 wineserver -p >/dev/null 2>&1 &
server=$!
# Wine's background services start with the first program and inherit its output; start them
# with none, so that they never hold CTest's pipes.
timeout 120 wine cmd /c exit >/dev/null 2>&1 </dev/null

cleanup() {
  WINEPREFIX=$root/shared timeout 20 wineserver -k >/dev/null 2>&1
  wait "$server" 2>/dev/null
  for p in "$root"/fresh.*; do
    [ -d "$p" ] && WINEPREFIX=$p timeout 10 wineserver -k >/dev/null 2>&1
  done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 600 "$@"
