#!/usr/bin/env bash
# Checks a built .deb: its control fields, that it holds the program, the menu entry, the
# metainfo, the icons and the notes, and that the menu entry, metainfo and icon agree.
# Leaves the package's files extracted in the folder given second, for the outside test.
#   packaging/check-deb.sh DEB DIR
set -euo pipefail
deb=$1
dir=$2
id=example.vastrel.Pelmora
failures=0
check() { # DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@" >/dev/null 2>&1; then
        echo "  ok    $what"
    else
        echo "  FAIL  $what"
        failures=$((failures + 1))
    fi
}

echo "Control fields:"
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends | sed 's/^/  /'
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6; do
    check "depends on $library (found by dpkg-shlibdeps)" grep -q "\b$library\b" <<<"$depends"
done

echo "Contents:"
listing=$(dpkg-deb -c "$deb" | awk '{ print $NF }' | sed 's|^\./|/|')
grep -v '/$' <<<"$listing" | sed 's/^/  /'
for path in /usr/bin/pelmora \
    /usr/share/applications/$id.desktop \
    /usr/share/metainfo/$id.metainfo.xml \
    /usr/share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/$id.png \
    /usr/share/doc/pelmora/copyright \
    /usr/share/doc/pelmora/changelog.Debian.gz \
    /usr/share/man/man1/pelmora.1.gz; do
    check "holds $path" grep -qx "$path" <<<"$listing"
done
check "nothing outside /usr" test -z "$(grep -v '^/usr\(/\|$\)' <<<"$listing" | grep -v '^/$')"

rm -rf "$dir"
dpkg-deb -x "$deb" "$dir"
entry=$dir/usr/share/applications/$id.desktop
check "the program is executable" test -x "$dir/usr/bin/pelmora"
check "the menu entry starts the installed program" grep -qx 'Exec=pelmora' "$entry"
check "the menu entry's icon is installed" grep -qx "Icon=$id" "$entry"
check "the metainfo launches the menu entry" \
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$dir/usr/share/metainfo/$id.metainfo.xml"
check "the metainfo's release is the package's version" \
    grep -q "<release version=\"$(dpkg-deb -f "$deb" Version | sed 's/-[^-]*$//')\"" \
    "$dir/usr/share/metainfo/$id.metainfo.xml"
check "the embedded font's licence is in the notes" grep -q "SIL OPEN FONT LICENSE" "$dir/usr/share/doc/pelmora/copyright"

[ "$failures" -eq 0 ] && echo "package checked" || echo "$failures failure(s)"
exit $((failures > 0))
