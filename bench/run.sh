#!/usr/bin/env bash
# Times tessmar against cp of the same file and against sox doing the same split.
# Usage: bench/run.sh [BUILD_DIR] [MIB] [ROUNDS] [BITS]
# Rounds are interleaved; before every timed run all outputs are deleted and the disk synced,
# outside the timing, so no tool pays for another's leftovers.
set -euo pipefail
build=${1:-build}
mib=${2:-300}
rounds=${3:-7}
bits=${4:-16}
tessmar=$(realpath "$build/tessmar")
wavgen=$(realpath "$build/wavgen")
command -v sox >/dev/null || { echo "bench: sox is needed (apt-get install sox)"; exit 1; }
work=$(mktemp -d "${TMPDIR:-/var/tmp}/tessmar-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
"$wavgen" noise in.wav "$mib" "$bits"
cat in.wav >/dev/null  # in the page cache for every tool alike

# The root file system may discard freed blocks in the background: let that settle too.
clean() { rm -f inL.wav inR.wav copy.wav soxL.wav soxR.wav; sync; sleep 1; }
seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null; end=$(date +%s.%N); awk -v a="$start" -v b="$end" 'BEGIN {print b - a}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
split_once() { "$tessmar" in.wav; }
sox_once() { sox in.wav soxL.wav remix 1 && sox in.wav soxR.wav remix 2; }

# One untimed round first: the first writes after a large file is made run slow for every tool.
clean; split_once >/dev/null; clean; cp in.wav copy.wav; clean; sox_once
t_split=() t_cp=() t_sox=()
for ((round = 1; round <= rounds; round++)); do
  clean; t_split+=("$(seconds split_once)")
  clean; t_cp+=("$(seconds cp in.wav copy.wav)")
  clean; t_sox+=("$(seconds sox_once)")
  printf 'round %d: tessmar %.3f s, cp %.3f s, sox %.3f s\n' "$round" "${t_split[-1]}" "${t_cp[-1]}" "${t_sox[-1]}"
done
# Outputs must agree with sox's, or the timing means nothing. sox's own files are read back by sox,
# as their header differs (an extensible format chunk for 24 bits, a pad byte).
clean; split_once; sox_once
if ! { cmp <(tail -c +45 inL.wav) <(sox soxL.wav -t raw -) && cmp <(tail -c +45 inR.wav) <(sox soxR.wav -t raw -); }; then
  echo "bench: tessmar's outputs differ from sox's"
  exit 1
fi
peak_kib=$(/usr/bin/time -f %M "$tessmar" in.wav 2>&1 >/dev/null)
clean

median() { printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
split=$(median "${t_split[@]}"); copy=$(median "${t_cp[@]}"); sx=$(median "${t_sox[@]}")
echo "input: $mib MiB, $bits bits, $rounds rounds"
printf 'median: tessmar %.3f s, cp %.3f s, sox (both channels) %.3f s\n' "$split" "$copy" "$sx"
echo "tessmar / cp: $(ratio "$split" "$copy")   sox / tessmar: $(ratio "$sx" "$split")   tessmar peak memory: $(ratio "$peak_kib" 1024) MiB"
