#!/usr/bin/env bash
# Installs, on Debian 12 as root, everything that building the clicker and
# running all of its tests needs. Prints what it does; does nothing when all is
# there already.
set -euo pipefail

packages=(
  cmake g++ make python3 libgtest-dev                    # native build and tests
  g++-mingw-w64-i686-win32 mingw-w64-i686-dev binutils-mingw-w64-i686  # Windows cross build
  wine wine32:i386 fonts-wine fonts-wqy-microhei         # running it: Wine, caption glyphs, Chinese text
  xvfb xdotool x11-utils imagemagick                     # a private display, input and screenshots
  locales                                                # localedef for the zh_CN locale
  clang-14 libclang-rt-14-dev                            # fuzzing with libFuzzer
  python3-matplotlib                                     # the benchmark's plot
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages are installed"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages: ${missing[*]}; run this script as root to install them" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: enabling the i386 architecture for 32-bit Wine"
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q "${missing[@]}"
echo "setup: done"
