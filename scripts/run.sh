#!/usr/bin/env bash
# Builds the program (x64), lays out a working folder with the two package folders filled with
# PLACEHOLDER driver files, and starts the program from it under Wine:
#   - on your display when DISPLAY is set;
#   - else on a virtual display (Xvfb), where it takes a screenshot after a few seconds, says where
#     it is, and ends the program.
# Environment: VELTO_BUILD_ROOT (default: build), VELTO_RUN_WINVER (Windows version Wine reports,
# default win10), VELTO_RUN_SECONDS (virtual display: seconds before the screenshot, default 8).
set -eu
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh

root=$PWD/${VELTO_BUILD_ROOT:-build}/run
build=$root/x64
echo "run: building the program in $build"
cmake -S . -B "$build" --toolchain "$PWD/cmake/toolchain-x86_64-w64-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DVELTO_BUILD_TESTS=OFF >"$root.log" 2>&1 &&
  cmake --build "$build" --target VeltoPrinterDriverSetup -j"$(nproc)" >>"$root.log" 2>&1 ||
  { cat "$root.log"; echo "run: the build failed" >&2; exit 1; }
rm -f "$root.log"

# The working folder: the program finds its package folders in its current directory. The files
# only carry the driver files' names; they are text, not drivers.
work=$root/workdir-with-placeholder-drivers
rm -rf "$work"
for folder in "Windows NT x86" "Windows x64"; do
  mkdir -p "$work/$folder"
  for file in POS80.DLL POS58.DLL POS80C.GPD POS80.GPD POS58.GPD UNIDRV.DLL UNIDRVUI.DLL UNIRES.DLL \
              UNIDRV.HLP TTFSUB.GPD STDNAMES.GPD; do
    printf 'PLACEHOLDER for %s\\%s: a text file standing in for a driver file, not a driver.\r\n' \
           "$folder" "$file" >"$work/$folder/$file"
  done
  printf 'Every file in this folder is a placeholder made by scripts/run.sh.\r\n' \
         >"$work/$folder/PLACEHOLDERS.txt"
done
cp "$build/VeltoPrinterDriverSetup.exe" "$work/"

export WINEPREFIX=$root/wineprefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=mscoree,mshtml=
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run: making a Wine prefix in $WINEPREFIX (once, about 15 s)"
  scripts/wine-prefix.sh --make "$WINEPREFIX"
fi
timeout 60 wine reg add 'HKCU\Software\Wine' /v Version /d "${VELTO_RUN_WINVER:-win10}" /f >/dev/null 2>&1
# A server that the registry edit started without a display would keep the program's windows off it.
timeout 20 wineserver -k >/dev/null 2>&1 || true

cd "$work"
if [ -n "${DISPLAY:-}" ]; then
  echo "run: starting the program on $DISPLAY from $work"
  exec wine ./VeltoPrinterDriverSetup.exe
fi

displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$displayfile")
rm -f "$displayfile"
trap 'timeout 20 wineserver -k >/dev/null 2>&1; kill $xvfb 2>/dev/null' EXIT

echo "run: no DISPLAY; starting the program on the virtual display $DISPLAY from $work"
# Wine's own desktop window draws the title bars that a window manager would.
timeout 300 wine explorer /desktop=Velto,1280x1024 ./VeltoPrinterDriverSetup.exe >/dev/null 2>&1 &
sleep "${VELTO_RUN_SECONDS:-8}"
shot=$root/screenshot.png
import -window root "$shot"
echo "run: screenshot of the program: $shot"
