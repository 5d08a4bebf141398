#!/bin/sh
# check_layers.sh SOURCE_DIR LINKS_DIR COMPILE_COMMANDS [PURE_TEST_PROGRAM...]
# Fails, naming each offender, when a Qt or SDL header is included outside platform/, tests/ and
# bench/ or in the platform's Qt-free parts, when a program's main.cpp is compiled with Qt's or
# SDL's headers at hand, or when Qt or SDL is linked into a pure core's tests: in the link graph
# CMake resolved (LINKS_DIR/<test>.txt) or in the program's dynamic section.
set -u
src=$1
links=$2
commands=$3
shift 3
failed=0
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](Qt[A-Za-z]*/|Q[A-Z][A-Za-z]*(\.h)?[>"]|q[a-z]+\.h>|SDL)'

folders=
for dir in "$src"/*/; do
    dir=${dir%/}
    name=${dir##*/}
    case $name in platform | tests | bench) continue ;; esac
    [ -e "$dir/CMakeCache.txt" ] && continue # a build folder
    folders="$folders $dir"
done
folders="$folders $src/platform/base $src/platform/riff $src/platform/shell"
# shellcheck disable=SC2086 # the folders hold no blanks: they are the checkout's own
found=$(find $folders \( -name '*.cpp' -o -name '*.h' \) -type f -exec grep -HnE "$include" {} + |
    sed "s|^$src/||")
if [ -n "$found" ]; then
    echo "Qt or SDL included outside platform/ (and its Qt-free parts), tests/ and bench/:"
    echo "$found"
    failed=1
fi

# compile_commands.json holds "command" before "file" in each entry.
found=$(awk '/"command":/ { command = $0 }
    /"file":/ && /\/main\.cpp"/ && command ~ /[Qq]t6|SDL2/ { print }' "$commands")
if [ -n "$found" ]; then
    echo "a program's main.cpp compiled with Qt's or SDL's headers at hand:"
    echo "$found"
    failed=1
fi

for list in "$links"/*.txt; do
    [ -e "$list" ] || continue
    bad=$(grep -E '^(Qt6?::|SDL2?::|SDL2$)' "$list" | tr '\n' ' ')
    if [ -n "$bad" ]; then
        echo "$(basename "$list" .txt): a pure core's tests link $bad"
        failed=1
    fi
done
for program in "$@"; do
    bad=$(LC_ALL=C readelf -d "$program" 2>/dev/null | grep -oE 'lib(Qt6[A-Za-z]*|SDL2[^]]*)\.so[^]]*')
    if [ -n "$bad" ]; then
        echo "$(basename "$program"): a pure core's tests need $bad"
        failed=1
    fi
done
[ "$failed" -eq 0 ] && echo "layers hold: no Qt or SDL above platform/, none in the pure cores' tests"
exit "$failed"
