#!/usr/bin/env bash
# Times tagwright-cli end to end (process start included, over every MP3 through xargs) on a
# generated tree against plain C loops over the same files, and prints each ratio:
#   search --recursive   vs  a walk that opens each file and reads 3 + 128 bytes
#   probe --json         vs  open, 10-byte header, whole tag in one read, trailer, close;
#                            and vs TagLib when it is installed (install-deps.sh taglib)
#   rename               vs  that read loop plus one renameat2(RENAME_NOREPLACE) per file
#   move --to --yes      vs  that read loop plus mkdir and renameat2 into artist/album folders
#   undo                 vs  the one rename (or move) batch over the whole tree it takes back
# Warm: the median of 3 runs with the files in the page cache. Cold (as root only): the same
# with the cache dropped before each run, for the reads a user's first scan makes. The reads
# are also timed with 1, 4, 8 and 32 reads in flight (--jobs), warm and cold.
# Usage: bench/run.sh [FILES] [undo]   (default 10000; builds the default preset with
# benchmarks; "undo" times only the undo rows, "batches" only the rename and move rows)
set -euo pipefail
cd "$(dirname "$0")/.."
FILES=${1:-10000}
ONLY=${2:-}
BUILD=build
cmake --preset default -DTAGWRIGHT_BUILD_BENCH=ON >/dev/null
cmake --build --preset default --target tagwright-cli baseline_walk baseline_probe baseline_batch \
  >/dev/null
cmake --build --preset default --target taglib_probe >/dev/null 2>&1 || true
CLI=$BUILD/src/cli/tagwright-cli
B=$BUILD/bench

TREE=$(mktemp -d /tmp/tagwright-bench-XXXXXX)
WORK=$TREE.work
trap 'rm -rf "$TREE" "$WORK" "$WORK.lib" "$WORK.journal" "$TREE.list" "$TREE.state"' EXIT
# The batches' undo journals go here, not into the user's own state folder.
export XDG_STATE_HOME=$TREE.state
echo "generating $FILES files in $TREE ..."
/usr/bin/python3 bench/make_tree.py "$TREE" "$FILES" >/dev/null
(cd "$TREE" && find . -name '*.mp3' -printf '%P\0' | sort -z) >"$TREE.list"
echo "$(nproc) cores, $(tr -cd '\0' <"$TREE.list" | wc -c) MP3 files of $FILES"

COLD=0
if [ "$(id -u)" -eq 0 ] && [ -w /proc/sys/vm/drop_caches ]; then COLD=1; fi
drop_caches() { sync; echo 3 >/proc/sys/vm/drop_caches; }

# A fresh copy of the tree for a run that renames or moves: hard links, so the copy costs
# little and the file contents are the same inodes.
fresh_work() {
  rm -rf "$WORK" "$WORK.lib" "$WORK.journal"
  cp -al "$TREE" "$WORK"
  mkdir "$WORK.lib"
}
in_work() { sed -z "s|^|$WORK/|" "$TREE.list"; }
in_tree() { sed -z "s|^|$TREE/|" "$TREE.list"; }

# median MODE PREPARE COMMAND...: the median of 3 timed runs of COMMAND, each after PREPARE;
# MODE cold drops the page cache after PREPARE.
median() {
  local mode=$1 prepare=$2
  shift 2
  local times=()
  for _ in 1 2 3; do
    $prepare
    [ "$mode" = cold ] && drop_caches
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    times+=("$(echo "$end - $start" | bc -l)")
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 2p | xargs printf '%.3f'
}
nothing() { :; }
# The hard links just made changed every file's ctime, and a file changed within the last 3 s is
# read again by the batch rather than taken from the tags kept when it was listed (file times
# are too coarse to trust sooner); a user's files have long settled, so the runs wait that out.
# The copy's and the last run's changes go to disk first: a journal commit in the middle of a
# timed run made the same batch take anywhere from 0.4 to 0.5 s.
fresh_work_list() { fresh_work; in_work >"$WORK.list"; sync; sleep 3.2; }

row() {  # row WORK OURS BASE BASE_NAME GOAL
  printf '| %-28s | %8s s | %-44s | %8s s | %6sx | %-7s |\n' "$1" "$2" "$4" "$3" \
    "$(printf '%.2f' "$(echo "$2 / $3" | bc -l)")" "$5"
}
header() {
  printf '| %-28s | %10s | %-44s | %10s | %7s | %-7s |\n' "$1" "tagwright" "baseline" "time" \
    "ratio" "goal"
  printf '|%s|%s|%s|%s|%s|%s|\n' "------------------------------" "-----------:" \
    "----------------------------------------------" "-----------:" "--------:" "---------"
}

run_reads() {  # run_reads warm|cold
  local mode=$1
  in_tree >"$TREE.paths"
  local search walk probe plain tagsearch
  search=$(median "$mode" nothing "$CLI" search --recursive "$TREE")
  tagsearch=$(median "$mode" nothing "$CLI" search --recursive --tags "$TREE")
  walk=$(median "$mode" nothing "$B/baseline_walk" "$TREE")
  probe=$(median "$mode" nothing xargs -0 -a "$TREE.paths" "$CLI" probe --json)
  plain=$(median "$mode" nothing xargs -0 -a "$TREE.paths" "$B/baseline_probe")
  header "$mode"
  row "search --recursive" "$search" "$walk" "walk: open, 3 + 128 bytes, close" "1.3x"
  row "search --recursive --tags" "$tagsearch" "$plain" "open, header, whole tag, trailer, close" \
    "$([ "$mode" = cold ] && echo 0.67x || echo -)"
  row "probe --json" "$probe" "$plain" "open, header, whole tag, trailer, close" \
    "$([ "$mode" = cold ] && echo 0.67x || echo 1.5x)"
  if [ -x "$B/taglib_probe" ]; then
    local taglib
    taglib=$(median "$mode" nothing xargs -0 -a "$TREE.paths" "$B/taglib_probe")
    row "probe --json vs TagLib" "$probe" "$taglib" "TagLib MPEG::File, one process" "0.33x"
  fi
  rm -f "$TREE.paths"
}

# Tag reads kept in flight (--jobs) against the single-threaded plain loop, the same mode.
run_jobs() {  # run_jobs warm|cold
  local mode=$1
  in_tree >"$TREE.paths"
  local plain
  plain=$(median "$mode" nothing xargs -0 -a "$TREE.paths" "$B/baseline_probe")
  local goal
  goal=$([ "$mode" = cold ] && echo 0.67x || echo "-")
  header "$mode, threads"
  for jobs in 1 4 8 32; do
    local tagsearch probe
    tagsearch=$(median "$mode" nothing "$CLI" search --recursive --tags --jobs "$jobs" "$TREE")
    probe=$(median "$mode" nothing xargs -0 -a "$TREE.paths" "$CLI" probe --json --jobs "$jobs")
    row "search --tags --jobs $jobs" "$tagsearch" "$plain" "plain read loop, one thread" "$goal"
    row "probe --json --jobs $jobs" "$probe" "$plain" "plain read loop, one thread" "$goal"
  done
  rm -f "$TREE.paths"
}

run_batches() {
  local rename plainrename checkedrename move plainmove checkedmove
  rename=$(median warm fresh_work_list xargs -0 -a "$WORK.list" "$CLI" rename)
  plainrename=$(median warm fresh_work_list xargs -0 -a "$WORK.list" "$B/baseline_batch" rename)
  checkedrename=$(median warm fresh_work_list xargs -0 -a "$WORK.list" "$B/baseline_batch" \
    rename --checked "$WORK.journal")
  move=$(median warm fresh_work_list xargs -0 -a "$WORK.list" "$CLI" move --to "$WORK.lib" --yes)
  plainmove=$(median warm fresh_work_list \
    xargs -0 -a "$WORK.list" "$B/baseline_batch" move "$WORK.lib")
  checkedmove=$(median warm fresh_work_list xargs -0 -a "$WORK.list" "$B/baseline_batch" \
    move --checked "$WORK.journal" "$WORK.lib")
  row "rename" "$rename" "$plainrename" "read loop + renameat2(NOREPLACE)" "1.5x"
  # The same loop with only the system calls each file's checks and record cost: what is left
  # above it is the work between the calls.
  row "  the loop with the checks" "$checkedrename" "$plainrename" "+ 2 lstat + a 500-byte record" "-"
  row "rename vs that loop" "$rename" "$checkedrename" "the loop with the checks" "-"
  row "move --to DIR --yes" "$move" "$plainmove" "read loop + mkdir + renameat2 into a/b/" "2x"
  row "  the loop with the checks" "$checkedmove" "$plainmove" "+ 3 lstat + a 500-byte record" "-"
  row "move vs that loop" "$move" "$checkedmove" "the loop with the checks" "-"
  rm -rf "$WORK" "$WORK.lib" "$WORK.list" "$WORK.journal"
}

# One batch over the whole tree, then its undo; each batch starts with an empty journal.
fresh_journal_work() { rm -rf "$XDG_STATE_HOME"; fresh_work; }
renamed_work() { fresh_journal_work; "$CLI" rename "$WORK" >/dev/null 2>&1 || true; }
moved_work() {
  fresh_journal_work
  "$CLI" move --to "$WORK.lib" --yes "$WORK" >/dev/null 2>&1 || true
}
run_undo() {
  local rename undorename move undomove
  rename=$(median warm fresh_journal_work "$CLI" rename "$WORK")
  undorename=$(median warm renamed_work "$CLI" undo)
  move=$(median warm fresh_journal_work "$CLI" move --to "$WORK.lib" --yes "$WORK")
  undomove=$(median warm moved_work "$CLI" undo)
  row "undo of a rename" "$undorename" "$rename" "the rename batch itself (one process)" "-"
  row "undo of a move" "$undomove" "$move" "the move batch itself (one process)" "-"
  rm -rf "$WORK" "$WORK.lib"
}

"$B/baseline_walk" "$TREE" >/dev/null  # warm the cache
echo
if [ "$ONLY" = undo ]; then
  header warm
  run_undo
  exit 0
fi
if [ "$ONLY" = batches ]; then
  header warm
  run_batches
  exit 0
fi
run_reads warm
run_batches
run_undo
[ -x "$B/taglib_probe" ] || echo "(TagLib not installed: scripts/install-deps.sh taglib adds its row)"
echo
run_jobs warm
echo
if [ "$COLD" = 1 ]; then
  run_reads cold
  echo
  run_jobs cold
else
  echo "(cold figures need root: they drop the page cache before each run)"
fi
