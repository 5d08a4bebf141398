#!/bin/sh
# A new user's first minutes with the installed package: a Wine prefix holding the demo
# simulator, tarnavel-setup without a folder, then FleetValuer and TnvCueLine started exactly as
# the system's desktop entries start them (their Exec lines, from /) on an Xvfb display. The table
# must show the demo fleet and File, Open must start in the crew packs; a second simulator must
# give a second submenu and make FleetValuer ask which. Prints what it saw, one line each.
# Usage: new_user.sh TNV_MAKE_DEMO [SHOTS_DIR]   (SHOTS_DIR, or $TNV_NEW_USER_SHOTS, keeps the
# screenshots)
# The programs are those on the PATH, the entries those in $TNV_ENTRIES (/usr/share/applications).
# Exit status 77 (skipped) where Xvfb, xdotool, ImageMagick or python3 is missing.
set -eu
make_demo=$(realpath "$1")
shots=${2:-${TNV_NEW_USER_SHOTS:-}}
entries=${TNV_ENTRIES:-/usr/share/applications}
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in Xvfb xdotool import /usr/bin/python3; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup)"; exit 77; }
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    # Only the processes this script started.
    if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work" || true
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# A home of its own, as a new user's.
export HOME=$work/home XDG_RUNTIME_DIR=$work/run SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb
unset XDG_CONFIG_HOME XDG_DATA_HOME WINEPREFIX WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# The prefix as Wine lays it out, the simulator installed in it.
prefix=$HOME/.wine
mkdir -p "$prefix/drive_c/windows" "$prefix/dosdevices"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s / "$prefix/dosdevices/z:"
sim="$prefix/drive_c/Program Files/Sim2004"
"$make_demo" "$sim" >/dev/null
tarnavel-setup >"$work/setup.out" 2>&1 || { cat "$work/setup.out"; fail "tarnavel-setup without a folder"; }
echo "tarnavel-setup (no folder) set up $sim: $(wc -l <"$work/setup.out") files"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
waited=0
until [ -s "$work/display" ]; do
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log"; fail "Xvfb could not start"; }
    [ $waited -ge 100 ] && fail "Xvfb gave no display within 10 s"
    sleep 0.1
    waited=$((waited + 1))
done
export DISPLAY=:$(head -n 1 "$work/display")

# The command of a desktop entry, as a launcher runs it without a file (field codes dropped).
exec_line() {
    sed -n 's/^Exec=//p' "$entries/$1.desktop" | head -n 1 | sed 's/ *%[fFuU]//g'
}

# Starts an entry's command from /, and waits (bounded) for a window whose name matches.
# Usage: launch ENTRY NAME-PATTERN; sets app_pid and win.
launch() {
    command=$(exec_line "$1")
    (cd / && exec sh -c "$command") >"$work/$1.log" 2>&1 &
    app_pid=$!
    wait_window "$2" "$1"
}
wait_window() {
    tries=0
    win=
    until [ -n "$win" ]; do
        kill -0 "$app_pid" 2>/dev/null || { cat "$work/$2.log" >&2; app_pid=; fail "$2 ended early"; }
        [ $tries -ge 100 ] && { cat "$work/$2.log" >&2; fail "$2 showed no window named '$1'"; }
        sleep 0.2
        tries=$((tries + 1))
        win=$(xdotool search --onlyvisible --pid "$app_pid" --name "$1" 2>/dev/null | head -n 1 || true)
    done
    # Without a window manager the keyboard follows the pointer.
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
    sleep 0.5
}
shot() { # the window found last
    import -window "$win" "$work/$1.png"
    [ -z "$shots" ] || cp "$work/$1.png" "$shots/$1.png"
}
# How light the rows below the header are (0 black .. 1 white): rows of texts on white, or the
# grey of an empty table.
rows_lightness() {
    convert "$work/$1.png" -crop "$((WIDTH - 40))x60+20+45" -colorspace Gray \
        -format "%[fx:mean]" info:
}
finish() {
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=
}
[ -z "$shots" ] || mkdir -p "$shots"

launch fleetvaluer "Tarnavel FleetScout utility"
shot fleetvaluer
light=$(rows_lightness fleetvaluer)
/usr/bin/python3 -c "import sys; sys.exit(float('$light') < 0.8)" ||
    fail "FleetValuer from the menu shows no aircraft (rows' lightness $light)"
finish
echo "FleetValuer from the menu ($(exec_line fleetvaluer), from /) shows the table of the demo" \
    "fleet (rows' lightness $light)"

# File, Open, then the demo pack named relative to where the dialog starts.
launch tnv-cueline "CueLine"
xdotool key ctrl+o
wait_window "Open" tnv-cueline
shot open-dialog
xdotool type --delay 20 "Demo/CueLine.clt"
xdotool key Return
wait_window "^Editing " tnv-cueline
title=$(xdotool getwindowname "$win")
want="Editing $sim/Tarnavel/Sound/Crewpack/Demo/CueLine.clt"
[ "$title" = "$want" ] || fail "File, Open did not start in the crew packs: '$title'"
shot tnv-cueline
finish
echo "TnvCueLine from the menu ($(exec_line tnv-cueline), from /): File, Open starts in" \
    "$sim/Tarnavel/Sound/Crewpack; Demo/CueLine.clt typed there opened '$title'"

# A second simulator, in a Steam library's Proton prefix.
second="$HOME/.local/share/Steam/steamapps/compatdata/2400/pfx/drive_c/Games/Sim2004"
mkdir -p "$HOME/.local/share/Steam/steamapps/compatdata/2400/pfx/dosdevices"
"$make_demo" "$second" >/dev/null
tarnavel-setup "$second" >/dev/null || fail "tarnavel-setup of the second simulator"
mkdir -p "$work/xdg/menus"
cat >"$work/xdg/menus/applications.menu" <<'MENU'
<!DOCTYPE Menu PUBLIC "-//freedesktop//DTD Menu 1.0//EN"
 "http://www.freedesktop.org/standards/menu-spec/menu-1.0.dtd">
<Menu>
  <Name>Applications</Name>
  <DefaultAppDirs/>
  <DefaultDirectoryDirs/>
  <DefaultMergeDirs/>
  <Menu><Name>Games</Name><Include><Category>Game</Category></Include></Menu>
</Menu>
MENU
mkdir -p "$work/share/applications"
cp "$entries"/fleetvaluer.desktop "$entries"/tnv-cueline.desktop \
    "$entries"/uninstall-tarnavel.desktop "$work/share/applications/"
XDG_CONFIG_DIRS=$work/xdg XDG_DATA_DIRS=$work/share /usr/bin/python3 - >"$work/menu" <<'PY'
import xdg.Menu
def walk(menu, depth):
    for entry in menu.getEntries():
        if isinstance(entry, xdg.Menu.Menu):
            print("  " * depth + "[" + entry.getName() + "]")
            walk(entry, depth + 1)
        elif isinstance(entry, xdg.Menu.MenuEntry):
            print("  " * depth + entry.DesktopEntry.getName() + " | " + entry.DesktopEntry.getExec())
walk(xdg.Menu.parse(), 0)
PY
[ "$(grep -c '^\[Tarnavel (Sim2004)' "$work/menu")" -eq 2 ] || { cat "$work/menu"; fail "two submenus"; }
grep -q "^\[Tarnavel (Sim2004) 2\]" "$work/menu" || { cat "$work/menu"; fail "the second submenu"; }
echo "the merged menu, read with python3-xdg:"
sed 's/^/    /' "$work/menu"

# With two, FleetValuer from the menu asks which; Enter takes the highlighted one and keeps it.
launch fleetvaluer "Choose a simulator"
shot fleetvaluer-choice
xdotool key Down Return
wait_window "Tarnavel FleetScout utility" fleetvaluer
kept=$(cat "$HOME/.config/tarnavel/chosen")
finish
echo "FleetValuer from the menu with two simulators asked which; Down and Enter kept $kept"
FleetValuer --export - >"$work/fleet.csv" || fail "FleetValuer --export - with a kept choice"
echo "FleetValuer --export - then wrote the kept one's table: $(($(wc -l <"$work/fleet.csv") - 1)) rows"
echo "new user: ok"
