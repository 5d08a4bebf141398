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
# Each program: its desktop entry (whose ID its windows carry as app_id and WM_CLASS), its icon
# of the same name, and its AppStream component.
version=$("$root/bin/TnvCueLine" --version | sed 's/.* //')
while read -r id component program; do
    entry=$root/share/applications/$id.desktop
    grep -qx "StartupWMClass=$id" "$entry" || fail "$entry: StartupWMClass is not $id"
    grep -qx "Icon=$id" "$entry" || fail "$entry: Icon is not $id"
    [ -f "$root/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "icon $id.svg"
    [ -f "$root/share/icons/hicolor/48x48/apps/$id.png" ] || fail "icon $id.png"
    meta=$root/share/metainfo/org.tarnavel.$component.metainfo.xml
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$meta" || fail "$meta: launchable"
    grep -q "<binary>$program</binary>" "$meta" || fail "$meta: binary"
    grep -q "<release version=\"$version\" date=\"[0-9-]*\"/>" "$meta" || fail "$meta: release $version"
done <<EOF
tnv-cueline cueline TnvCueLine
fleetvaluer fleetvaluer FleetValuer
uninstall-tarnavel uninstaller UninstallTarnavel
EOF
grep -q "<mediatype>application/x-tarnavel-cueline</mediatype>" \
    "$root/share/metainfo/org.tarnavel.cueline.metainfo.xml" || fail "the editor's component opens .clt files"
[ "$(ls "$root"/share/metainfo | wc -l)" -eq 3 ] || fail "three AppStream components"
# Outside a simulator the uninstaller can only refuse: each simulator's own group has it.
grep -qx "NoDisplay=true" "$root/share/applications/uninstall-tarnavel.desktop" \
    || fail "the system-wide uninstaller entry is shown in the menu"
command -v appstreamcli >/dev/null || fail "appstreamcli is not installed (Debian package appstream)"
appstreamcli validate-tree --no-net "$work/root" >"$work/appstream" 2>&1 \
    || { cat "$work/appstream"; fail "appstreamcli validate-tree"; }

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
