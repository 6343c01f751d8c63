#!/usr/bin/env bash
# Says which JACK servers jackd2's registry holds and how to free a slot.
# Usage: jack-registry.sh          lists the registered servers
#        jack-registry.sh --free   takes back the slots of this user's servers
#                                  that are gone (see below)
#
# jackd2 registers every server of the machine, all users together, in
# /dev/shm/jack-shm-registry: at most 8. A server that stops (SIGTERM, SIGINT)
# frees its slot. One that ends without stopping (SIGKILL, a crash) keeps it,
# with its socket /dev/shm/jack_<name>_<uid>_0 and its semaphores
# /dev/shm/jack_sem.<uid>_<name>_*; only a server started by the same user
# under the same name takes that slot back. With 8 slots taken, jackd says
# "Too many servers already active" and does not start.
set -uo pipefail

registry=/dev/shm/jack-shm-registry
uid=$(id -u)

# The registry's header (jack_shm_header_t): magic, protocol, type, size, its
# own length and an entry's length, 4 bytes each, then 8 servers of a pid
# (4 bytes) and a name "jack-<uid>:<name>:", NUL-terminated.
u32() { od -A n -t u4 -j "$1" -N 4 "$registry" | tr -d ' '; }
servers=()  # "uid name pid state" for each taken slot
read_registry() {
    servers=()
    [ -r "$registry" ] || return 0
    local header slot i off pid full name owner state
    header=$(u32 16)
    [[ "$header" =~ ^[0-9]+$ ]] && [ "$header" -gt 24 ] || return 0
    slot=$(((header - 24) / 8))
    for i in 0 1 2 3 4 5 6 7; do
        off=$((24 + i * slot))
        pid=$(u32 "$off")
        [ -n "$pid" ] && [ "$pid" != 0 ] || continue
        full=$(tail -c +$((off + 5)) "$registry" | head -c $((slot - 4)) | tr '\0' '\n' | head -n 1)
        owner=${full#jack-}
        owner=${owner%%:*}
        name=${full#jack-"$owner":}
        name=${name%:}
        if [ ! -d "/proc/$pid" ]; then
            state=gone
        elif [[ "$(cat "/proc/$pid/comm" 2>/dev/null)" == jackd* ]]; then
            state=running
        else
            # jackd takes a live pid for a live server: not even its own name
            # takes the slot back while this process runs.
            state="gone, its pid now $(cat "/proc/$pid/comm" 2>/dev/null)"
        fi
        servers+=("$owner $name $pid $state")
    done
}

free_slots() {
    local entry owner name pid state jack_pid freed=0
    for entry in "${servers[@]}"; do
        read -r owner name pid state <<<"$entry"
        [ "$owner" = "$uid" ] && [ "$state" = gone ] || continue
        JACK_NO_AUDIO_RESERVATION=1 jackd --no-realtime -n "$name" -d dummy >/dev/null 2>&1 &
        jack_pid=$!
        for _ in $(seq 1 100); do
            JACK_DEFAULT_SERVER="$name" JACK_NO_START_SERVER=1 jack_lsp >/dev/null 2>&1 && break
            kill -0 "$jack_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -TERM "$jack_pid" 2>/dev/null
        wait "$jack_pid" 2>/dev/null
        echo "freed the slot of '$name'"
        freed=$((freed + 1))
    done
    [ "$freed" -gt 0 ] || echo "no server of user $uid is gone: nothing to free here"
}

read_registry
if [ "${1:-}" = --free ]; then
    free_slots
    exit 0
fi

if [ ${#servers[@]} -ge 8 ]; then
    echo "JACK's registry of servers ($registry) is full: it holds 8 servers, the most it can:"
else
    echo "JACK's registry of servers ($registry) holds ${#servers[@]} of 8:"
fi
gone=0
for entry in "${servers[@]}"; do
    read -r owner name pid state <<<"$entry"
    printf "  %-24s user %-6s pid %-8s %s\n" "$name" "$owner" "$pid" "$state"
    [ "$state" = running ] || gone=$((gone + 1))
done
if [ "$gone" -gt 0 ]; then
    cat <<EOF
A server that is gone keeps its slot until a server of the same user starts
under its name and stops. To take back the slots of your servers that are gone:
  $0 --free
Or stop every JACK server and JACK program of the machine, then remove JACK's
files, which frees every slot:
  rm -rf /dev/shm/jack-shm-registry /dev/shm/jack-[0-9]* /dev/shm/jack_*
EOF
fi
