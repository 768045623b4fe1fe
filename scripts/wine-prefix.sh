#!/usr/bin/env bash
# Makes and clones the private Wine prefixes of a test run.
#   wine-prefix.sh --make DIR          a new prefix in DIR (any old one is removed first)
#   wine-prefix.sh --clone TEMPLATE DIR  a hard-linked clone of TEMPLATE in DIR, cheap to make;
#                                        the files Wine rewrites are real copies, so the clone
#                                        never changes the template
set -eu
export WINEDEBUG=-all
export WINEDLLOVERRIDES=mscoree,mshtml=

case "${1:-}" in
  --make)
    dir=$(realpath -m "$2")
    rm -rf "$dir"
    mkdir -p "$(dirname "$dir")"
    export WINEPREFIX=$dir
    timeout 180 wineboot -i >/dev/null 2>&1 || true
    # Let the new prefix settle and write its registry before anyone uses or clones it.
    timeout 120 wineserver -w
    [ -f "$dir/system.reg" ] || { echo "wine-prefix: making $dir failed" >&2; exit 1; }
    ;;
  --clone)
    template=$(realpath -m "$2") dir=$(realpath -m "$3")
    rm -rf "$dir"
    cp -al "$template" "$dir"
    cp --remove-destination "$template"/*.reg "$dir"/
    for d in drive_c/windows/system32/spool drive_c/users drive_c/windows/temp drive_c/ProgramData \
             drive_c/windows/system32/drivers; do
      if [ -e "$template/$d" ]; then
        rm -rf "${dir:?}/$d"
        cp -a "$template/$d" "$dir/$d"
      fi
    done
    # Our tests create files in system32 (stand-in programs) and in dosdevices (device links).
    rm -rf "$dir/dosdevices"; cp -a "$template/dosdevices" "$dir/dosdevices"
    ;;
  *)
    echo "usage: $0 --make DIR | --clone TEMPLATE DIR" >&2
    exit 2
    ;;
esac
