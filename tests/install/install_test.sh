#!/usr/bin/env bash
# Installs a build into a private root and checks what a desktop gets: exactly the program, its menu
# entry, its icon at each size the main window's icon carries, and its AppStream description, each
# passing its validator; the installed program starts; the Debian package is named and depends as
# apt needs it.
#
#   tests/install/install_test.sh BUILD_DIR ICON_PNGS PICTURES_DIR VERSION
set -euo pipefail

[ $# -eq 4 ] || { echo "usage: $0 BUILD_DIR ICON_PNGS PICTURES_DIR VERSION" >&2; exit 2; }
build=$(realpath "$1") icon_pngs=$(realpath "$2") pictures=$(realpath "$3") version=$4
for tool in desktop-file-validate appstreamcli identify cpack dpkg-deb dpkg-shlibdeps timeout; do
  command -v "$tool" >/dev/null || { echo "install: missing $tool; scripts/setup.sh installs it" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "install: $*" >&2; failures=$((failures + 1)); }

# The sizes an icon file carries, one "NxN" a line, each once.
icon_sizes() { identify -format '%wx%h\n' "$1" | sort -u; }

# The icon writer against ImageMagick's reading of every icon we have, one or many sizes.
for ico in "$pictures"/*.ico; do
  out="$work/theme-$(basename "$ico" .ico)"
  "$icon_pngs" "$ico" "$out" x || { fail "icon_pngs failed on $ico"; continue; }
  written=$(cd "$out" && find . -type f | sort)
  expected=$(icon_sizes "$ico" | sed 's|.*|./&/apps/x.png|')
  [ "$written" = "$expected" ] || fail "$(basename "$ico"): wrote"$'\n'"$written"$'\n'"instead of"$'\n'"$expected"
  for png in $written; do
    size=$(identify -format '%m %wx%h' "$out/$png")
    [ "$size" = "PNG $(basename "$(dirname "$(dirname "$png")")")" ] || fail "$(basename "$ico"): $png is $size"
  done
done

root="$work/root"
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
id=org.velmora.velmora
desktop=usr/share/applications/$id.desktop
metainfo=usr/share/metainfo/$id.metainfo.xml
installed=$(cd "$root" && find . -type f -printf '%P\n' | sort)
expected=$( { printf '%s\n' usr/bin/velmora "$desktop" "$metainfo"
              icon_sizes "$pictures/icon_main.ico" | sed 's|.*|usr/share/icons/hicolor/&/apps/velmora.png|'; } | sort)
[ "$installed" = "$expected" ] || fail "installed"$'\n'"$installed"$'\n'"instead of"$'\n'"$expected"

# Hints count too: an entry only hinted at can land in a catch-all corner of the menu.
notes=$(desktop-file-validate "$root/$desktop" 2>&1) && [ -z "$notes" ] ||
  fail "desktop-file-validate on $desktop:"$'\n'"$notes"
notes=$(appstreamcli validate --no-net --strict "$root/$metainfo" 2>&1) ||
  fail "appstreamcli validate on $metainfo:"$'\n'"$notes"

# The entry starts what is installed, with an icon that is installed, and the description points at it.
entry() { sed -n "s/^$1=//p" "$root/$desktop"; }
[ -x "$root/usr/bin/$(entry Exec)" ] || fail "Exec=$(entry Exec) is not an installed program"
compgen -G "$root/usr/share/icons/hicolor/*/apps/$(entry Icon).png" >/dev/null ||
  fail "Icon=$(entry Icon) is not an installed icon"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$root/$metainfo" ||
  fail "the metainfo does not launch $id.desktop"
grep -q "<release version=\"$version\"" "$root/$metainfo" || fail "the metainfo has no release $version"

# The installed program runs from its place, with settings and temporary files of its own: still
# up after a few seconds means it found all it reads at start.
home="$work/home" && mkdir -m 0700 -p "$home" "$work/runtime"
status=0
HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work" \
  QT_QPA_PLATFORM=offscreen timeout 4 "$root/usr/bin/velmora" >"$work/run.txt" 2>&1 || status=$?
[ "$status" -eq 124 ] || { cat "$work/run.txt" >&2; fail "the installed program ended with status $status"; }

# The package: Debian's file name, everything installed and nothing else, and what apt must bring.
(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.txt" 2>&1) ||
  { cat "$work/cpack.txt" >&2; fail "cpack -G DEB failed"; }
deb="$work/package/velmora_${version}_amd64.deb"
if [ -f "$deb" ]; then
  packaged=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort)
  [ "$packaged" = "$expected" ] || fail "the package holds"$'\n'"$packaged"$'\n'"instead of"$'\n'"$expected"
  depends=$(dpkg-deb --field "$deb" Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//' | sort -u)
  for needed in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libcurl4 \
                fonts-wine qt6-qpa-plugins qt6-translations-l10n xdg-utils ca-certificates; do
    grep -qx "$needed" <<<"$depends" || fail "the package does not depend on $needed"
  done
else
  fail "no $(basename "$deb") among: $(ls "$work/package" 2>/dev/null | tr '\n' ' ')"
fi

[ "$failures" -eq 0 ] || { echo "install: $failures failure(s)" >&2; exit 1; }
echo "install: all checks passed"
