#!/bin/sh
# Builds the Debian package, unpacks it into a scratch root, makes the
# program folder read-only and prepares a user's workspace from there.
set -e
BUILD="$1"
ROOT="$(mktemp -d)"
trap 'chmod -R u+w "$ROOT"; rm -rf "$ROOT"' EXIT
cd "$BUILD"
cpack -G DEB -B "$ROOT/out" >/dev/null
DEB="$(ls "$ROOT"/out/pelmar_*.deb)"
dpkg-deb -x "$DEB" "$ROOT/fs"
dpkg-deb -e "$DEB" "$ROOT/control"
P="$ROOT/fs/opt/pelmar"
for f in Pelmar pelmar-tool clearing-sim pelmar-launch BlankDB.bin data/account_rules.ini \
         data/reference/BankCode.csv icons/pelmar.svg applications/Pelmar.desktop \
         applications/Vandry.desktop Vandry libSecurelink.so pelmar-sheet; do
    test -e "$P/$f" || { echo "missing in the package: $f"; exit 1; }
done
grep -q "^Exec=/opt/pelmar/pelmar-launch Pelmar" "$P/applications/Pelmar.desktop"
test -x "$ROOT/control/postinst"
chmod -R a-w "$P"
export XDG_DATA_HOME="$ROOT/home" PELMAR_REGISTRY_DIR="$ROOT/reg"
unset PELMAR_HOME
"$P/pelmar-launch" pelmar-tool check
test -f "$ROOT/home/Pelmar/Data/Pelmar.db"
# A second start finds the workspace and leaves it alone.
"$P/pelmar-launch" pelmar-tool check >/dev/null
echo "package ok"
