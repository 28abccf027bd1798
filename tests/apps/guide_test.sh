#!/bin/bash
# Runs every shell command the user guide gives, as written, with the
# programs of this build first on the PATH, as a user of the installed
# package would: in a scratch home whose own workspace is a demo
# installation (the commands work on the user's data) with a send waiting
# for the clearing centre. A desktop program the guide starts must come up
# and take its workspace; it is then ended. Every absolute path the guide
# names must exist in an installation of this build.
# The block that builds and installs the package is not run here: it needs
# the source tree and root; the package test makes that package with the
# same cpack command and installs it by unpacking.
# Usage: guide_test.sh BUILD_DIR SOURCE_DIR
set -u
BUILD="$(readlink -f "$1")"
SOURCE="$(readlink -f "$2")"
GUIDE="$SOURCE/docs/guide.md"
fail() {
    echo "guide: $*" >&2
    exit 1
}

ROOT="$(mktemp -d)"
GUI_PID=""
cleanup() {
    [ -n "$GUI_PID" ] && kill "$GUI_PID" 2>/dev/null
    rm -rf "$ROOT"
}
trap cleanup EXIT

# Every path the guide names under the installation's folders.
cmake --install "$BUILD" --prefix "$ROOT/usr" >"$ROOT/install.log" 2>&1 ||
    { cat "$ROOT/install.log"; fail "cmake --install failed"; }
grep -o '/opt/[^` )]*' "$GUIDE" && fail "the guide names /opt, where nothing is installed"
for path in $(grep -o '`/usr/[^`]*`' "$GUIDE" | tr -d '`' | sort -u); do
    [ -e "$ROOT$path" ] || fail "the guide names $path, which the installation does not have"
done

# The user's scratch home, the programs of the build first on the PATH.
export HOME="$ROOT/home"
export PATH="$BUILD/bin:$PATH"
export PELMAR_REGISTRY_DIR="$ROOT/registry"
export PELMAR_NOW="2025-06-11 10:00:00"
export TMPDIR="$ROOT/tmp"
export QT_QPA_PLATFORM=offscreen
unset PELMAR_HOME XDG_DATA_HOME
mkdir -p "$HOME" "$TMPDIR"
cd "$HOME" || fail "no home"

# What the commands expect to find: the user's workspace with data in it
# and a send handed to the link for the clearing centre to answer.
pelmar-tool --quiet make-demo >"$ROOT/prepare.log" 2>&1 &&
    pelmar-tool --quiet --yes send >>"$ROOT/prepare.log" 2>&1 ||
    { cat "$ROOT/prepare.log"; fail "the user's workspace could not be prepared"; }

# A desktop program must come up and take its workspace's lock under its
# own name; then it is ended.
run_desktop() {
    local line="$1" program="$2"
    bash -c "$line" >"$ROOT/gui.log" 2>&1 &
    GUI_PID=$!
    for _ in $(seq 1200); do
        kill -0 "$GUI_PID" 2>/dev/null ||
            { cat "$ROOT/gui.log"; fail "\"$line\" ended by itself"; }
        for lock in $(find "$HOME" -name Pelmar.lock); do
            holder="$(sed -n 1p "$lock")"
            pid="$(sed -n 2p "$lock")"
            if [ "$holder" = "$program" ] && [ "$pid" = "$GUI_PID" ]; then
                kill "$GUI_PID"
                wait "$GUI_PID"
                GUI_PID=""
                return 0
            fi
        done
        sleep 0.1
    done
    fail "\"$line\": $program did not take its workspace"
}

# The fenced sh blocks, one command a line, with the heading they stand under.
count=0
skipped=0
heading=""
in_block=""
block=()
flush() {
    [ ${#block[@]} -eq 0 ] && return
    if [ "${block[0]}" = "scripts/build" ] || [ "${block[0]%% *}" = "scripts/build" ]; then
        skipped=$((skipped + 1))
        block=()
        return
    fi
    for line in "${block[@]}"; do
        count=$((count + 1))
        command="${line%%#*}"
        words=($command)
        last="${words[${#words[@]}-1]}"
        case "$last" in
        Pelmar | Vandry)
            run_desktop "$line" "$last"
            ;;
        *)
            bash -c "$line" >"$ROOT/out.log" 2>&1 ||
                { cat "$ROOT/out.log"; fail "\"$line\" ($heading) failed"; }
            ;;
        esac
        echo "ok: $line"
    done
    block=()
}
while IFS= read -r text; do
    if [ -n "$in_block" ]; then
        if [ "$text" = '```' ]; then
            in_block=""
            flush
        elif [ -n "${text// /}" ]; then
            block+=("$text")
        fi
    elif [ "$text" = '```sh' ]; then
        in_block=1
    elif [ "$text" != "${text#\`\`\`}" ]; then
        fail "a block that is not marked sh under \"$heading\": every command block is run"
    elif [ "$text" != "${text#\#}" ]; then
        heading="$text"
    fi
done <"$GUIDE"
[ "$skipped" -eq 1 ] || fail "expected the one block that builds the package, found $skipped"
[ "$count" -ge 10 ] || fail "only $count commands found in the guide"
echo "guide ok: $count commands"
