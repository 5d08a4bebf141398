#!/bin/sh
# Places the tools into a simulator tree, uses them there, and takes them out again.
set -eu
build=$1
bin=$build/bin
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

export XDG_DATA_HOME=$work/data TMPDIR=$work/tmp HOME=$work/home
mkdir -p "$XDG_DATA_HOME/applications/Other" "$TMPDIR" "$HOME"
echo keep >"$XDG_DATA_HOME/applications/Other/other.desktop"
sim="$work/Flight Sim"
"$bin/tnv-make-demo" "$sim" >/dev/null
mkdir -p "$sim/Gauges" "$sim/Modules" "$sim/Flights/Other"
echo other >"$sim/Gauges/other.gau"

snapshot() { (cd "$work" && find data "Flight Sim" -print | LC_ALL=C sort); }
snapshot >"$work/before"

# A folder without an Aircraft folder is refused.
mkdir "$work/notasim"
"$bin/tarnavel-setup" "$work/notasim" 2>"$work/err" && fail "accepted a folder without Aircraft"
grep -q "Aircraft" "$work/err" || fail "refusal says why"

# Dry run: the files, one per line, and nothing created.
"$bin/tarnavel-setup" --dry-run "$sim" >"$work/dry"
[ "$(wc -l <"$work/dry")" -eq 6 ] || fail "dry run lists six files"
snapshot | cmp -s - "$work/before" || fail "dry run created something"

"$bin/tarnavel-setup" "$sim" >/dev/null
[ -L "$sim/Tarnavel/bin/FleetValuer" ] || fail "browser link"
[ -L "$sim/Tarnavel/UninstallTarnavel" ] || fail "uninstaller link"
for e in "$XDG_DATA_HOME"/applications/Tarnavel/*.desktop "$XDG_DATA_HOME"/applications/Tarnavel/Tools/*.desktop; do
    desktop-file-validate "$e" || fail "entry $e"
done
grep -q "Exec=\"$sim/Tarnavel/bin/FleetValuer\"" "$XDG_DATA_HOME/applications/Tarnavel/tarnavel-fleetvaluer.desktop" \
    || fail "browser entry starts the placed program"

# A second run refuses to replace anything.
"$bin/tarnavel-setup" "$sim" 2>"$work/err" && fail "replaced existing files"
grep -q "already exists" "$work/err" || fail "says which file exists"

# The placed browser finds the simulator from its own path.
"$sim/Tarnavel/bin/FleetValuer" --export - >"$work/table.csv"
[ "$(wc -l <"$work/table.csv")" -gt 3 ] || fail "the placed browser lists the demo aircraft"
"$sim/Tarnavel/UninstallTarnavel" --dry-run >"$work/plan"
grep -q "$sim/Tarnavel" "$work/plan" || fail "uninstaller plans to remove the add-on"

"$sim/Tarnavel/UninstallTarnavel" --silent >"$work/out"
# The self-removal script runs after the program; give it time to finish.
i=0
while [ -e "$sim/Tarnavel" ] && [ $i -lt 100 ]; do sleep 0.2; i=$((i + 1)); done
[ ! -e "$sim/Tarnavel" ] || fail "the add-on's folder is gone"
[ ! -e "$XDG_DATA_HOME/applications/Tarnavel" ] || fail "the menu group is gone"
# Everything else is as it was, but the add-on's own files.
snapshot | grep -v "^Flight Sim/Tarnavel" >"$work/after"
grep -v "^Flight Sim/Tarnavel" "$work/before" | diff - "$work/after" || fail "the tree changed"
echo "setup: ok"
