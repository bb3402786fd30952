#!/usr/bin/env bash
# Runs a shell script inside a small qemu machine whose Linux kernel mounts FAT images
# with its own vfat driver, for tests that need the real driver where the host kernel has
# none. The machine boots the installed Debian kernel from an initramfs holding busybox,
# the kernel's FAT, code page and virtio modules, and the given sondrix-cli with its
# libraries and the gconv modules it converts names with. That initramfs is made once per
# build folder (beside the tool's bin/), again when the tool, the kernel or this script
# is newer. Boot to power-off takes about 10 s.
#
# Usage: vfatVm.sh SONDRIX-CLI SCRIPT IMAGE [IMAGE...]
# Each IMAGE is a virtio disk, /dev/vda, /dev/vdb, ..., the first mounted on /mnt and the
# others on /mnt2, /mnt3, ... (vfat, $VFAT_OPTIONS: utf8,shortname=mixed) before SCRIPT
# runs in /mnt and unmounted after it. SCRIPT runs under busybox sh with sondrix-cli on
# the PATH; its output is printed here and its status is this script's status. Exits 77
# (skipped, with the reason) without qemu, the kernel with its vfat module, busybox-static
# or cpio, and 124 when the machine does not power off within VFAT_VM_SECONDS (180).
set -u
skip() { echo "SKIPPED: $*"; exit 77; }
[ $# -ge 3 ] || { echo "usage: vfatVm.sh SONDRIX-CLI SCRIPT IMAGE [IMAGE...]" >&2; exit 2; }
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
script=$2
shift 2

qemu=$(command -v qemu-system-x86_64) || skip "qemu-system-x86_64 is missing (package qemu-system-x86)"
busybox=$(command -v busybox) || busybox=/bin/busybox
# ldd fails on a static program: the initramfs has no libraries for busybox.
[ -x "$busybox" ] && ! ldd "$busybox" > /dev/null 2>&1 || skip "a static busybox is missing (package busybox-static)"
command -v cpio > /dev/null || skip "cpio is missing"
# The newest installed kernel that has the vfat module.
kernel="" modules=""
for k in $(ls -v /boot/vmlinuz-* 2> /dev/null); do
  version=${k#/boot/vmlinuz-}
  find "/lib/modules/$version" -name 'vfat.ko*' 2> /dev/null | grep -q . &&
    kernel=$k modules=/lib/modules/$version
done
[ -n "$kernel" ] || skip "no kernel with a vfat module in /boot and /lib/modules (package linux-image-amd64)"
[ -r "$kernel" ] || skip "$kernel is not readable"

cache=$(dirname "$cli")/../vfat-vm
initrd=$cache/initrd.cpio.gz

# The modules a name needs, dependencies first, from modules.dep.
module_paths() {
  local name=$1 line deps d
  line=$(grep -E "(^|/)$name\.ko(\.[a-z]+)?:" "$modules/modules.dep") || return 1
  deps=${line#*:}
  for d in $deps; do module_paths "$(basename "${d%%.ko*}")"; done
  echo "${line%%:*}"
}

build_initrd() {
  local root=$cache/root.$$ m f lib gconv
  rm -rf "$root" && mkdir -p "$root"/{bin,dev,proc,sys,mnt,lib/modules} || return 1
  cp "$busybox" "$root/bin/busybox" && ln -s busybox "$root/bin/sh" || return 1
  # Loaded in this order at boot; virtio_pci and virtio_blk may be built in.
  for m in virtio_pci virtio_blk fat vfat nls_cp437 nls_utf8 nls_ascii; do
    module_paths "$m" 2> /dev/null
  done | awk '!seen[$0]++' > "$root/lib/modules/order"
  while read -r m; do
    cp "$modules/$m" "$root/lib/modules/" || return 1
    # Compressed modules are unpacked here: busybox's insmod may not read them.
    case $m in
      *.xz) xz -d "$root/lib/modules/$(basename "$m")" ;;
      *.zst) zstd -qd --rm "$root/lib/modules/$(basename "$m")" ;;
      *.gz) gzip -d "$root/lib/modules/$(basename "$m")" ;;
    esac || return 1
  done < "$root/lib/modules/order"
  sed -i 's|.*/||; s/\.ko\..*$/.ko/' "$root/lib/modules/order"
  grep -q '^vfat\.ko$' "$root/lib/modules/order" || return 1
  # The tool, its libraries and the code page conversions iconv loads at run time.
  cp "$cli" "$root/bin/sondrix-cli" || return 1
  for lib in $(ldd "$cli" | grep -o '/[^ ]*'); do
    mkdir -p "$root$(dirname "$lib")" && cp -L "$lib" "$root$lib" || return 1
  done
  # Where glibc looks for them: the folder of the real libc, past the /lib link.
  gconv=$(dirname "$(readlink -f "$(ldd "$cli" | grep -o '/[^ ]*/libc\.so\.6')")")/gconv
  mkdir -p "$root$gconv" && cp -r "$gconv"/gconv-modules* "$root$gconv/" || return 1
  for f in CP932 EUC-JP-MS IBM943 libJIS; do
    [ -e "$gconv/$f.so" ] && cp "$gconv/$f.so" "$root$gconv/"
  done
  [ -e "$root$gconv/CP932.so" ] || return 1
  cat > "$root/init" << 'EOF'
#!/bin/sh
/bin/busybox --install -s /bin
export PATH=/bin VFAT_OPTIONS=utf8,shortname=mixed
mount -t proc proc /proc && mount -t sysfs sys /sys && mount -t devtmpfs dev /dev
while read -r m; do insmod "/lib/modules/$m" 2> /dev/null; done < /lib/modules/order
# Script output goes to the second serial port: the first carries the kernel's messages.
stty -F /dev/ttyS1 raw -echo
out=/dev/ttyS1
run() {
  n=1 points=""
  for disk in /dev/vd?; do
    point=/mnt; [ $n = 1 ] || point=/mnt$n
    mkdir -p $point && mount -t vfat -o $VFAT_OPTIONS $disk $point || return 125
    n=$((n + 1)) points="$points $point"
  done
  (cd /mnt && sh /script.sh)
  status=$?
  cd /
  # The script may have unmounted a volume to read it raw; the others must unmount now.
  for point in $points; do
    if grep -q " $point " /proc/mounts && ! umount $point; then
      echo "cannot unmount $point"; return 125
    fi
  done
  return $status
}
run > $out 2>&1
echo "vfatVm: status $?" > $out
poweroff -f
EOF
  chmod +x "$root/init"
  (cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) > "$initrd.$$" &&
    mv "$initrd.$$" "$initrd"
  local status=$?
  rm -rf "$root"
  return $status
}

mkdir -p "$cache" || exit 1
if [ ! -s "$initrd" ] || [ "$cli" -nt "$initrd" ] || [ "$kernel" -nt "$initrd" ] ||
  [ "$0" -nt "$initrd" ]; then
  build_initrd || { rm -rf "$cache/root.$$" "$initrd.$$"; echo "FAIL: cannot make the initramfs"; exit 1; }
fi

# The script joins the initramfs as a second archive, which the kernel unpacks over the first.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/extra" && cp "$script" "$work/extra/script.sh" &&
  (cd "$work/extra" && echo script.sh | cpio -o -H newc --quiet | gzip -1) > "$work/script.cpio.gz" &&
  cat "$initrd" "$work/script.cpio.gz" > "$work/initrd" || exit 1
drives=()
# qemu reads a comma in an option's value as two.
for image in "$@"; do drives+=(-drive "file=${image//,/,,},format=raw,if=virtio"); done
# Emulated (TCG): under KVM this kernel stalled at boot on our machines.
timeout "${VFAT_VM_SECONDS:-180}" "$qemu" -nographic -no-reboot -m 512 -machine accel=tcg \
  -kernel "$kernel" -initrd "$work/initrd" -append "console=ttyS0 quiet panic=-1" \
  -serial "file:$work/console.txt" -serial "file:$work/out.txt" -monitor none \
  "${drives[@]}" < /dev/null > "$work/qemu.txt" 2>&1
qemu_status=$?
tr -d '\r' < "$work/out.txt" | grep -v '^vfatVm: status '
status=$(tr -d '\r' < "$work/out.txt" | sed -n 's/^vfatVm: status \([0-9]*\)$/\1/p')
if [ -z "$status" ]; then
  echo "FAIL: the machine ended without the script's status (qemu status $qemu_status)"
  tail -n 20 "$work/console.txt" "$work/qemu.txt"
  [ "$qemu_status" = 124 ] && exit 124
  exit 1
fi
exit "$status"
