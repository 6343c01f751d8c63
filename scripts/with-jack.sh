#!/usr/bin/env bash
# Runs a command beside a private JACK dummy server: its own server name, so that
# parallel runs never meet, no sound card, stopped whatever the command's outcome.
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

name="ostrel-$$-$RANDOM"
log=$(mktemp /tmp/ostrel-jackd-XXXXXX.log)
export JACK_DEFAULT_SERVER="$name"
export JACK_NO_AUDIO_RESERVATION=1
export JACK_NO_START_SERVER=1
export OSTREL_MIDI_API=jack

jackd "$realtime" -n "$name" -d dummy -r 48000 -p "$period" >"$log" 2>&1 &
jack_pid=$!

stop_jack() {
    kill "$jack_pid" 2>/dev/null
    wait "$jack_pid" 2>/dev/null
    rm -f "$log"
}
trap stop_jack EXIT

# Wait (at most 20 s) until the server answers.
for _ in $(seq 1 200); do
    if jack_lsp >/dev/null 2>&1; then break; fi
    if ! kill -0 "$jack_pid" 2>/dev/null; then
        echo "with-jack.sh: jackd did not start:" >&2
        cat "$log" >&2
        exit 1
    fi
    sleep 0.1
done
if ! jack_lsp >/dev/null 2>&1; then
    echo "with-jack.sh: jackd did not answer in time:" >&2
    cat "$log" >&2
    exit 1
fi

"$@"
