#!/usr/bin/env bash
# test_package.sh -- the Debian package of the build just made: its control fields, its files, the
# capture tool run from an unpacked root, the validators for its menu entry, metadata and manual
# pages, and lintian. scripts/package.sh packages a release build the same way.
source "$(dirname "$0")/lib.sh"

need cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli man
build=$(cd "$SHOW_DIR/.." && pwd)

(cd "$SCRATCH" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$SCRATCH/out") >"$SCRATCH/cpack.log" 2>&1
deb=$(ls "$SCRATCH"/out/bearings_*_amd64.deb 2>/dev/null)
[ -n "$deb" ] || abort "cpack made no package: $(tail -n 3 "$SCRATCH/cpack.log")"
pass "cpack makes $(basename "$deb")"

# Depends comes from the binaries (the SDL 1.2 libraries, GL and GLU) plus libGL and libEGL, which
# SDL loads.
problems=""
depends=$(dpkg-deb -f "$deb" Depends)
for library in libsdl1.2debian libsdl-image1.2 libsdl-mixer1.2 libgl1 libegl1 libglu1-mesa; do
  [[ ", $depends" == *", $library "* || ", $depends," == *", $library,"* ]] || problems="$problems Depends:$library"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = ffmpeg ] || problems="$problems Recommends"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || problems="$problems Section"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || problems="$problems Maintainer"
[ "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 3 ] || problems="$problems long-Description"
if [ -z "$problems" ]; then
  pass "control fields: $depends"
else
  fail "control fields wrong or missing:$problems (Depends: $depends)"
fi

root="$SCRATCH/root"
dpkg -x "$deb" "$root"
version=$(dpkg-deb -f "$deb" Version)
if [ "$(basename "$deb")" = "bearings_${version}_amd64.deb" ] &&
   zcat "$root/usr/share/doc/bearings/changelog.gz" | head -n 1 | grep -qF "bearings ($version)" &&
   grep -qF "<release version=\"$version\"" "$root"/usr/share/metainfo/*.metainfo.xml &&
   [ "$(zcat "$root"/usr/share/man/man6/*.6.gz | grep -cF "\"Bearings $version\"")" -eq 2 ]; then
  pass "version $version in the file name, changelog, AppStream release and both manual pages"
else
  fail "version $version is not the same in the file name, changelog, AppStream release and manual pages"
fi

# Games layout: launchers in /usr/games only (test_install.sh compares the installed assets).
if [ -x "$root/usr/games/bearings" ] && [ -x "$root/usr/games/bearings-capture" ] && [ ! -e "$root/usr/bin" ] &&
   [ -s "$root/usr/share/doc/bearings/copyright" ] && [ -x "$root/usr/lib/bearings/bearings" ]; then
  pass "launchers in /usr/games, the programs in /usr/lib/bearings, and the copyright file"
else
  fail "the package misplaces the launchers or lacks the program or the copyright file"
fi

mkdir -p "$SCRATCH/caller"
(cd "$SCRATCH/caller" && timeout 300 "$root/usr/games/bearings-capture" --at 0 --out frames >"$SCRATCH/capture.out" 2>&1)
status=$?
if [ "$status" -eq 0 ] && [ -s "$SCRATCH/caller/frames/frame-000000.png" ]; then
  pass "the unpacked capture launcher draws frame 0 from the packaged assets"
else
  fail "unpacked capture: status $status, output '$(tail -n 3 "$SCRATCH/capture.out")'"
fi

if desktop-file-validate "$root/usr/share/applications/bearings.desktop" >"$SCRATCH/desktop.log" 2>&1 &&
   appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$SCRATCH/appstream.log" 2>&1; then
  pass "desktop-file-validate and appstreamcli validate pass"
else
  fail "validators: $(cat "$SCRATCH/desktop.log" "$SCRATCH/appstream.log" 2>/dev/null)"
fi

for page in "$root"/usr/share/man/man6/*.6.gz; do
  text=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>"$SCRATCH/man.err")
  if [ ! -s "$SCRATCH/man.err" ] && [[ $text == *"EXIT STATUS"*"FILES"*"EXAMPLES"* ]]; then
    pass "$(basename "$page") renders without warnings, with exit statuses, files and examples"
  else
    fail "$(basename "$page"): $(head -n 3 "$SCRATCH/man.err")"
  fi
done

# Warnings are allowed, but each is listed with its reason in the README.
lintian "$deb" >"$SCRATCH/lintian.log" 2>&1
grep '^W:' "$SCRATCH/lintian.log"
if grep -q '^E:' "$SCRATCH/lintian.log"; then
  fail "lintian errors: $(grep '^E:' "$SCRATCH/lintian.log")"
else
  pass "lintian reports no errors"
fi

finish
