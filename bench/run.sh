#!/usr/bin/env bash
# Times tagwright-cli over a generated tree of 100,000 files against plain baseline loops:
#   search --recursive  vs  a walk that opens each file and reads 3 + 128 bytes;
#   probe --json        vs  a loop that reads each file's header and whole tag, and TagLib.
# Usage: bench/run.sh [FILES]   (builds the default preset first)
set -euo pipefail
cd "$(dirname "$0")/.."
FILES=${1:-100000}
BUILD=build
cmake --preset default -DTAGWRIGHT_BUILD_BENCH=ON >/dev/null
cmake --build --preset default --target tagwright-cli baseline_walk baseline_probe >/dev/null
cmake --build --preset default --target taglib_probe >/dev/null 2>&1 || true

TREE=$(mktemp -d /tmp/tagwright-bench-XXXXXX)
trap 'rm -rf "$TREE"' EXIT
echo "generating $FILES files in $TREE ..."
/usr/bin/python3 bench/make_tree.py "$TREE" "$FILES" >/dev/null
find "$TREE" -name '*.mp3' -print0 > "$TREE.list"
trap 'rm -rf "$TREE" "$TREE.list"' EXIT

# The best of three warm runs, in seconds.
best() {
  local best=""
  for _ in 1 2 3; do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    local t
    t=$(echo "$end - $start" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  printf '%.3f' "$best"
}

CLI=$BUILD/src/cli/tagwright-cli
"$BUILD/bench/baseline_walk" "$TREE" >/dev/null  # warm the cache

search=$(best "$CLI" search --recursive "$TREE")
walk=$(best "$BUILD/bench/baseline_walk" "$TREE")
probe=$(best xargs -0 -a "$TREE.list" "$CLI" probe --json)
plain=$(best xargs -0 -a "$TREE.list" "$BUILD/bench/baseline_probe")

printf '%-40s %8ss\n' "tagwright-cli search --recursive" "$search"
printf '%-40s %8ss\n' "baseline walk (open + 3 + 128 bytes)" "$walk"
printf '%-40s %8s\n' "ratio" "$(echo "scale=2; $search / $walk" | bc -l)x"
printf '%-40s %8ss\n' "tagwright-cli probe --json" "$probe"
printf '%-40s %8ss\n' "baseline probe (header + whole tag)" "$plain"
printf '%-40s %8s\n' "ratio" "$(echo "scale=2; $probe / $plain" | bc -l)x"
if [ -x "$BUILD/bench/taglib_probe" ]; then
  taglib=$(best xargs -0 -a "$TREE.list" "$BUILD/bench/taglib_probe")
  printf '%-40s %8ss\n' "TagLib read of the same files" "$taglib"
  printf '%-40s %8s\n' "ratio (probe / TagLib)" "$(echo "scale=2; $probe / $taglib" | bc -l)x"
fi
