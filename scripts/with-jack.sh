#!/usr/bin/env bash
# Runs a command beside a private JACK dummy server, no sound card, stopped with
# SIGTERM and waited for whatever the command's outcome.
#
# Server names come from a small fixed set, ostrel-test-1 to ostrel-test-4.
# jackd2's registry holds 8 servers for the whole machine, and the slot of a
# server that ended without stopping (SIGKILL, a crash) goes back only to a
# server of the same name (scripts/jack-registry.sh says more): new names on
# every run would fill it after a few killed runs. A run takes the first name
# whose lock ($locks/NAME.lock, flock) is free and under which no server
# answers; the lock lives as long as the run and its server, so parallel runs
# never share a name, and the next run reuses a killed run's name and so takes
# back its slot. Tests that start a server of their own take their names from
# the same set (tests/support/test_server.h).
set -uo pipefail

# Frames per period: OSTREL_JACK_PERIOD, 512 unless set (10.7 ms at 48 kHz): a
# server without real-time scheduling on a busy machine misses fewer cycles (each
# xrun loses what a cycle carried, whoever sent it). A longer period gives
# slow (instrumented) clients more time per cycle.
period="${OSTREL_JACK_PERIOD:-512}"
if ! [[ "$period" =~ ^[0-9]+$ ]]; then
    echo "with-jack.sh: OSTREL_JACK_PERIOD must be a number of frames, not '$period'" >&2
    exit 2
fi

# OSTREL_JACK_REALTIME=1: the server and the process threads of its clients run
# with real-time priority, as on a music system (the benchmarks measure so);
# where that is not allowed, jackd says so and runs without. Tests run without.
realtime=--no-realtime
if [ "${OSTREL_JACK_REALTIME:-0}" = 1 ]; then realtime=--realtime; fi

here=$(cd "$(dirname "$0")" && pwd)
names=(ostrel-test-1 ostrel-test-2 ostrel-test-3 ostrel-test-4)
locks="/tmp/ostrel-jack-$(id -u)"
if ! mkdir -p -m 700 "$locks" 2>/dev/null || [ ! -O "$locks" ]; then
    echo "with-jack.sh: $locks must be a folder of this user, for the server names' locks" >&2
    exit 1
fi

log=$(mktemp /tmp/ostrel-jackd-XXXXXX.log)
export JACK_NO_AUDIO_RESERVATION=1
export JACK_NO_START_SERVER=1
export OSTREL_MIDI_API=jack

name=""
lock_fd=""
jack_pid=""

release_name() {
    if [ -n "$lock_fd" ]; then exec {lock_fd}>&-; fi
    lock_fd=""
    name=""
}

# Takes $1 when its lock is free and no server answers under it (one started
# by hand, or left by a run that was killed while its server lives on).
take_name() {
    exec {lock_fd}>>"$locks/$1.lock" || return 1
    if ! flock -n "$lock_fd" || JACK_DEFAULT_SERVER="$1" jack_lsp >/dev/null 2>&1; then
        release_name
        return 1
    fi
    name=$1
}

stop_jack() {
    if [ -n "$jack_pid" ]; then
        kill -TERM "$jack_pid" 2>/dev/null
        wait "$jack_pid" 2>/dev/null
    fi
    jack_pid=""
}
finish() {
    stop_jack
    release_name
    rm -f "$log"
}
trap finish EXIT

# Starts jackd under $name and waits (at most 20 s) until it answers: status 0
# when it does, 1 when jackd ended, 2 when it did not answer in time. jackd
# holds the name's lock too, and gets SIGTERM when this script ends, however
# it ends.
start_jack() {
    setpriv --pdeathsig TERM jackd "$realtime" -n "$name" -d dummy -r 48000 -p "$period" \
        >"$log" 2>&1 &
    jack_pid=$!
    for _ in $(seq 1 200); do
        if JACK_DEFAULT_SERVER="$name" jack_lsp >/dev/null 2>&1; then return 0; fi
        if ! kill -0 "$jack_pid" 2>/dev/null; then
            wait "$jack_pid" 2>/dev/null
            jack_pid=""
            return 1
        fi
        sleep 0.1
    done
    stop_jack
    return 2
}

# When every name is taken by other runs, waits for one (at most 30 minutes).
waited=0
while :; do
    for candidate in "${names[@]}"; do
        take_name "$candidate" || continue
        start_jack
        case $? in
            0) break 2 ;;
            2)
                echo "with-jack.sh: jackd ($name) did not answer in time:" >&2
                cat "$log" >&2
                exit 1
                ;;
        esac
        if grep -q "Too many servers already active" "$log"; then
            echo "with-jack.sh: jackd cannot start (\"Too many servers already active\"):" >&2
            "$here/jack-registry.sh" >&2
            exit 1
        fi
        if grep -q "server already active" "$log"; then
            # The slot of a server gone under this name, whose pid another
            # process has taken since: try the next name.
            release_name
            continue
        fi
        echo "with-jack.sh: jackd did not start:" >&2
        cat "$log" >&2
        exit 1
    done
    if [ "$waited" -eq 0 ]; then
        echo "with-jack.sh: every test server name (${names[*]}) is taken by another run;" \
            "waiting for one (the locks: $locks/NAME.lock)" >&2
    fi
    if [ "$waited" -ge 1800 ]; then
        echo "with-jack.sh: no test server name came free in 30 minutes" >&2
        exit 1
    fi
    sleep 1
    waited=$((waited + 1))
done

export JACK_DEFAULT_SERVER="$name"
# The command does not hold the lock: a program it leaves running must not keep
# the name from the next run.
"$@" {lock_fd}>&-
