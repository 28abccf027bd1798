#!/bin/sh
# Packs the Debian package from the test build (stripped while packed, so
# no second build), checks what it installs, then unpacks it into a scratch
# root and uses it there as an ordinary user: the programs on the PATH work
# in the user's private workspace and never write into their own folder.
# Exits 77 (skipped) when run as root without setpriv to become a user.
set -e
BUILD="$1"
NOBODY=65534
fail() {
    echo "package: $*" >&2
    exit 1
}

AS_USER=""
if [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null || { echo "skipped: root without setpriv"; exit 77; }
    AS_USER="setpriv --reuid=$NOBODY --regid=$NOBODY --clear-groups --"
fi

ROOT="$(mktemp -d)"
trap 'chmod -R u+w "$ROOT"; rm -rf "$ROOT"' EXIT
cd "$BUILD"
cpack -G DEB -B "$ROOT/out" >"$ROOT/cpack.log" 2>&1 || { cat "$ROOT/cpack.log"; fail "cpack failed"; }
DEB="$(ls "$ROOT"/out/pelmar_*.deb)"

# The file list: standard places only, nothing under /opt, and every file
# a user or the desktop looks for.
dpkg-deb -c "$DEB" | awk '{ print $6 }' | sed 's|^\./|/|' >"$ROOT/list"
! grep -q '^/opt' "$ROOT/list" || fail "files under /opt"
for f in /usr/bin/Pelmar /usr/bin/Vandry /usr/bin/pelmar-tool /usr/bin/clearing-sim \
         /usr/lib/pelmar/Pelmar /usr/lib/pelmar/pelmar-sheet /usr/lib/pelmar/pelmar-chart /usr/lib/pelmar/BlankDB.bin /usr/lib/pelmar/libSecurelink.so \
         /usr/lib/pelmar/data/account_rules.ini /usr/lib/pelmar/data/reference/BankCode.csv \
         /usr/share/applications/Pelmar.desktop /usr/share/applications/Vandry.desktop \
         /usr/share/icons/hicolor/scalable/apps/pelmar.svg \
         /usr/share/doc/pelmar/copyright /usr/share/doc/pelmar/changelog.gz; do
    grep -qx "$f" "$ROOT/list" || fail "missing $f"
done
# No file or link that dpkg does not know: the only maintainer scripts are
# the ldconfig calls cpack adds for any library under /usr/lib.
dpkg-deb -e "$DEB" "$ROOT/control"
for s in preinst postinst prerm postrm; do
    [ ! -e "$ROOT/control/$s" ] && continue
    ! grep -Ev '^(#|$|set -e$|if |fi$|[[:space:]]*ldconfig$)' "$ROOT/control/$s" ||
        fail "maintainer script $s does more than ldconfig"
done
[ "$(dpkg-deb -f "$DEB" Description | sed 1d | grep -c .)" -gt 1 ] || fail "no long description"
[ "$(du -k "$DEB" | cut -f1)" -lt 15360 ] || fail "larger than 15 MB"
if command -v lintian >/dev/null; then
    lintian --fail-on error --tag-display-limit 0 "$DEB" >"$ROOT/lintian.log" 2>&1 ||
        { cat "$ROOT/lintian.log"; fail "lintian errors"; }
else
    echo "lintian not installed: its check is left out"
fi

# Installed read-only, used by an ordinary user with an open umask.
FS="$ROOT/fs"
dpkg-deb -x "$DEB" "$FS"
readelf -S "$FS/usr/lib/pelmar/Pelmar" | grep -q debug_info && fail "Pelmar is not stripped"
[ "$(readlink "$FS/usr/bin/pelmar-tool")" = ../lib/pelmar/pelmar-tool ] || fail "pelmar-tool link"
find "$FS" | sort >"$ROOT/before"
chmod 755 "$ROOT"
chmod -R a-w "$FS"
mkdir -p "$ROOT/user"
chown "$NOBODY:$NOBODY" "$ROOT/user" 2>/dev/null || true
user() {
    (umask 022 && env -u PELMAR_HOME -u PELMAR_REGISTRY_DIR -u XDG_CONFIG_HOME HOME="$ROOT/user" \
        XDG_DATA_HOME="$ROOT/user/data" PATH="$FS/usr/bin:$PATH" $AS_USER "$@")
}

# pelmar-tool on the PATH prepares the user's workspace, private.
user pelmar-tool prepare-db >/dev/null
WS="$ROOT/user/data/Pelmar"
[ "$(stat -c %a "$WS")" = 700 ] || fail "workspace mode $(stat -c %a "$WS")"
[ "$(stat -c %a "$WS/Data/Pelmar.db")" = 600 ] || fail "database mode"
[ "$(stat -c %U "$WS/Data/Pelmar.db")" = "$(user id -un)" ] || fail "database owner"
[ -d "$ROOT/user/.config/Pelmar" ] || fail "link settings not with the user's configuration"

# The launcher's first start prepares a new workspace without a word:
# it says what a second start says.
first="$(user env XDG_DATA_HOME="$ROOT/user/second" "$FS/usr/lib/pelmar/pelmar-launch" pelmar-tool check)"
again="$(user env XDG_DATA_HOME="$ROOT/user/second" "$FS/usr/lib/pelmar/pelmar-launch" pelmar-tool check)"
[ "$first" = "$again" ] || fail "first start said more: $first"
[ "$(stat -c %a "$ROOT/user/second/Pelmar")" = 700 ] || fail "launcher workspace mode"

# Nothing was written into the installation.
find "$FS" | sort | diff "$ROOT/before" - >&2 || fail "the program folder changed"
echo "package ok: $(du -k "$DEB" | cut -f1) KB"
