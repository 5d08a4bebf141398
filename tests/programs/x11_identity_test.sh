#!/bin/sh
# Starts each program on an Xvfb display and reads its windows' WM_CLASS: the class is the
# program's desktop entry (StartupWMClass), so docks tie the window to its launcher and icon. The
# editor's settings stay where they always were. Skipped (exit 77) where Xvfb, xprop or xdotool is
# absent. Usage: x11_identity_test.sh BUILD_DIR
set -eu
bin=$(cd "$1" && pwd)/bin
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

command -v Xvfb >/dev/null || skip "Xvfb is not installed (Debian package xvfb)"
command -v xprop >/dev/null || skip "xprop is not installed (Debian package x11-utils)"
command -v xdotool >/dev/null || skip "xdotool is not installed"

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    # Only the processes this test started.
    if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work" || true
}
trap cleanup EXIT
trap 'exit 1' INT TERM

export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data TMPDIR=$work/tmp
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$TMPDIR"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy

# Xvfb picks a free display and writes its number once it takes connections.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
waited=0
until [ -s "$work/display" ]; do
    kill -0 "$xvfb_pid" 2>/dev/null || { xvfb_pid=; cat "$work/xvfb.log"; skip "Xvfb could not start"; }
    [ $waited -ge 100 ] && fail "Xvfb gave no display within 10 s"
    sleep 0.1
    waited=$((waited + 1))
done
export DISPLAY=:$(head -n 1 "$work/display")

# Starts a program, waits (bounded) for its windows, checks the class of each, ends it.
# Usage: check NAME DESKTOP_ID COMMAND...
check() {
    name=$1
    id=$2
    shift 2
    "$@" >"$work/$name.log" 2>&1 &
    app_pid=$!
    tries=0
    windows=
    until [ -n "$windows" ]; do
        kill -0 "$app_pid" 2>/dev/null || { cat "$work/$name.log" >&2; app_pid=; fail "$name ended early"; }
        [ $tries -ge 75 ] && { cat "$work/$name.log" >&2; fail "$name showed no window within 15 s"; }
        sleep 0.2
        tries=$((tries + 1))
        windows=$(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null || true)
    done
    for w in $windows; do
        # WM_CLASS(STRING) = "instance", "class"
        class=$(xprop -id "$w" WM_CLASS | sed -n 's/.*= ".*", "\(.*\)"$/\1/p')
        [ "$class" = "$id" ] || fail "$name's window $w has the WM_CLASS class '$class', not '$id'"
    done
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=
    echo "$name: WM_CLASS class $id"
}

"$bin/tnv-make-demo" "$work/sim" >/dev/null
pack=$(find "$work/sim" -iname CueLine.clt | head -n 1)
[ -n "$pack" ] || fail "the demo simulator has no crew pack"

check TnvCueLine tnv-cueline "$bin/TnvCueLine" "$pack"
# The editor keeps its recent files where it always has, whatever the window system calls it.
conf="$XDG_CONFIG_HOME/Local AppWizard-Generated Applications/CueLine.conf"
grep -qF "$pack" "$conf" 2>/dev/null || fail "the editor's settings are not in $conf"
others=$(find "$XDG_CONFIG_HOME" -type f ! -path "$conf")
[ -z "$others" ] || fail "the editor wrote settings elsewhere: $others"

check FleetValuer fleetvaluer "$bin/FleetValuer" --base "$work/sim/Tarnavel"
# Started outside an add-on, the uninstaller only says why it removes nothing.
mkdir "$work/elsewhere"
ln -s "$bin/UninstallTarnavel" "$work/elsewhere/UninstallTarnavel"
check UninstallTarnavel uninstall-tarnavel "$work/elsewhere/UninstallTarnavel"
echo "every window's WM_CLASS names its program's desktop entry"
