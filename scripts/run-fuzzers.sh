#!/usr/bin/env bash
# Runs every libFuzzer target (fuzz_*) in DIR for a bounded time, two minutes in
# all, and fails when any of them finds a crash. Crash inputs are kept in
# DIR/artifacts. Usage: run-fuzzers.sh DIR [TOTAL_SECONDS]
set -uo pipefail

dir=${1:?usage: run-fuzzers.sh DIR [TOTAL_SECONDS]}
total=${2:-120}
[ "$total" -gt 120 ] && total=120

mapfile -t targets < <(find "$dir" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort)
if [ ${#targets[@]} -eq 0 ]; then
    echo "run-fuzzers.sh: no fuzz_* programs in $dir" >&2
    exit 1
fi
each=$(( total / ${#targets[@]} ))
[ "$each" -lt 1 ] && each=1

artifacts="$dir/artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=()
for target in "${targets[@]}"; do
    name=$(basename "$target")
    corpus="$work/$name"
    mkdir -p "$corpus"
    echo "== $name: $each s"
    # -timeout: one input taking longer than 10 s counts as a hang (a finding too).
    if "$target" "$corpus" -max_total_time="$each" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$artifacts/$name-" -print_final_stats=1 >"$work/$name.log" 2>&1; then
        grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$work/$name.log" | tail -2
    else
        echo "!! $name found a problem:"
        grep -E 'ERROR|SUMMARY|runtime error|deadly signal|Test unit written' "$work/$name.log" | head -20
        failed+=("$name")
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "run-fuzzers.sh: problems found by: ${failed[*]} (inputs in $artifacts)" >&2
    exit 1
fi
echo "run-fuzzers.sh: ${#targets[@]} fuzzers ran, nothing found"
