#!/usr/bin/env bash
# Starts the window from the build folder: the program's start directory holds its
# settings file Ostrel.ini and the help page Readme.htm that Help > ReadMe opens.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac

if [ ! -x "$build/ostrel" ]; then
    echo "run.sh: $build/ostrel is missing; build it first (make build)." >&2
    exit 1
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<MSG
run.sh: no graphical display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the
window cannot be shown. On a machine without a desktop:
  xvfb-run -a scripts/run.sh ${1:-build}   runs it on a virtual display (e.g. to try start-up)
  make screenshot                          renders the window and its dialogs into PNG files
  $build/ostrel-cli ports                  the command-line companion, no window needed
MSG
    exit 1
fi

cp "$root/res/Readme.htm" "$build/Readme.htm"
cd "$build"
exec ./ostrel
