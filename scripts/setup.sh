#!/usr/bin/env bash
# Installs what the builds and tests need on Debian 12, once. As root it installs the
# missing packages and the Japanese locale; otherwise it prints what to run and fails.
# "setup.sh native [PACKAGE...]" installs only what the Linux build and its tests need
# (no Wine, MinGW, Xvfb or locale), and the packages named.
set -eu
native_packages="cmake g++ libgtest-dev googletest dosfstools mtools groff-base exfatprogs exfat-fuse fatsort
qemu-system-x86 linux-image-amd64 busybox-static cpio gettext"
packages="$native_packages g++-mingw-w64-x86-64-posix mingw-w64-tools
wine wine64 fonts-wine xvfb xauth locales fonts-ipafont-gothic imagemagick
libxml2-utils zip unzip clang libclang-rt-14-dev python3"
only_native=0
if [ "${1:-}" = native ]; then
  only_native=1
  shift
  packages="$native_packages $*"
fi
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
need_locale=0
[ "$only_native" = 1 ] || locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' || need_locale=1

if [ -z "$missing" ] && [ "$need_locale" = 0 ]; then
  exit 0
fi
if [ "$(id -u)" != 0 ]; then
  echo "Missing:$missing (locale ja_JP.UTF-8 needed: $need_locale). As root run:" >&2
  echo "  apt-get update && apt-get install -y --no-install-recommends$missing" >&2
  echo "  and enable 'ja_JP.UTF-8 UTF-8' in /etc/locale.gen, then locale-gen" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if [ -n "$missing" ]; then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi
if [ "$need_locale" = 1 ]; then
  sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
