#!/usr/bin/env bash
# Runs the save, Undo, kill and copy tests of the core on real file systems: ext4 (hard links, one-step
# swaps), NTFS through ntfs-3g (links, no one-step swap) and exFAT through FUSE (no links at all),
# each a loop-mounted image in a private mount namespace, so that the machine's mounts are untouched.
# Exit code 77 (skipped) where mounting is not allowed.
set -u
BIN="$1"
FILTER='SaveFaults.*:SaveKill.*:FileHelpers.Echanger*:FileHelpers.Stale*:FavouritesCopy.*:FileCopy.AnEmpty*'
if [ "$(id -u)" != 0 ]; then echo "skipped: mounting images needs root"; exit 77; fi
if [ -z "${VERDAN_IN_NAMESPACE:-}" ]; then
  VERDAN_IN_NAMESPACE=1 exec unshare -m --propagation private "$0" "$@" || { echo "skipped: no private mount namespace"; exit 77; }
fi
work=$(mktemp -d)
trap 'for m in "$work"/*/; do umount "$m" 2>/dev/null; done; for d in $(losetup -j "$work/exfat.img" -O NAME -n 2>/dev/null); do losetup -d "$d"; done; rm -rf "$work"' EXIT
tried=0
failed=0
for fs in ext4 ntfs exfat; do
  img="$work/$fs.img"; mnt="$work/$fs"; mkdir -p "$mnt"
  truncate -s 200M "$img"
  case $fs in
    ext4) command -v mkfs.ext4 >/dev/null && mkfs.ext4 -q -L VERDAN "$img" && mount -o loop "$img" "$mnt" ;;
    ntfs) command -v mkfs.ntfs >/dev/null && mkfs.ntfs -F -Q -L VERDAN "$img" >/dev/null 2>&1 && ntfs-3g "$img" "$mnt" ;;
    exfat) command -v mount.exfat-fuse >/dev/null && mkfs.exfat -L VERDAN "$img" >/dev/null &&
           dev=$(losetup -f --show "$img") && mount.exfat-fuse "$dev" "$mnt" >/dev/null 2>&1 ;;
  esac
  if ! mountpoint -q "$mnt"; then echo "$fs: cannot be mounted here, not tried"; continue; fi
  tried=$((tried + 1))
  echo "== $fs ($(findmnt -n -o FSTYPE "$mnt"))"
  # The copies' sources stay on the machine's own file system, which takes any name.
  if ! TMPDIR="$mnt" VERDAN_SOURCE_TMPDIR="$work" "$BIN" --gtest_filter="$FILTER" --gtest_brief=1; then failed=$((failed + 1)); fi
  umount "$mnt"
done
if [ "$tried" = 0 ]; then echo "skipped: no file system could be mounted"; exit 77; fi
echo "$tried file systems tried, $failed failed"
[ "$failed" = 0 ]
