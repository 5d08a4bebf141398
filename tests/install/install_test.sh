#!/bin/sh
# Installs into a DESTDIR and checks what lands there; builds the Debian package.
set -eu
build=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$work/root cmake --install "$build" --prefix /usr >"$work/install.log"
root=$work/root/usr
for p in TnvCueLine FleetValuer UninstallTarnavel tarnavel-setup; do
    [ -x "$root/bin/$p" ] || fail "$p not installed"
    "$root/bin/$p" --version | grep -q "[0-9]\.[0-9]" || fail "$p --version"
    "$root/bin/$p" --help >"$work/help" || fail "$p --help"
    grep -q -- "--help" "$work/help" || fail "$p --help lists no --help"
    [ -f "$root/share/man/man1/$p.1.gz" ] || fail "man page of $p"
    MANWIDTH=80 man -l "$root/share/man/man1/$p.1.gz" >"$work/man" 2>"$work/man.err" || fail "man -l $p"
    [ -s "$work/man.err" ] && { cat "$work/man.err"; fail "man page of $p has warnings"; }
    grep -q "NAME" "$work/man" || fail "man page of $p renders nothing"
done
for d in "$root"/share/applications/*.desktop; do
    desktop-file-validate "$d" || fail "desktop entry $d"
done
[ "$(ls "$root"/share/applications/*.desktop | wc -l)" -eq 3 ] || fail "three desktop entries"
grep -q 'glob pattern="\*.clt"' "$root/share/mime/packages/tarnavel-cueline.xml" || fail "mime type"
grep -q "MimeType=application/x-tarnavel-cueline;" "$root/share/applications/tnv-cueline.desktop" \
    || fail "editor opens .clt files"
for icon in tnv-cueline fleetvaluer uninstall-tarnavel; do
    [ -f "$root/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "icon $icon.svg"
    [ -f "$root/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "icon $icon.png"
done

# The Debian package, with the dependencies the programs need.
(cd "$build" && cpack -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail cpack; }
deb=$(ls "$work"/pkg/*.deb | head -n 1)
dpkg-deb --info "$deb" >"$work/info"
for dep in libqt6widgets6 libsdl2 fonts-dejavu-core; do
    grep -q "Depends:.*$dep" "$work/info" || { cat "$work/info"; fail "package depends on $dep"; }
done
grep -q "Recommends:.*qt6-wayland" "$work/info" || { cat "$work/info"; fail "package recommends qt6-wayland"; }
dpkg-deb --contents "$deb" | grep -q "usr/bin/tarnavel-setup" || fail "package holds tarnavel-setup"
echo "install: ok"
