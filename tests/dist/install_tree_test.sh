#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR with the package's prefix (/usr) and
# checks the tree: every file in place and nothing else, the desktop entry and the
# AppStream metadata valid, the manual pages render, the icons have the sizes that
# their folders name, the installed ostrel-cli runs and its manual page and bash
# completion know every command and option it has, and the menu's launcher starts
# the window in the user's config folder, or shows why it cannot. Usage:
# install_tree_test.sh BUILD_DIR QT_PLUGIN_DIR (the folder of the test plugin ostrelpress)
set -uo pipefail
build=$(cd "$1" && pwd)
plugins=$(cd "$2" && pwd)

for tool in desktop-file-validate appstreamcli man file xmllint update-mime-database; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done

tmp=$(mktemp -d)
gui= port_clients=
trap '[ -n "$gui" ] && kill $gui 2>/dev/null; [ -n "$port_clients" ] && kill $port_clients 2>/dev/null
      rm -rf "$tmp"' EXIT
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
usr/share/doc/ostrel/changelog.gz
usr/share/doc/ostrel/copyright
$(for s in 16 22 24 32 48 64 128 256; do echo "usr/share/icons/hicolor/${s}x$s/apps/ostrel.png"; done)
usr/share/icons/hicolor/scalable/apps/ostrel.svg
usr/share/mime/packages/ostrel.xml
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

# The scalable icon and the file types: valid XML, and types the MIME database takes.
mkdir -p "$tmp/mime/packages" && cp "$root/usr/share/mime/packages/ostrel.xml" "$tmp/mime/packages/"
xmllint --noout "$root/usr/share/icons/hicolor/scalable/apps/ostrel.svg" "$tmp/mime/packages/ostrel.xml" &&
    XDG_DATA_HOME="$tmp" update-mime-database "$tmp/mime" && ls "$tmp"/mime/application/x-ostrel-{configuration,setlist}.xml \
    >/dev/null || fail "ostrel.svg or ostrel.xml (MIME types) is not valid"

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
complete_line() { # what the installed completion offers for a line, given as COMP_LINE and then
    # the COMP_WORDS that bash splits it into, the cursor at its end
    PATH="$root/usr/bin:$PATH" bash -c 'source "$1"; COMP_LINE=$2; COMP_POINT=${#2}; shift 2
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _ostrel_cli; printf "%s\n" "${COMPREPLY[@]}"' \
        _ "$root/usr/share/bash-completion/completions/ostrel-cli" "$@"
}
offer() { complete_line "$*" "$@"; } # the same for words separated by single blanks
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
grep -qx -- --version <<<"$(offer ostrel-cli --)" || fail "bash completion does not offer --version"

# Port names from the running MIDI system: a keyboard whose name has a blank and a
# synth, on the private JACK server of the test run.
if [ -n "${JACK_DEFAULT_SERVER:-}" ]; then
    keyboard="VQ Keyboard-$$" synth="fluidsynth-$$"
    { jack_midiseq "$keyboard" 24000 0 60 1 & jack_midi_dump "$synth" & } >/dev/null 2>&1
    port_clients=$(jobs -p)
    for _ in $(seq 200); do
        [ "$(jack_lsp | grep -cx -e "$keyboard:out" -e "$synth:input")" = 2 ] && break
        sleep 0.05
    done
    expect_offer() { # what is expected (one per line), then COMP_LINE and COMP_WORDS
        local got
        got=$(complete_line "${@:2}")
        [ "$got" = "$1" ] || fail "completing '$2' offers '$got', not '$1'"
    }
    expect_offer "fluidsynth-$$:input" "ostrel-cli run --out fluidsynth-$$" ostrel-cli run --out "fluidsynth-$$"
    expect_offer "VQ\\ Keyboard-$$:out" "ostrel-cli run --in VQ\\ Keyboard-$$" \
        ostrel-cli run --in "VQ\\ Keyboard-$$"
    expect_offer "" "ostrel-cli run --in fluidsynth-$$" ostrel-cli run --in "fluidsynth-$$"
    expect_offer "" "ostrel-cli send-syx --out VQ" ostrel-cli send-syx --out VQ
    # Across the colon, where bash splits the word: the part after it.
    expect_offer input "ostrel-cli send-hex --out fluidsynth-$$:in" \
        ostrel-cli send-hex --out "fluidsynth-$$" : in
    expect_offer out "ostrel-cli receive-syx --in VQ\\ Keyboard-$$:" \
        ostrel-cli receive-syx --in "VQ\\ Keyboard-$$" :
    # After an opening quote, the bare name: the shell closes the quote.
    expect_offer "VQ Keyboard-$$:out" "ostrel-cli run --in 'VQ Keyboard-$$:o" \
        ostrel-cli run --in "'VQ Keyboard-$$:o"
    kill $port_clients && wait $port_clients 2>/dev/null
    port_clients=
else
    echo "port names not completed: no private JACK server (scripts/with-jack.sh starts one)"
fi

# Both programs say the version of the package's changelog; the window needs no display for it.
version=$(zcat "$root/usr/share/doc/ostrel/changelog.gz" | sed -n '1s/^ostrel (\(.*\)) .*/\1/p')
[ -n "$version" ] || fail "the changelog does not start with an entry of ostrel"
[ "$("$cli" --version)" = "ostrel-cli $version" ] || fail "ostrel-cli --version: $("$cli" --version 2>&1)"
window() { env -i PATH=/usr/bin:/bin "$root/usr/bin/ostrel" "$@"; }
[ "$(window --version 2>&1)" = "ostrel $version" ] || fail "ostrel --version: $(window --version 2>&1)"
window --help >"$tmp/help.txt" 2>&1 && grep -q "^usage: ostrel" "$tmp/help.txt" ||
    fail "ostrel --help without a display: $(cat "$tmp/help.txt")"

unit=$root/usr/lib/systemd/user/ostrel-cli.service
started=$(sed -n 's/^ExecStart=\([^ ]*\).*/\1/p' "$unit")
[ -x "$root$started" ] || fail "ostrel-cli.service starts '$started', which is not installed"

# The menu entry starts the window in the user's config folder, created when missing.
launcher=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
grep -q '^Exec=.* %f$' "$desktop" || fail "the desktop entry takes no file: $(grep ^Exec= "$desktop")"
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

# A config folder that cannot be made: the window shows why in a message box (whose OK
# the test plugin presses), exits 1 and never runs in another folder.
: >"$tmp/not-a-folder"
env -i -C "$tmp" HOME="$tmp/home4" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$tmp/run" \
    XDG_CONFIG_HOME="$tmp/not-a-folder" QT_PLUGIN_PATH="$plugins" QT_QPA_GENERIC_PLUGINS=ostrelpress:1 \
    timeout 60 "$root$launcher" >"$tmp/gui.log" 2>&1
status=$?
[ $status = 1 ] && grep -qx "ostrelpress: 1" "$tmp/gui.log" && [ ! -e "$tmp/Ostrel.ini" ] &&
    grep -q "^ostrel: .*$tmp/not-a-folder/ostrel.*Not a directory" "$tmp/gui.log" ||
    fail "a menu start without its config folder ended with $status: $(cat "$tmp/gui.log")"

[ $failures -eq 0 ] && echo "installed tree complete and valid"
exit $((failures > 0))
