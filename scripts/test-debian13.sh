#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The package and the README's test command on Debian 13, in a chroot made
# from the Debian mirror this machine's apt already uses:
#   test-debian13.sh [DIR [COMMAND...]]
# DIR (default /var/tmp/nimbrel-trixie) keeps the chroot for the next run on
# this machine; it is made once, with debootstrap. Into it go the files git
# knows of this tree; there scripts/check-deb.sh builds, lints (with Debian
# 13's lintian, hardening-check and appstreamcli), installs and runs the
# package, and scripts/test.sh runs every test; or COMMAND runs there
# instead, in the copy of the tree. Needs root (debootstrap, mount, chroot).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-/var/tmp/nimbrel-trixie}
[ $# -gt 0 ] && shift
start=$SECONDS

# The mirror of the Debian archive in this machine's apt sources (deb822 or
# one-line form): the one whose path ends in /debian, not the security one.
mirror=$(grep -hoE '^(URIs:|deb) *https?://[^ ]*/debian/?( |$)' /etc/apt/sources.list.d/*.sources \
           /etc/apt/sources.list.d/*.list /etc/apt/sources.list 2>/dev/null | grep -oE 'https?://[^ ]*' | head -n1 || true)
[ -n "$mirror" ] || { echo "test-debian13.sh: no Debian mirror in /etc/apt/sources.list(.d)"; exit 1; }

if [ ! -e "$dir/etc/nimbrel-chroot" ]; then
  command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 \
    install -y -qq --no-install-recommends debootstrap
  echo "--- debootstrap --variant=minbase trixie $dir (from $mirror)"
  rm -rf "$dir"
  debootstrap --variant=minbase trixie "$dir" "$mirror" >"$dir.log" 2>&1 \
    || { tail -n 30 "$dir.log"; echo "test-debian13.sh: debootstrap failed"; exit 1; }
  # ps for the test command; the chroot's name in the shell's prompt.
  chroot "$dir" apt-get -qq install -y --no-install-recommends procps >/dev/null
  echo trixie >"$dir/etc/debian_chroot"
  touch "$dir/etc/nimbrel-chroot"
fi

# What the tests need of a running system: processes, devices, pseudo
# terminals, shared memory (Mesa, Xvfb), and a /tmp of its own. Unmounted
# on the way out, whatever the outcome.
mounted=()
cleanup() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" || true
  done
}
trap cleanup EXIT
mount_in() { # mount_in TARGET mount-options...
  local target=$dir/$1
  shift
  mount "$@" "$target"
  mounted+=("$target")
}
mount_in proc -t proc proc
mount_in sys -t sysfs sysfs
mount_in dev --bind /dev
mount_in dev/pts -t devpts devpts -o newinstance,ptmxmode=0666
mount_in dev/shm -t tmpfs tmpfs -o mode=1777
mount_in tmp -t tmpfs tmpfs -o mode=1777
cp /etc/resolv.conf "$dir/etc/resolv.conf" 2>/dev/null || true

# A fresh copy of the tree each run: the files git knows, as check-deb.sh
# takes them, without build folders; in a folder everyone can read, as the
# tests run programs as other users too.
rm -rf "$dir/srv/nimbrel"
mkdir -p "$dir/srv/nimbrel"
chmod 755 "$dir/srv" "$dir/srv/nimbrel"
(cd "$root" && git ls-files -z --cached --others --exclude-standard \
   | while IFS= read -r -d '' f; do
       if [ -e "$f" ] || [ -L "$f" ]; then cp -P --parents "$f" "$dir/srv/nimbrel/"; fi
     done)

inside() {
  chroot "$dir" env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 TERM=dumb bash -c 'cd /srv/nimbrel && "$@"' inside "$@"
}
if [ $# -gt 0 ]; then
  inside "$@"
  exit
fi
status=0
echo "--- Debian 13: scripts/check-deb.sh"
inside bash scripts/check-deb.sh || status=1
package=$SECONDS
echo "--- Debian 13: scripts/test.sh"
inside bash scripts/test.sh || status=1
echo "Debian 13: the package took $((package - start)) s, the test command $((SECONDS - package)) s"
exit "$status"
