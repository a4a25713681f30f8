#!/usr/bin/env bash
# Races the doors through which a Clean reaches a file or folder, for real: for every door
# it cleans a fresh demo image RUNS times while another program (tests/race/race_helper.cpp)
# keeps changing one name the item works with as fast as it can, and checks every file
# outside the item, and the user's own file the race aims at, byte for byte before and
# after. It prints, per door, the runs that changed anything outside the item (0 expected).
#
# Usage: scripts/race-doors.sh [RUNS] [DOOR...]   (default 100 runs of every door)
# RACE_BUILD names an optimised build to use (default build/release, made when missing).
#
# A door is a function door_<name> that sets, for the fresh image $image:
#   KEY   the items to Clean (an array);
#   RACE  the helper's arguments: "link TARGET NAME" makes NAME another name of TARGET and
#         takes it away again; "exchange FOLDER LINK_TARGET" swaps FOLDER with a link there;
#   ITEM  find(1) tests for the files the item itself may change (left out of the check);
# and it may change the image first (exchange_for makes the folder of the user's that a
# profile is exchanged for). $outside is the user's file outside the image
# (a Firefox history of its own, with visits), the usual target.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-100}
shift || true

roaming=drives/C/Users/User/AppData/Roaming
local_data=drives/C/Users/User/AppData/Local
profiles=$roaming/Mozilla/Firefox/Profiles
local_profiles=$local_data/Mozilla/Firefox/Profiles

# SQLite makes the journal of the history database by its name beside the database: the
# name is made another name of the user's file meanwhile.
door_journal() {
  KEY=("Mozilla Firefox - Visited URL History")
  RACE=(link "$outside" "$image/$profiles/q7m2p0zz.default-release/places.sqlite-journal")
  ITEM=(-path "./$profiles/*.default*/places.sqlite*" -o -path "./$profiles/*/history.dat")
}

# A browser's profile folder is exchanged for a link to a folder of the user's, outside the
# image, that holds what the item would take in the profile: between the listing of the
# profiles and the visit, the item must enter no link.
exchange_for() {
  local folder=$1
  shift
  rm -rf "$victims"
  local file
  for file in "$@"; do
    mkdir -p "$(dirname "$victims/$file")"
    if [[ $file == *.sqlite ]]; then
      cp "$outside" "$victims/$file"
    else
      printf 'precious %s\n' "$file" >"$victims/$file"
    fi
  done
  RACE=(exchange "$image/$folder" "$victims")
}

door_firefox_cache() {
  KEY=("Mozilla Firefox - Temporary Internet Files")
  exchange_for "$local_profiles/q7m2p0zz.default-release" \
    Cache/2019/IMG_0001.CR2 cache2/entries/IMG_0002.CR2
  ITEM=(-path "./$profiles/*/Cache/*" -o -path "./$profiles/*/cache2/*"
    -o -path "./$local_profiles/*/Cache/*" -o -path "./$local_profiles/*/cache2/*")
}

door_firefox_history() {
  KEY=("Mozilla Firefox - Visited URL History")
  exchange_for "$profiles/q7m2p0zz.default-release" places.sqlite history.dat
  ITEM=(-path "./$profiles/*.default*/places.sqlite*" -o -path "./$profiles/*/history.dat")
}

door_opera_cache() {
  KEY=("Opera - Temporary Internet Files")
  exchange_for "$roaming/Opera/Opera" profile/cache4/IMG_0003.CR2 profile/cache4/g_0000/IMG_0004.CR2
  ITEM=(-path "./$roaming/Opera/*/profile/cache4/*" -o -path "./$local_data/Opera/*/profile/cache4/*")
}

# Netscape's items take files by their masks in one chosen profile.
door_netscape_masks() {
  KEY=("Netscape - Cookies" "Netscape - Visited URL History" "Netscape - Preferences"
    "Netscape - Saved Form Information")
  exchange_for "$roaming/Netscape/NSB/Profiles/pbzik8cu.default" \
    cookies-2019.txt history.dat prefs.js formhistory.dat
  ITEM=(-path "./$roaming/Netscape/NSB/Profiles/*")
}

DOORS=(journal firefox_cache firefox_history opera_cache netscape_masks)
(($# > 0)) && DOORS=("$@")

build=${RACE_BUILD:-$root/build/release}
if [[ ! -f $build/build.ninja ]]; then
  cmake --preset release >/dev/null
  build=$root/build/release
fi
cmake --build "$build" --target morvel race_helper >/dev/null
morvel=$build/morvel
helper=$build/tests/race_helper

work=$(mktemp -d "$root/build/race-doors.XXXXXX")
helper_pid=
cleanup() {
  [[ -n $helper_pid ]] && kill "$helper_pid" 2>/dev/null && wait "$helper_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
image=$work/image
outside=$work/outside/places.sqlite
# The user's folder a profile is exchanged for a link to.
victims=$work/outside/photos
# The changes of every run that lost something.
losses_file=$root/build/race-doors-losses.txt
rm -f "$losses_file"

fresh_image() {
  rm -rf "$image"
  "$morvel" demo "$image" >/dev/null
}

# Every file outside the item (and the image's lock, which a run makes), with the user's
# file, as checksums.
checksums() {
  (cd "$image" && find . -type f ! -path ./.lock ! \( "${ITEM[@]}" \) -print0 | sort -z |
    xargs -0 sha256sum)
  find "$work/outside" -type f -print0 | sort -z | xargs -0 sha256sum
}

# The user's file: the demo's history of a profile that is not a default one.
fresh_image
mkdir -p "$(dirname "$outside")"
cp "$image/$profiles/r8t1x0qa.work/places.sqlite" "$outside"

total_losses=0
for door in "${DOORS[@]}"; do
  declare -F "door_$door" >/dev/null || { echo "race-doors: no door $door" >&2; exit 2; }
  # Without a race the item must change nothing outside itself, or the check means nothing.
  fresh_image
  "door_$door"
  before=$(checksums)
  "$morvel" --image "$image" --yes clean "${KEY[@]}" >/dev/null 2>&1
  [[ $(checksums) == "$before" ]] || {
    echo "race-doors: $door: the item changes files outside ITEM without a race" >&2
    exit 1
  }
  losses=0 refused=0 rounds=0
  for run in $(seq "$runs"); do
    fresh_image
    "door_$door"
    before=$(checksums)
    "$helper" "${RACE[@]}" >"$work/rounds" &
    helper_pid=$!
    for _ in $(seq 500); do
      [[ -s $work/rounds ]] && break
      sleep 0.01
    done
    "$morvel" --image "$image" --yes clean "${KEY[@]}" >"$work/log" 2>&1 || true
    kill -TERM "$helper_pid"
    wait "$helper_pid" || true
    helper_pid=
    made=$(sed -n 2p "$work/rounds")
    rounds=$((rounds + ${made:-0}))
    grep -q ': skipping ' "$work/log" && refused=$((refused + 1))
    after=$(checksums)
    if [[ $after != "$before" ]]; then
      losses=$((losses + 1))
      # What changed, and what the run said, for whoever looks into it.
      {
        echo "== $door, run $run"
        diff <(echo "$before") <(echo "$after") || true
        cat "$work/log"
      } >>"$losses_file"
    fi
  done
  printf '%-16s %4d runs  %3d losses  (refused with a line in %d runs; %d rounds of the race)\n' \
    "$door" "$runs" "$losses" "$refused" "$rounds"
  total_losses=$((total_losses + losses))
done
if ((total_losses > 0)); then
  echo "race-doors: what changed in each loss: $losses_file" >&2
  exit 1
fi
