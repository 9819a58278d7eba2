#!/usr/bin/env bash
# test_install.sh -- `cmake --install` into a scratch prefix: the files, the desktop entry, and launchers
# that run the show from its asset folder wherever the prefix is moved or linked from; the show takes
# its keys. The validators for the desktop entry and the rest of the packaged files run in
# test_package.sh.
source "$(dirname "$0")/lib.sh"
start_display

prefix="$SCRATCH/prefix"
install_show "$prefix" || fail "the show could not be installed"

# Every asset of the show folder, the two programs and the two launchers.
missing=""
for f in $(cd "$SHOW_DIR" && find . -maxdepth 1 -type f \
             \( -name '*.png' -o -name '*.bmp' -o -name '*.obj' -o -name '*.ogg' \) -printf '%f\n'); do
  cmp -s "$SHOW_DIR/$f" "$prefix/lib/bearings/$f" || missing="$missing $f"
done
for f in lib/bearings/bearings lib/bearings/bearings-capture bin/bearings bin/bearings-capture; do
  [ -x "$prefix/$f" ] || missing="$missing $f"
done
[ -s "$prefix/share/man/man6/bearings.6.gz" ] || missing="$missing man6/bearings.6.gz"
# The package's own files (launchers in games, the Debian docs) stay out of a plain install.
[ ! -e "$prefix/games" ] && [ ! -e "$prefix/share/doc" ] || missing="$missing (games or share/doc exist)"
if [ -z "$missing" ]; then
  pass "the programs, launchers and every asset are installed"
else
  fail "missing, different or out of place after install:$missing"
fi

desktop="$prefix/share/applications/bearings.desktop"
if grep -qx 'Exec=bearings --native' "$desktop" && grep -qx 'Terminal=false' "$desktop" && grep -qx 'Icon=bearings' "$desktop" &&
   [ -f "$prefix/share/icons/hicolor/scalable/apps/bearings.svg" ]; then
  pass "the desktop entry names the launcher and its icon"
else
  fail "no desktop entry that starts the launcher without a terminal, or its icon is missing"
fi

# The prefix moves, and the launcher is reached through a link from elsewhere: it must still find the
# asset folder. (test_package.sh runs the capture launcher from a caller's folder.)
moved="$SCRATCH/moved prefix"
mv "$prefix" "$moved"
mkdir -p "$SCRATCH/links" "$SCRATCH/caller"
ln -s "$moved/bin/bearings" "$SCRATCH/links/bearings"

# A clean start (no missing-file line) proves the working directory is the asset folder. Keys
# pressed while the timeline loads wait in the queue: Ctrl+F, F and others keep the show going.
(cd "$SCRATCH/caller" && exec timeout 300 "$SCRATCH/links/bearings" >"$SCRATCH/show.out" 2>/dev/null) &
pid=$!
xdotool search --sync --onlyvisible --limit 1 --name '' >/dev/null 2>&1 || sleep 5
sleep 2
xdotool key ctrl+f f a space Return ctrl+f 2>/dev/null
for _ in $(seq 1 20); do
  sleep 1
  kill -0 "$pid" 2>/dev/null || break
done
running=no
kill -0 "$pid" 2>/dev/null && running=yes
if escape_ends "$pid" "$SCRATCH/show.out" && [ $running = yes ]; then
  pass "the show launcher starts the show; Ctrl+F, F and other keys do not end it, Escape does: status 0, nothing printed"
else
  fail "the show through the launcher: running until Escape: $running, status $status, output '$(cat "$SCRATCH/show.out")'"
fi

finish
