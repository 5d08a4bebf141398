#!/bin/sh
# Starts each program under a headless weston and takes a picture of the compositor's screen once
# the program's window is on it; each window's app_id, as the compositor received it, is the
# program's desktop entry, so docks tie the window to its launcher and icon. Skipped (exit 77) where weston or Qt's Wayland platform is absent
# or weston does not start. Usage: wayland_smoke_test.sh BUILD_DIR SCREENSHOT_DIR
set -eu
build=$(cd "$1" && pwd)
shots=$2
bin=$build/bin
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

command -v weston >/dev/null || skip "weston is not installed (Debian package weston)"
command -v weston-screenshooter >/dev/null || skip "weston-screenshooter is not installed"
command -v identify >/dev/null || skip "ImageMagick's identify is not installed"
plugin=
for dir in $(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null) /usr/lib/*/qt6/plugins; do
    [ -e "$dir/platforms/libqwayland-generic.so" ] && plugin=yes
done
[ -n "$plugin" ] || skip "Qt's Wayland platform is not installed (Debian package qt6-wayland)"

work=$(mktemp -d)
weston_pid=
app_pid=
cleanup() {
    # Only the processes this test started.
    if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
    if [ -n "$weston_pid" ]; then kill "$weston_pid" 2>/dev/null || true; wait "$weston_pid" 2>/dev/null || true; fi
    rm -rf "$work" || true
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Everything a program or the compositor writes stays in the test's own folder.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data TMPDIR=$work/tmp
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$TMPDIR" "$work/shots"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY
mkdir -p "$shots"
rm -f "$shots"/*.png

# A plain background and no panel (its clock), so an empty screen has a single colour.
cat >"$work/weston.ini" <<'EOF'
[core]
idle-time=0
[shell]
panel-position=none
background-color=0xff204060
locking=false
[input-method]
path=
EOF
socket=tnv-smoke
# The "proto" scope logs the requests weston receives, set_app_id among them.
weston --backend=headless-backend.so --use-pixman --width=1024 --height=768 --debug \
    --logger-scopes=log,proto --config="$work/weston.ini" --socket=$socket --idle-time=0 \
    >"$work/weston.log" 2>&1 &
weston_pid=$!

# Bounded waits: a regression fails the test, it never hangs it.
waited=0
until [ -S "$XDG_RUNTIME_DIR/$socket" ]; do
    if ! kill -0 "$weston_pid" 2>/dev/null; then
        tail -5 "$work/weston.log"
        weston_pid=
        skip "weston could not start here (its log is above)"
    fi
    [ $waited -ge 100 ] && { tail -5 "$work/weston.log"; skip "weston made no socket within 10 s"; }
    sleep 0.1
    waited=$((waited + 1))
done
export WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland

# The number of colours of the compositor's screen now, its picture saved as $1.
screen_colours() {
    rm -f "$work/shots"/*.png
    (cd "$work/shots" && timeout 10 weston-screenshooter >/dev/null 2>&1) || return 1
    set -- "$1" "$work/shots"/*.png
    [ -f "$2" ] || return 1
    mv "$2" "$1"
    identify -format '%k' "$1"
}

[ "$(screen_colours "$work/empty.png")" = 1 ] || fail "the empty screen should be one colour"

# Starts a program, waits until its window shows on the screen, keeps the picture, checks the
# app_id of every window it made, ends it. Usage: show NAME DESKTOP_ID COMMAND...
show() {
    name=$1
    id=$2
    shift 2
    logged=$(wc -l <"$work/weston.log")
    "$@" >"$work/$name.log" 2>&1 &
    app_pid=$!
    tries=0
    while :; do
        sleep 0.5
        kill -0 "$app_pid" 2>/dev/null || {
            cat "$work/$name.log" >&2
            app_pid=
            fail "$name ended before its window showed"
        }
        colours=$(screen_colours "$shots/$name.png") || fail "no picture of the screen"
        [ "$colours" -gt 16 ] && break
        tries=$((tries + 1))
        [ $tries -ge 30 ] && { cat "$work/$name.log" >&2; fail "$name showed no window within 15 s"; }
    done
    if grep -i "wayland" "$work/$name.log" | grep -iq "error\|fail\|could not"; then
        cat "$work/$name.log" >&2
        fail "$name reported a Wayland problem"
    fi
    ids=$(tail -n +$((logged + 1)) "$work/weston.log" |
        sed -n 's/.*xdg_toplevel@[0-9]*\.set_app_id("\(.*\)").*/\1/p' | sort -u | paste -sd' ' -)
    [ "$ids" = "$id" ] || fail "$name's windows have the app_id '$ids', not its desktop entry '$id'"
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=
    echo "$name: its window is on the screen ($shots/$name.png), app_id $id"
}

sim=$work/sim
"$bin/tnv-make-demo" "$sim" >/dev/null
pack=$(find "$sim" -iname CueLine.clt | head -1)
[ -n "$pack" ] || fail "the demo simulator has no crew pack"
export SDL_AUDIODRIVER=dummy
show TnvCueLine tnv-cueline "$bin/TnvCueLine" "$pack"
show FleetValuer fleetvaluer "$bin/FleetValuer" --base "$sim/Tarnavel"
# Started outside an add-on, the uninstaller only says why it removes nothing.
mkdir "$work/elsewhere"
ln -s "$bin/UninstallTarnavel" "$work/elsewhere/UninstallTarnavel"
show UninstallTarnavel uninstall-tarnavel "$work/elsewhere/UninstallTarnavel"

# The programs' own pictures work under Wayland too.
# Bounded: Qt's Wayland client could hang at the program's end.
timeout 60 "$bin/TnvCueLine" --screenshot "$shots/TnvCueLine-own.png" "$pack" >"$work/own.log" 2>&1 \
    || { cat "$work/own.log" >&2; fail "the editor's own picture under Wayland (or its end)"; }
[ "$(identify -format '%k' "$shots/TnvCueLine-own.png")" -gt 16 ] || fail "the editor's own picture is empty"
echo "all three programs show their windows under Wayland"
