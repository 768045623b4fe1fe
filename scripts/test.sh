#!/usr/bin/env bash
# Builds both architectures (warnings are errors) and runs every test under Wine, in a private
# prefix made afresh under the build folder, on a virtual display. Ends with CTest's summary.
#   scripts/test.sh [extra ctest arguments, e.g. -R Install]
set -u
cd "$(dirname "$0")/.."
jobs=$(nproc)

for preset in x64 x86; do
  cmake --preset "$preset" -DVELTO_WARNINGS_AS_ERRORS=ON >/dev/null || exit 1
  cmake --build --preset "$preset" -j"$jobs" >build-$preset.log 2>&1 || {
    cat build-$preset.log; echo "test.sh: the $preset build failed" >&2; exit 1; }
done
rm -f build-x64.log build-x86.log

root=$PWD/build/x64/wine
echo "test.sh: making a fresh Wine prefix in $root"
rm -rf "$root"
scripts/wine-prefix.sh --make "$root/template" || exit 1
scripts/wine-prefix.sh --clone "$root/template" "$root/shared" || exit 1

# A virtual display for the windowed tests, unless one was given.
xvfb_pid=""
if [ -z "${VELTO_DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || break
  done
  Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:$n
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
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
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  for p in "$root"/fresh.*; do [ -d "$p" ] && WINEPREFIX=$p timeout 10 wineserver -k >/dev/null 2>&1; done
}
trap cleanup EXIT

ctest --test-dir build/x64 --output-on-failure -j"$jobs" --timeout 600 "$@"
