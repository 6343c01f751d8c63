#!/usr/bin/env bash
# Runs a command beside a private PipeWire daemon, its JACK clients on PipeWire's
# JACK server: its own runtime folder (so that it never meets the desktop's
# PipeWire or another run), no sound card, stopped whatever the command's
# outcome. The command runs through pw-jack, which makes every program it starts
# load PipeWire's libjack instead of jackd2's.
#
# Frames per cycle: OSTREL_PIPEWIRE_QUANTUM, 256 unless set, at 48 kHz. PipeWire
# picks its quantum itself (1024 by default, or what its clients ask for); it is
# forced here through the "settings" metadata (clock.force-quantum), as
# `pw-metadata -n settings 0 clock.force-quantum N` does on a desktop, so that
# every cycle of the run has the same length.
#
# PipeWire's JACK differs from jackd2 in what it carries (PipeWire 0.3.65):
# - a cycle of more than 1364 events of up to 8 bytes on one port is lost whole
#   (the port buffer takes 4093);
# - a note-on with velocity 0 arrives as a note-off with velocity 64, unless the
#   clients run with PIPEWIRE_PROPS='{ jack.fix-midi-events = false }'. The run
#   keeps PipeWire's defaults, as a desktop has them.

set -uo pipefail

quantum="${OSTREL_PIPEWIRE_QUANTUM:-256}"
if ! [[ "$quantum" =~ ^[0-9]+$ ]]; then
    echo "with-pipewire.sh: OSTREL_PIPEWIRE_QUANTUM must be a number of frames, not '$quantum'" >&2
    exit 2
fi
for program in pipewire pw-jack pw-metadata jack_lsp; do
    if ! command -v "$program" >/dev/null; then
        echo "with-pipewire.sh: $program is missing (packages pipewire, pipewire-jack, jackd2)" >&2
        exit 1
    fi
done

runtime=$(mktemp -d /tmp/ostrel-pipewire-XXXXXX)
chmod 700 "$runtime"
mkdir -p "$runtime/config"
export XDG_RUNTIME_DIR="$runtime"
unset PIPEWIRE_REMOTE PIPEWIRE_RUNTIME_DIR PIPEWIRE_QUANTUM PIPEWIRE_LATENCY
# No session bus is needed (nor wanted): the daemon's D-Bus modules give up.
unset DBUS_SESSION_BUS_ADDRESS

# The daemon reads its configuration from the system and the quantum's file
# below, not from the user's ~/.config/pipewire. Its own configuration brings a
# dummy driver that runs the graph without a sound card. No session manager:
# JACK clients connect their ports themselves. The daemon gets SIGTERM when
# this script ends, however it ends. The quantum is the daemon's own from its
# start, so that no change of it falls in the middle of a test (a change loses
# what the cycles in flight carry); the "settings" metadata below holds it
# there once clients come.
mkdir -p "$runtime/config/pipewire/pipewire.conf.d"
cat >"$runtime/config/pipewire/pipewire.conf.d/ostrel-quantum.conf" <<EOF
context.properties = {
    default.clock.rate = 48000
    default.clock.quantum = $quantum
    default.clock.min-quantum = $quantum
    default.clock.max-quantum = $quantum
}
EOF
XDG_CONFIG_HOME="$runtime/config" setpriv --pdeathsig TERM pipewire >"$runtime/pipewire.log" 2>&1 &
pipewire_pid=$!

stop_pipewire() {
    kill "$pipewire_pid" 2>/dev/null
    wait "$pipewire_pid" 2>/dev/null
    rm -rf "$runtime"
}
trap stop_pipewire EXIT

# PipeWire's JACK server meets every client, whatever server name it asks for;
# the tests only need to know that a server runs for them.
export JACK_DEFAULT_SERVER=pipewire-0
# Tests that start a server of their own start a pipewire daemon here, not jackd.
export OSTREL_ON_PIPEWIRE=1
export JACK_NO_START_SERVER=1
export OSTREL_MIDI_API=jack

# Wait (at most 20 s) until a JACK client can join.
joined=false
for _ in $(seq 1 200); do
    if pw-jack jack_lsp >/dev/null 2>&1; then
        joined=true
        break
    fi
    if ! kill -0 "$pipewire_pid" 2>/dev/null; then break; fi
    sleep 0.1
done
if ! $joined; then
    echo "with-pipewire.sh: no JACK client could join PipeWire:" >&2
    cat "$runtime/pipewire.log" >&2
    exit 1
fi

if ! pw-metadata -n settings 0 clock.force-rate 48000 >/dev/null ||
    ! pw-metadata -n settings 0 clock.force-quantum "$quantum" >/dev/null; then
    echo "with-pipewire.sh: cannot set the quantum to $quantum frames" >&2
    exit 1
fi

pw-jack "$@"
