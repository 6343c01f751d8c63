#!/usr/bin/env bash
# What the monitor costs: the window with its monitor open, and beside it
# ostrel-cli run --monitor, each reading a steady stream of short messages from
# bench/midi_flood at each rate of OSTREL_BENCH_RATES (0, idle; 10,000; 40,000
# a second); each figure is the share of one core that the process used over
# OSTREL_BENCH_SECONDS (10), read from /proc/PID/stat. OSTREL_BENCH_REPEAT (1)
# measures each rate so many times over. Needs a build with -DOSTREL_BENCH=ON:
#   scripts/with-jack.sh scripts/monitor-cost.sh [BUILD]
# OSTREL_WINDOW_BENCH names another window bench binary (an older build's):
# it is measured too, on the same stream, in a line of its own.
set -uo pipefail
build="${1:-build}"
seconds="${OSTREL_BENCH_SECONDS:-10}"
rates="${OSTREL_BENCH_RATES:-0 10000 40000}"
repeat="${OSTREL_BENCH_REPEAT:-1}"
ticks=$(getconf CLK_TCK)
window_bench="$build/bench/monitor_window_bench"
other_bench="${OSTREL_WINDOW_BENCH:-}"

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

window_line() {
    local result
    result=$(xvfb-run -a "$2" flood:out "$seconds" 2>/dev/null)
    printf '%-8s %-28s %s\n' "$rate" "$1" "${result:-failed}"
}

# A window's line also gives its threads' wake-ups a second, the lines in its
# log and the share of a core that its window's thread used.
printf '%-8s %-28s %s\n' "rate" "reader" "% of a core"
for rate in $rates; do
    "$build/bench/midi_flood" "$rate" 0 &
    flood=$!
    wait_for_port flood:out || exit 1

    for _ in $(seq "$repeat"); do
        window_line "window, monitor open" "$window_bench"
        [ -n "$other_bench" ] && window_line "window, other build" "$other_bench"

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
    done

    kill -TERM "$flood"
    wait "$flood" 2>/dev/null
done
