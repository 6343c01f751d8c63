#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR with the package's prefix (/usr) and
# checks the tree: every file in place and nothing else, the desktop entry and the
# AppStream metadata valid, the manual pages render, the icons have the sizes that
# their folders name, the installed ostrel-cli runs and its manual page and bash
# completion know every command and option it has, and the menu's launcher starts
# the window in the user's config folder. Usage: install_tree_test.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)

for tool in desktop-file-validate appstreamcli man file; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done

tmp=$(mktemp -d)
gui=
trap '[ -n "$gui" ] && kill $gui 2>/dev/null; rm -rf "$tmp"' EXIT
root=$tmp/root
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! DESTDIR=$root cmake --install "$build" --prefix /usr >"$tmp/install.log" 2>&1; then
    cat "$tmp/install.log"
    exit 1
fi

expected="usr/bin/ostrel
usr/bin/ostrel-cli
usr/lib/systemd/user/ostrel-cli.service
usr/libexec/ostrel/ostrel-start
usr/share/applications/ostrel.desktop
usr/share/bash-completion/completions/ostrel-cli
$(for s in 16 22 24 32 48 64 128 256; do echo "usr/share/icons/hicolor/${s}x$s/apps/ostrel.png"; done)
usr/share/man/man1/ostrel-cli.1.gz
usr/share/man/man1/ostrel.1.gz
usr/share/metainfo/io.github.ostrel.Ostrel.metainfo.xml
usr/share/ostrel/Readme.htm"
diff <(LC_ALL=C sort <<<"$expected") <(cd "$root" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort) ||
    fail "installed files differ from the list (<: missing, >: not expected)"
for s in 16 22 24 32 48 64 128 256; do
    grep -q "^PNG image data, $s x $s," <<<"$(file -b "$root/usr/share/icons/hicolor/${s}x$s/apps/ostrel.png")" ||
        fail "the ${s}x$s icon is not a $s by $s PNG"
done

desktop=$root/usr/share/applications/ostrel.desktop
if ! out=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$out" ]; then fail "desktop-file-validate: $out"; fi
if ! out=$(appstreamcli validate --no-net "$root"/usr/share/metainfo/*.xml 2>&1) ||
    grep -q '^[EWI]:' <<<"$out"; then fail "appstreamcli validate: $out"; fi
for page in ostrel ostrel-cli; do
    if ! MANWIDTH=1000 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" >"$tmp/$page.txt" 2>"$tmp/man.err" ||
        [ -s "$tmp/man.err" ] || ! grep -q "^NAME" "$tmp/$page.txt"; then
        fail "man -l $page.1.gz: $(cat "$tmp/man.err")"
    fi
done

# The installed programs, and what documents them.
cli=$root/usr/bin/ostrel-cli
overview=$("$cli" --help) || fail "installed ostrel-cli --help failed"
commands=$(sed -n 's/^  \([a-z-]*\).*/\1/p' <<<"$overview")
[ -n "$commands" ] || fail "ostrel-cli --help lists no command: $overview"
offer() { # what the installed bash completion offers for the words given
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _ostrel_cli
             printf "%s\n" "${COMPREPLY[@]}"' _ "$root/usr/share/bash-completion/completions/ostrel-cli" "$@"
}
for command in $commands; do
    usage=$("$cli" "$command" --help) || fail "installed ostrel-cli $command --help failed"
    grep -qx -- "$command" <<<"$(offer ostrel-cli "")" || fail "bash completion does not offer $command"
    grep -q "ostrel-cli $command" "$tmp/ostrel-cli.txt" || fail "ostrel-cli.1 does not show $command"
    for option in $(grep -o -- '--[a-z-]*' <<<"$usage" | sort -u); do
        grep -qx -- "$option" <<<"$(offer ostrel-cli "$command" --)" ||
            fail "bash completion does not offer $option for $command"
        grep -q -- "ostrel-cli $command.*$option" "$tmp/ostrel-cli.txt" ||
            fail "ostrel-cli.1 does not show $option for $command"
    done
done
unit=$root/usr/lib/systemd/user/ostrel-cli.service
started=$(sed -n 's/^ExecStart=\([^ ]*\).*/\1/p' "$unit")
[ -x "$root$started" ] || fail "ostrel-cli.service starts '$started', which is not installed"

# The menu entry starts the window in the user's config folder, created when missing.
launcher=$(sed -n 's/^Exec=//p' "$desktop")
start_from_menu() { # home folder, XDG_CONFIG_HOME value (empty: none), folder expected
    mkdir -p "$1" "$tmp/run" && chmod 700 "$tmp/run"
    env -i -C "$tmp" HOME="$1" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$tmp/run" \
        OSTREL_MIDI_API=jack JACK_DEFAULT_SERVER=ostrel-no-server JACK_NO_START_SERVER=1 \
        ${2:+XDG_CONFIG_HOME="$2"} "$root$launcher" >"$tmp/gui.log" 2>&1 &
    gui=$!
    for _ in $(seq 200); do # until the launcher has become the window (or ended)
        [ "$(readlink "/proc/$gui/exe")" = "$root/usr/bin/ostrel" ] && break
        kill -0 $gui 2>/dev/null || break
        sleep 0.05
    done
    local cwd
    cwd=$(readlink "/proc/$gui/exe" >/dev/null && readlink "/proc/$gui/cwd")
    kill $gui 2>/dev/null
    wait $gui 2>/dev/null
    gui=
    [ "$cwd" = "$3" ] ||
        fail "from the menu with XDG_CONFIG_HOME='$2' the window ran in '$cwd': $(cat "$tmp/gui.log")"
}
start_from_menu "$tmp/home1" "" "$tmp/home1/.config/ostrel"
start_from_menu "$tmp/home2" "$tmp/xdg" "$tmp/xdg/ostrel"
start_from_menu "$tmp/home3" relative/config "$tmp/home3/.config/ostrel"

[ $failures -eq 0 ] && echo "installed tree complete and valid"
exit $((failures > 0))
