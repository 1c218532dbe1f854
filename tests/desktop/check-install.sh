#!/usr/bin/env bash
# Installs the build into a scratch folder as a package would (prefix /usr, DESTDIR) and checks
# what the desktop reads: the launcher and the AppStream file pass their validators, the icon
# sizes exist under the name the launcher asks for, and the launcher starts the installed binary.
# Then makes the Debian package of the build and checks that it is pinned to the Qt it was built with.
#   check-install.sh <build dir>
set -euo pipefail
BUILD_DIR="$(cd "$1" && pwd)"
STAGE="$(mktemp -d)"
trap 'rm -rf "$STAGE"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$STAGE" cmake --install "$BUILD_DIR" --prefix /usr >/dev/null
ROOT="$STAGE/usr"
ID=app.norvane.Norvane
DESKTOP="$ROOT/share/applications/$ID.desktop"
METAINFO="$ROOT/share/metainfo/$ID.metainfo.xml"

desktop-file-validate "$DESKTOP" || fail "desktop-file-validate rejects $ID.desktop"
appstreamcli validate --no-net "$METAINFO" || fail "appstreamcli rejects $ID.metainfo.xml"

field() { sed -n "s/^$1=//p" "$DESKTOP"; }
[ "$(field Name)" = "Norvane" ] || fail "launcher name is '$(field Name)'"
[ "$(field Categories)" = "AudioVideo;Video;Player;TV;" ] || fail "categories are '$(field Categories)'"
exec_name="$(field Exec | cut -d' ' -f1)"
[ -x "$ROOT/bin/$exec_name" ] || fail "the launcher runs '$exec_name', which is not installed in bin/"
icon="$(field Icon)"
[ "$icon" = "$ID" ] || fail "the launcher's icon '$icon' is not the application id"
grep -q "<launchable type=\"desktop-id\">$ID.desktop</launchable>" "$METAINFO" || fail "metainfo does not launch $ID.desktop"
grep -q '@PROJECT_VERSION@' "$METAINFO" && fail "metainfo release version was not filled in"

[ -s "$ROOT/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon"
for size in 48 128 256; do
  png="$ROOT/share/icons/hicolor/${size}x${size}/apps/$icon.png"
  [ -s "$png" ] || fail "no ${size}px icon"
  # The PNG header holds width and height as big-endian 32-bit numbers at bytes 16 and 20.
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "the ${size}px icon is ${width}x${height}"
done

# The QML and assets are compiled into the binary: nothing else may be installed that it needs,
# and nothing of the build (tests, tools, static libraries) may leak into the package.
unexpected="$(cd "$STAGE" && find . -type f | sort | grep -v -E "^\./usr/(bin/norvane|share/(applications|metainfo|icons/hicolor)/.*)$" || true)"
[ -z "$unexpected" ] || fail "unexpected installed files: $unexpected"
# The start-up benchmark's first-frame hook lives in a program of its own, never in the shipped one.
! grep -q -a -e 'first-frame-ns' -e 'EXIT_AFTER_FIRST_FRAME' "$ROOT/bin/norvane" ||
  fail "the installed program carries the start-up benchmark's hook"

# The accessible items build on Qt Quick's private API, which holds only within one exact Qt: the
# package's Depends names the exact ABI that this system's Qt libraries provide.
(cd "$STAGE" && cpack -G DEB -B "$STAGE/deb" --config "$BUILD_DIR/CPackConfig.cmake" >/dev/null) ||
  fail "cpack could not make the package"
depends="$(dpkg-deb --field "$STAGE"/deb/norvane_*.deb Depends)"
for library in libqt6core6 libqt6qml6; do
  abi="$(dpkg-query -W -f='${Provides}' "$library" | grep -o 'qt6-[a-z]*-abi (= [^)]*)' || true)"
  [ -n "$abi" ] || fail "$library provides no Qt ABI"
  case ", $depends," in
    *", $abi,"*) ;;
    *) fail "the package does not depend on '$abi': $depends" ;;
  esac
done
echo "installed launcher, icons and metainfo are valid; the package is pinned to its Qt"
