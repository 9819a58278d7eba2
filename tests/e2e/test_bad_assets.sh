#!/usr/bin/env bash
# test_bad_assets.sh -- every asset the program reads, removed or cut to its first half: its exact
# line and status 1, or (a cut file that still decodes) a normal start that Escape ends with status 0;
# every model emptied, or with garbage over its first bytes: "Bad model: " and its name, status 1;
# never a crash, a hang, extra output or a sanitizer report.
source "$(dirname "$0")/lib.sh"

# Every image, model and the music that the build wrote beside the program. The larger drawings
# (NAME-2x) are read only for pictures taller than 768, never on this 1024x768 display; a missing one
# is checked with the capture tool at a larger size (test_sizes.sh).
# BEARINGS_BAD_ASSETS=all takes all of them (the sanitizer run does); otherwise one of each way in:
# the first image loaded, the warning's, the chapter line's, a drawing scaled for the picture, the
# model loader and the music (each case is a start of the program: all of them take minutes).
sample='^(loading\.png|flashwarning\.png|chapters\.png|letterbox\.bmp|teddy\.obj|music\.ogg)$'
[ "${BEARINGS_BAD_ASSETS:-}" = all ] && sample=.
mapfile -t present < <(cd "$SHOW_DIR" && find . -maxdepth 1 -type f \
  \( -name '*.png' -o -name '*.bmp' -o -name '*.obj' -o -name 'music.ogg' \) ! -name '*-2x.*' -printf '%f\n' | sort)
mapfile -t assets < <(printf '%s\n' "${present[@]}" | grep -E "$sample")
if [ "${#assets[@]}" -eq 0 ] || { [ "$sample" != . ] && [ "${#assets[@]}" -ne 6 ]; }; then
  abort "found ${#assets[@]} of the assets to try in $SHOW_DIR"
fi

# The line the program ends with when NAME is removed, or (a model) emptied or garbled.
expected_line() {  # MODE NAME
  case $1:$2 in
    removed:music.ogg) echo "Failed to load music" ;;
    removed:*.obj) echo "Unable to open$2" ;;
    removed:*) echo "Unable to load: $2" ;;
    *) echo "Bad model: $2" ;;
  esac
}

# A show folder of links to every asset but NAME, which is left out ("removed"), replaced by its
# first half ("cut"), by nothing ("emptied"), or has its first 100 bytes, object line included,
# overwritten ("garbled").
make_case() {
  local name=$1 mode=$2 dir="$SCRATCH/$2-$1" f size
  mkdir -p "$dir"
  cp "$SHOW_DIR/bearings" "$dir/"
  for f in "${present[@]}"; do
    [ "$f" = "$name" ] || ln -s "$SHOW_DIR/$f" "$dir/$f"
  done
  case $mode in
    cut) size=$(stat -c %s "$SHOW_DIR/$name")
         head -c $((size / 2)) "$SHOW_DIR/$name" >"$dir/$name" ;;
    emptied) : >"$dir/$name" ;;
    garbled) { printf '\377%.0s' $(seq 100); tail -c +101 "$SHOW_DIR/$name"; } >"$dir/$name" ;;
  esac
  echo "$dir"
}

# Runs the program in a case folder on this worker's display, pressing Escape twice a second until it
# exits (a run that fails at start-up never sees a window; keys pressed while loading wait in the queue). Writes DIR.out, DIR.err and DIR.status.
# A display that refuses the mode for a moment (the server still busy with the last program's exit
# on a loaded machine) is not what is tested here: such a start is tried once more.
run_case() {
  local dir=$1 pid status try
  for try in 1 2; do
    (cd "$dir" && exec timeout 240 ./bearings >"$dir.out" 2>"$dir.err") &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
      sleep 0.5
      xdotool key Escape 2>/dev/null
    done
    wait "$pid"
    status=$?
    [ "$status" -eq 1 ] && [ "$(cat "$dir.out")" = "Failed to set video mode" ] || break
    sleep 1
  done
  echo "$status" >"$dir.status"
}

# Judges one finished case; prints nothing itself but pass or fail.
judge_case() {
  local name=$1 mode=$2 dir="$SCRATCH/$2-$1" out status lines expected
  if [ ! -f "$dir.status" ]; then
    fail "$mode $name: never ran"
    return
  fi
  out=$(cat "$dir.out")
  status=$(cat "$dir.status")
  lines=$(grep -c '' "$dir.out")
  if grep -Eq 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$dir.err"; then
    fail "$mode $name: a sanitizer report: $(grep -Em1 'ERROR|runtime error' "$dir.err")"
  elif [ "$status" -eq 124 ]; then
    fail "$mode $name: still running after 240 s of Escape (a hang)"
  elif [ "$status" -ge 128 ]; then
    fail "$mode $name: crashed (status $status, output '$out')"
  elif [ "$mode" != cut ]; then
    expected=$(expected_line "$mode" "$name")
    if [ "$out" = "$expected" ] && [ "$lines" -eq 1 ] && [ "$status" -eq 1 ]; then
      pass "$mode $name: '$expected', status 1"
    else
      fail "$mode $name: expected '$expected' and status 1, got '$out' and status $status"
    fi
  elif [ "$status" -eq 0 ] && [ "$lines" -eq 0 ]; then
    pass "cut $name: still decodes; the show starts and Escape ends it with status 0"
  elif [ "$status" -eq 1 ] && [ "$lines" -eq 1 ] &&
       { [[ $out == *"$name"* ]] || { [ "$name" = music.ogg ] && [ "$out" = "Failed to load music" ]; }; }; then
    pass "cut $name: '$out', status 1"
  else
    fail "cut $name: expected one line naming it and status 1, or a clean start; got '$out' and status $status"
  fi
}

# One worker per core, each with a display of its own, so that its Escape reaches its own program.
workers=$(nproc)
[ "$workers" -ge 2 ] || workers=2
cases=()
for f in "${assets[@]}"; do
  cases+=("removed $f" "cut $f")
  [[ $f != *.obj ]] || cases+=("emptied $f" "garbled $f")
done
worker_pids=()
for w in $(seq 0 $((workers - 1))); do
  start_display
  (
    for i in $(seq "$w" "$workers" $((${#cases[@]} - 1))); do
      read -r mode name <<<"${cases[$i]}"
      run_case "$(make_case "$name" "$mode")"
    done
  ) &
  worker_pids+=($!)
done
wait "${worker_pids[@]}"

for c in "${cases[@]}"; do
  read -r mode name <<<"$c"
  judge_case "$name" "$mode"
done
echo "bad assets: $passes of ${#cases[@]} cases passed (${#assets[@]} files)"
finish
