#!/usr/bin/env bash
# What the monitor costs: the window with its monitor open, and beside it
# ostrel-cli run --monitor, each reading a steady stream of short messages from
# bench/midi_flood at 10,000 and 40,000 a second; each figure is the share of
# one core that the process used over OSTREL_BENCH_SECONDS (10), read from
# /proc/PID/stat. Needs a build with -DOSTREL_BENCH=ON:
#   scripts/with-jack.sh scripts/monitor-cost.sh [BUILD]
# OSTREL_WINDOW_BENCH names another window bench binary (an older build's).
set -uo pipefail
build="${1:-build}"
seconds="${OSTREL_BENCH_SECONDS:-10}"
ticks=$(getconf CLK_TCK)
window_bench="${OSTREL_WINDOW_BENCH:-$build/bench/monitor_window_bench}"

# utime + stime of a process, in clock ticks.
process_ticks() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }

wait_for_port() {
    for _ in $(seq 100); do
        jack_lsp 2>/dev/null | grep -qx "$1" && return 0
        sleep 0.1
    done
    echo "monitor-cost.sh: no port $1" >&2
    return 1
}

# The window's line also gives its threads' wake-ups a second and the lines in its log.
printf '%-8s %-28s %s\n' "rate" "reader" "% of a core"
for rate in 10000 40000; do
    "$build/bench/midi_flood" "$rate" 0 &
    flood=$!
    wait_for_port flood:out || exit 1

    window=$(xvfb-run -a "$window_bench" flood:out "$seconds" 2>/dev/null)
    printf '%-8s %-28s %s\n' "$rate" "window, monitor open" "${window:-failed}"

    "$build/ostrel-cli" run --in flood:out --monitor >/dev/null 2>&1 &
    cli=$!
    sleep 2
    before=$(process_ticks "$cli")
    sleep "$seconds"
    after=$(process_ticks "$cli")
    kill -INT "$cli"
    wait "$cli" 2>/dev/null
    printf '%-8s %-28s %s\n' "$rate" "ostrel-cli run --monitor" \
        "$(awk -v t=$((after - before)) -v hz="$ticks" -v s="$seconds" \
            'BEGIN { printf "%.1f", 100 * t / hz / s }')"

    kill -TERM "$flood"
    wait "$flood" 2>/dev/null
done
