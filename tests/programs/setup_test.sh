#!/bin/sh
# Places the tools into simulator trees, found or named, reads the desktop menu they make as a
# menu reader does, uses them there, and takes one simulator's out again.
set -eu
build=$1
src=$2
bin=$build/bin
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config TMPDIR=$work/tmp
unset WINEPREFIX XDG_MENU_PREFIX
mkdir -p "$XDG_DATA_HOME/applications/Other" "$TMPDIR" "$HOME"
echo keep >"$XDG_DATA_HOME/applications/Other/other.desktop"
sim="$work/Flight Sim"
"$bin/tnv-make-demo" "$sim" >/dev/null
mkdir -p "$sim/Flights/Other"
echo other >"$sim/Gauges/other.gau"

snapshot() { (cd "$work" && find data config "Flight Sim" -print 2>/dev/null | LC_ALL=C sort); }
snapshot >"$work/before"

# Command-line manners.
"$bin/tarnavel-setup" --version | grep -qx "tarnavel-setup [0-9]*\.[0-9]*\.[0-9]*" || fail "--version"
"$bin/tarnavel-setup" -h | grep -q "^usage: tarnavel-setup" || fail "-h"
status=0; "$bin/tarnavel-setup" --bogus 2>"$work/err" || status=$?
[ $status -eq 2 ] && head -n 1 "$work/err" | grep -qx "tarnavel-setup: unknown option '--bogus'" &&
    grep -q "^usage:" "$work/err" || fail "unknown option: $status $(cat "$work/err")"
status=0; "$bin/tarnavel-setup" --list "$sim" 2>/dev/null || status=$?
[ $status -eq 2 ] || fail "--list with a folder is a usage error"

# A folder without an Aircraft folder is refused.
mkdir "$work/notasim"
"$bin/tarnavel-setup" "$work/notasim" 2>"$work/err" && fail "accepted a folder without Aircraft"
grep -q "Aircraft" "$work/err" || fail "refusal says why"

# Dry run: the files, one per line, and nothing created.
"$bin/tarnavel-setup" --dry-run "$sim" >"$work/dry"
[ "$(wc -l <"$work/dry")" -eq 10 ] || fail "dry run lists ten files"
snapshot | cmp -s - "$work/before" || fail "dry run created something"

"$bin/tarnavel-setup" "$sim" >"$work/out"
cmp -s "$work/out" "$work/dry" || fail "the set-up writes what the dry run listed"
[ -L "$sim/Tarnavel/bin/FleetValuer" ] || fail "browser link"
[ -L "$sim/Tarnavel/UninstallTarnavel" ] || fail "uninstaller link"
for e in "$XDG_DATA_HOME"/applications/tarnavel-*.desktop "$XDG_DATA_HOME"/desktop-directories/*; do
    desktop-file-validate --no-hints "$e" || fail "entry $e"
done
grep -q "^Exec=\"$sim/Tarnavel/bin/FleetValuer\"$" "$XDG_DATA_HOME"/applications/tarnavel-*-fleetvaluer.desktop ||
    fail "browser entry starts the placed program"
grep -qx "$sim" "$XDG_CONFIG_HOME/tarnavel/simulators" || fail "registered"

# Setting up again refreshes; copies replace the links.
"$bin/tarnavel-setup" --copy "$sim" >/dev/null || fail "setting up again"
[ -f "$sim/Tarnavel/bin/FleetValuer" ] && [ ! -L "$sim/Tarnavel/bin/FleetValuer" ] || fail "copy"
"$bin/tarnavel-setup" "$sim" >/dev/null || fail "setting up a third time"
[ "$(wc -l <"$XDG_CONFIG_HOME/tarnavel/simulators")" -eq 1 ] || fail "registered once"

# A second simulator of the same name, found in a Wine prefix, set up without naming it.
second="$HOME/.wine/drive_c/Games/Flight Sim"
mkdir -p "$HOME/.wine/drive_c/Games"
"$bin/tnv-make-demo" "$second" >/dev/null
"$bin/tarnavel-setup" --list >"$work/list"
printf '%s\twith Tarnavel\n%s\twith Tarnavel\n' "$sim" "$second" | cmp -s - "$work/list" ||
    fail "--list: $(cat "$work/list")"
"$bin/tarnavel-setup" </dev/null 2>"$work/err" && fail "chose one of two simulators alone"
grep -q "$second" "$work/err" || fail "names the simulators to choose from"
mv "$sim/Tarnavel" "$sim/Tarnavel.away"
"$bin/tarnavel-setup" </dev/null >/dev/null || fail "sets up the one found with Tarnavel"
mv "$sim/Tarnavel.away" "$sim/Tarnavel"

# The merged menu, read as a desktop reads it: one submenu per simulator, the system entries
# alone under Games.
mkdir -p "$work/xdg/menus" "$work/share/applications"
cp "$src"/resources/desktop/*.desktop "$work/share/applications/"
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
# Debian's own Python, which python3-xdg is for.
XDG_CONFIG_DIRS=$work/xdg XDG_DATA_DIRS=$work/share /usr/bin/python3 - >"$work/menu" <<'PY'
import xdg.Menu
def walk(menu, depth):
    for entry in menu.getEntries():
        if isinstance(entry, xdg.Menu.Menu):
            print("  " * depth + "[" + entry.getName() + "]")
            walk(entry, depth + 1)
        elif isinstance(entry, xdg.Menu.MenuEntry):
            d = entry.DesktopEntry
            print("  " * depth + d.getName() + " | " + d.getExec() + " | " + d.getStartupWMClass())
walk(xdg.Menu.parse(), 0)
PY
cat >"$work/want" <<WANT
[Games]
  FleetValuer | FleetValuer | fleetvaluer
  TnvCueLine | TnvCueLine %f | tnv-cueline
[Tarnavel (Flight Sim)]
  TnvCueLine | "$sim/Tarnavel/bin/TnvCueLine" %f | tnv-cueline
  FleetValuer | "$sim/Tarnavel/bin/FleetValuer" | fleetvaluer
  [Tools]
    Uninstall Tarnavel | "$sim/Tarnavel/UninstallTarnavel" | uninstall-tarnavel
[Tarnavel (Flight Sim) 2]
  TnvCueLine | "$second/Tarnavel/bin/TnvCueLine" %f | tnv-cueline
  FleetValuer | "$second/Tarnavel/bin/FleetValuer" | fleetvaluer
  [Tools]
    Uninstall Tarnavel | "$second/Tarnavel/UninstallTarnavel" | uninstall-tarnavel
WANT
# The system-wide uninstaller stays out of the menu: outside a simulator it can only refuse.
sort "$work/want" >"$work/want.sorted"
sort "$work/menu" | diff - "$work/want.sorted" || fail "the merged menu"

# The placed browser finds the simulator from its own path.
"$sim/Tarnavel/bin/FleetValuer" --export - >"$work/table.csv"
[ "$(wc -l <"$work/table.csv")" -gt 3 ] || fail "the placed browser lists the demo aircraft"
"$sim/Tarnavel/UninstallTarnavel" --dry-run >"$work/plan"
grep -q "$sim/Tarnavel" "$work/plan" || fail "uninstaller plans to remove the add-on"
grep -q "applications-merged/tarnavel-.*\.menu" "$work/plan" || fail "uninstaller plans the menu"

"$sim/Tarnavel/UninstallTarnavel" --silent >"$work/out"
# The self-removal script runs after the program; give it time to finish.
i=0
while [ -e "$sim/Tarnavel" ] && [ $i -lt 100 ]; do sleep 0.2; i=$((i + 1)); done
[ ! -e "$sim/Tarnavel" ] || fail "the add-on's folder is gone"
grep -qx "$second" "$XDG_CONFIG_HOME/tarnavel/simulators" || fail "the other registration stays"
grep -qx "$sim" "$XDG_CONFIG_HOME/tarnavel/simulators" && fail "its registration is gone"
[ "$(ls "$XDG_DATA_HOME"/applications/tarnavel-* | wc -l)" -eq 3 ] || fail "the other's entries stay"
# Everything else is as it was, but the add-on's own files and the other simulator's group (and
# the menu folders it is in).
snapshot | grep -v "^Flight Sim/Tarnavel" >"$work/after"
grep -v "^Flight Sim/Tarnavel" "$work/before" >"$work/before.kept"
grep -v -e tarnavel -e "^config" -e "desktop-directories$" "$work/after" |
    diff "$work/before.kept" - || fail "the tree changed"
echo "setup: ok"
