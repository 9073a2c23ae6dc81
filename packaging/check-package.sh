#!/usr/bin/env bash
# Checks a built Debian package: its declared dependencies, its file list,
# and that the command line it installs converts a sample picture to the
# same bytes as the build tree's own.
set -euo pipefail
deb=$1
cli_in_tree=$2
fail() { echo "package check: $*" >&2; exit 1; }

deps=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins; do
    grep -q "$lib" <<<"$deps" || fail "Depends does not name $lib: $deps"
done

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/quellbit ./usr/bin/quellbit-cli ./usr/share/applications/quellbit.desktop \
         ./usr/share/icons/hicolor/16x16/apps/quellbit.png ./usr/share/icons/hicolor/48x48/apps/quellbit.png; do
    grep -qx "$f" <<<"$files" || fail "missing $f"
done
grep -q '^./usr/share/quellbit/samples/.*\.bmp$' <<<"$files" || fail "no sample pictures"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
sample=$(ls "$root"/usr/share/quellbit/samples/*.bmp | head -n 1)
"$root/usr/bin/quellbit-cli" convert -o "$root/installed.txt" "$sample" >/dev/null
"$cli_in_tree" convert -o "$root/tree.txt" "$sample" >/dev/null
cmp "$root/installed.txt" "$root/tree.txt" || fail "installed command line writes other bytes"
[ "$(stat -c %s "$root/installed.txt")" -eq 21600 ] || fail "data file is not 21600 bytes"
echo "package check: $(basename "$deb") ok ($(wc -l <<<"$files") entries)"
