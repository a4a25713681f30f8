#!/usr/bin/env bash
# Times Clean of "Mozilla Firefox - Visited URL History" on an emulated machine whose
# default Firefox profile holds a places.sqlite with 100,000 visits, beside the sqlite3
# shell running the same DELETE on a copy of the same file, and prints the ratio.
# Both times are of a whole process (the program's start and the machine's opening
# included); the best of ROUNDS counts.
# Usage: scripts/bench-places.sh [BUILD_DIR] [ROUNDS]
# BUILD_DIR is an optimised build (default: build/release, made with `cmake --preset
# release` when missing). PLACES_VISITS changes the number of visits (default 100000).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
rounds=${2:-3}
visits=${PLACES_VISITS:-100000}
command -v sqlite3 >/dev/null || { echo "bench-places: needs the sqlite3 shell" >&2; exit 1; }

if [[ ! -f $build/build.ninja && ! -f $build/Makefile ]]; then
  cmake --preset release >/dev/null
  build=$root/build/release
fi
cmake --build "$build" --target morvel >/dev/null
morvel=$build/morvel

mkdir -p "$root/build"
work=$(mktemp -d "$root/build/bench-places.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The sample: the tables and indexes of a places.sqlite that Firefox wrote, a fifth as many
# pages as visits, in Firefox's own journal mode (WAL).
sample=$work/places.sqlite
sqlite3 "$root/tests/data/browser-profiles/firefox/m0rv3l01.default-esr/places.sqlite" .schema |
  grep -v '^CREATE TABLE sqlite_' >"$work/schema.sql"
sqlite3 "$sample" <"$work/schema.sql"
sqlite3 "$sample" <<SQL >/dev/null
PRAGMA journal_mode = WAL;
BEGIN;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $visits / 5)
INSERT INTO moz_places (id, url, title, rev_host, visit_count, guid, url_hash)
  SELECT i, 'https://site' || (i % 997) || '.example/page/' || i, 'Page ' || i,
         'elpmaxe.' || (i % 997) || 'etis.', 5, printf('g%011d', i), i * 7919 FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $visits)
INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type, session)
  SELECT i, i - 1, 1 + (i % ($visits / 5)), 1700000000000000 + i * 1000000, 1, 0 FROM n;
COMMIT;
PRAGMA wal_checkpoint(TRUNCATE);
SQL

image=$work/image
profile=$image/drives/C/Users/User/AppData/Roaming/Mozilla/Firefox/Profiles/b3nch000.default
mkdir -p "$profile" "$image/drives/C/Program Files/Morvel"
printf '[System]\r\nPlatform=NT\r\n' >"$image/machine.ini"
printf 'Windows Registry Editor Version 5.00\r\n\r\n' >"$image/registry.reg"

now_us() { echo $(( $(date +%s%N) / 1000 )); }
min() { if [[ -z $1 || $2 -lt $1 ]]; then echo "$2"; else echo "$1"; fi; }

best_shell= best_clean=
for _ in $(seq "$rounds"); do
  cp "$sample" "$work/copy.sqlite"
  cp "$sample" "$profile/places.sqlite"
  sync
  cat "$work/copy.sqlite" "$profile/places.sqlite" >/dev/null  # both warm in the page cache
  start=$(now_us)
  sqlite3 "$work/copy.sqlite" "DELETE FROM moz_historyvisits"
  best_shell=$(min "$best_shell" $(( $(now_us) - start )))
  start=$(now_us)
  "$morvel" --image "$image" clean --unattended "Mozilla Firefox - Visited URL History" >/dev/null
  best_clean=$(min "$best_clean" $(( $(now_us) - start )))
  left=$(sqlite3 "$profile/places.sqlite" "SELECT count(*) FROM moz_historyvisits")
  [[ $left == 0 ]] || { echo "bench-places: $left visits left after the Clean" >&2; exit 1; }
done

ms() { awk -v us="$1" 'BEGIN { printf "%.1f ms", us / 1000 }'; }
echo "places.sqlite with $visits visits, best of $rounds:"
echo "  sqlite3 DELETE FROM moz_historyvisits   $(ms "$best_shell")"
echo "  Clean of Visited URL History            $(ms "$best_clean")"
awk -v a="$best_clean" -v b="$best_shell" 'BEGIN { printf "  ratio                                   %.2fx (target <= 1.5x)\n", a / b }'
