#!/usr/bin/env bash
# Installs, once, every Debian package the build, the tests and the demo need.
# Does nothing (and asks no registry) when they are all present.
set -euo pipefail

packages=(
  cmake ninja-build
  mingw-w64 mingw-w64-tools
  wine wine64
  googletest
  libicu-dev
  libxml2-dev g++
  libwine-dev
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
