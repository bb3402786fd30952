# Shared by the tests that mount exFAT images through exfat-fuse on a loop device: a
# fresh work folder with mnt/ is the current folder, unmounted, detached and removed on
# every way out. exfatMissing says why such a volume cannot be mounted here.
skip() { echo "SKIPPED: $*"; exit 77; }
exfatMissing() {  # tools needed besides the mount
  [ "$(id -u)" = 0 ] || { echo "mounting a loop device needs root"; return; }
  for tool in mkfs.exfat mount.exfat-fuse losetup "$@"; do
    command -v "$tool" > /dev/null ||
      { echo "$tool is missing (packages exfatprogs exfat-fuse fatsort)"; return; }
  done
  [ -c /dev/fuse ] || echo "no /dev/fuse"
}
# The tools read characters, not bytes; sondrix-cli check runs in Japanese, as the
# expected listings are written.
export LC_ALL=C.UTF-8
work=$(mktemp -d) loop=""
detach() {
  mountpoint -q "$work/mnt" && umount "$work/mnt"
  [ -n "$loop" ] && losetup -d "$loop"
  loop=""
}
trap 'detach; rm -rf "$work"' EXIT
cd "$work" && mkdir mnt
passed=0 failed=0

# An empty exFAT volume (4 MiB with 512-byte clusters, 16 entries each, unless told),
# mounted on mnt.
mounted() {  # image [size, cluster bytes]
  truncate -s "${2:-4M}" "$1" && mkfs.exfat -c "${3:-512}" -L CARD "$1" > /dev/null ||
    skip "mkfs.exfat failed"
  attach "$1"
}

# Mounts an existing image on mnt again.
attach() {  # image
  loop=$(losetup -f --show "$1" 2> /dev/null) || skip "no free loop device"
  mount.exfat-fuse "$loop" mnt > /dev/null 2>&1 || { detach; skip "exfat-fuse cannot mount $loop"; }
}

# Whether the names of one folder's check listing come in the order fatsort lists the
# same folder of image (an independent reading of the on-disk order).
orderAsFatsort() {  # image, check output of one folder
  # fatsort's listing of the folder, "/" or "/Name/", in its on-disk order.
  local header
  header=$(sed -n '1s/  のディスク上の順序$//p' "$2" | tr '\\' '/')
  [ "$header" = / ] || header="$header/"
  # fatsort garbles non-ASCII names of more than one name entry (15 characters): only
  # the shorter names are compared, in their order.
  short() { perl -ne 'my $s = $_; chomp $s; utf8::decode($s); print if length($s) <= 15'; }
  fatsort -l "$1" 2> /dev/null | awk -v h="$header" '$0 == h {on = 1; next} on && $0 == "" {exit} on' |
    grep -av '^CARD$' | short > oracle.txt
  sed '1d;$d;/^<削除済み/d;/<ボリュームラベル>$/d;s/  <フォルダー>$//;s/  順序違い$//' "$2" |
    short > names.txt
  [ -s names.txt ] || { echo "no name to compare with fatsort"; return 1; }
  cmp -s oracle.txt names.txt || { diff oracle.txt names.txt | head; return 1; }
}
