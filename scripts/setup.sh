#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages, when
# something is missing.  As root it installs; otherwise it prints the one
# command to run and fails.
set -euo pipefail

packages=(cmake ninja-build g++ googletest mingw-w64 wine wine32:i386 wine64 xvfb imagemagick
  xdotool hamradio-files)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$package")
done
if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

need_i386=
if [[ " ${missing[*]} " == *" wine32:i386 "* ]] &&
  ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_i386=1
fi

if [[ $(id -u) -ne 0 ]]; then
  command="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y ${missing[*]}"
  [[ -z $need_i386 ]] || command="dpkg --add-architecture i386 && $command"
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run as root:" >&2
  echo "  sudo sh -c '$command'" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
[[ -z $need_i386 ]] || dpkg --add-architecture i386
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
