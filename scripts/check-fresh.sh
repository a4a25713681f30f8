#!/usr/bin/env bash
# Runs the README's commands as a newcomer would: in a fresh minimal Debian 12 made by
# debootstrap (variant minbase) from this machine's own Debian mirror, on a fresh clone of
# this repository's committed HEAD, as root inside a chroot. Prints how long each took.
#   bash scripts/check-fresh.sh [demo|test|both]     (default: both)
# So a step the scripts forget to install fails here, instead of hiding behind what a
# developer's machine happens to have. Uncommitted changes are not part of the clone.
# .ci/run runs it. Needs root (debootstrap, mount, chroot); installs debootstrap if missing.
# MORVEL_FRESH_DIR puts the system below another folder than /var/tmp.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
what=${1:-both}
case $what in
  demo | test | both) ;;
  *) echo "usage: check-fresh.sh [demo|test|both]" >&2; exit 2 ;;
esac
[ "$(id -u)" -eq 0 ] || { echo "check-fresh: run it as root (debootstrap, mount, chroot)" >&2; exit 1; }
start=$SECONDS

# The mirror this machine itself installs Debian from: the first "deb" source of bookworm's
# main archive in its apt sources (one-line or deb822 form).
debian_mirror() {
  local files=()
  [ -f /etc/apt/sources.list ] && files+=(/etc/apt/sources.list)
  for f in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && files+=("$f")
  done
  local found
  found=$(awk '
    /^[[:space:]]*deb[[:space:]]/ {
      i = 2; if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
      if ($(i + 1) == "bookworm") { print $i; exit }
    }
    /^Types:/ { deb = ($0 ~ /[[:space:]]deb([[:space:]]|$)/) }
    /^URIs:/ { uri = $2 }
    /^Suites:/ { if (deb && $0 ~ /[[:space:]]bookworm([[:space:]]|$)/ && uri != "") { print uri; exit } }
    /^[[:space:]]*$/ { deb = 0; uri = "" }
  ' "${files[@]}")
  echo "${found:-http://deb.debian.org/debian}"
}

if ! command -v debootstrap >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
fi
mirror=$(debian_mirror)

mkdir -p "${MORVEL_FRESH_DIR:-/var/tmp}"
root=$(mktemp -d "${MORVEL_FRESH_DIR:-/var/tmp}/morvel-fresh.XXXXXX")

# Whatever still runs inside the system (Wine's server, Xvfb) is ended, every mount below it
# is let go, and only then is the folder removed, without ever crossing into a mount: a
# bind mount of /dev that survived would otherwise be emptied with it.
cleanup() {
  local status=$?
  local pid
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "$pid" 2>/dev/null || true
  done
  local mounts
  mounts=$(awk -v r="$root" '$2 == r || index($2, r "/") == 1 { print $2 }' /proc/self/mounts | sort -r)
  for m in $mounts; do
    umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true
  done
  if awk -v r="$root" '$2 == r || index($2, r "/") == 1 { found = 1 } END { exit !found }' /proc/self/mounts; then
    echo "check-fresh: $root is still mounted below; left in place" >&2
  else
    rm -rf --one-file-system "$root"
  fi
  echo "check-fresh: $((SECONDS - start)) s in all" >&2
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Where this machine cannot make a system of its own (no mount rights in a container, no
# way to the mirror), the commands still run, on the machine itself, and say so loudly:
# what is missing then shows only as far as this machine lacks it.
run_here_instead() {
  echo "check-fresh: WARNING: no fresh system here ($1); running on this machine instead" >&2
  trap - EXIT
  cleanup_quietly
  [ "$what" != test ] && bash "$repo/scripts/demo.sh"
  [ "$what" != demo ] && bash "$repo/scripts/test.sh"
  exit 0
}
cleanup_quietly() {
  local m
  for m in $(awk -v r="$root" '$2 == r || index($2, r "/") == 1 { print $2 }' /proc/self/mounts | sort -r); do
    umount -l "$m" 2>/dev/null || true
  done
  rm -rf --one-file-system "$root" "$root.debootstrap.log"
}

phase_start=$SECONDS
echo "== debootstrap --variant=minbase bookworm from $mirror"
if ! debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1; then
  tail -n 30 "$root.debootstrap.log" >&2
  run_here_instead "debootstrap failed"
fi
rm -f "$root.debootstrap.log"
debootstrap_time=$((SECONDS - phase_start))

# The same Debian archives this machine uses (updates and security too, so that the fresh
# system gets the versions a newcomer gets today), and its name service.
cp /etc/resolv.conf "$root/etc/resolv.conf"
rm -f "$root/etc/apt/sources.list"
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
  cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/"
elif [ -f /etc/apt/sources.list ]; then
  grep -E '^[[:space:]]*deb[[:space:]].*[[:space:]]bookworm(-updates|-security)?[[:space:]]' \
    /etc/apt/sources.list >"$root/etc/apt/sources.list" || true
fi
[ -s "$root/etc/apt/sources.list" ] || [ -f "$root/etc/apt/sources.list.d/debian.sources" ] ||
  echo "deb $mirror bookworm main" >"$root/etc/apt/sources.list"

mount -t proc proc "$root/proc" || run_here_instead "mounting proc was refused"
mount -t sysfs sysfs "$root/sys"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"

git clone --quiet --no-hardlinks "$repo" "$root/work/morvel"

# A root login's environment and nothing of ours: no PATH entries, proxies or build
# variables leak in.
in_fresh() {
  chroot "$root" /usr/bin/env -i HOME=/root USER=root LOGNAME=root TERM=dumb LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c "cd /work/morvel && $1" &
  # Waited for in the background, so that a TERM to this script is handled at once (the
  # cleanup then stops what runs inside) rather than after the command ends.
  wait $!
}

demo_time=-
test_time=-
if [ "$what" != test ]; then
  echo "== bash scripts/demo.sh (fresh system)"
  phase_start=$SECONDS
  in_fresh "bash scripts/demo.sh"
  demo_time=$((SECONDS - phase_start))
fi
if [ "$what" != demo ]; then
  echo "== bash scripts/test.sh (fresh system)"
  phase_start=$SECONDS
  in_fresh "bash scripts/test.sh"
  test_time=$((SECONDS - phase_start))
fi

echo "== check-fresh: debootstrap ${debootstrap_time} s, demo.sh ${demo_time} s, test.sh ${test_time} s"
