#!/bin/sh
# One reproducible fuzz run for ctest: a fixed seed, a fixed number of runs, and a scratch
# corpus emptied first, so that every run starts from the committed seeds alone.
# Usage: run-fixed.sh FUZZER SCRATCH ARTIFACTS RUNS [SEED_DIR...]
set -eu
fuzzer=$1 scratch=$2 artifacts=$3 runs=$4
shift 4
rm -rf "$scratch"
mkdir -p "$scratch" "$artifacts"
exec "$fuzzer" -seed=1 -runs="$runs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$scratch" "$@"
