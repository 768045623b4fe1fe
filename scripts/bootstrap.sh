#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine. Idempotent and quiet:
# packages already present are not fetched again.
set -eu
packages=(cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest
          wine64 xvfb xauth ghostscript imagemagick clang-tidy cppcheck)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  echo "bootstrap: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
