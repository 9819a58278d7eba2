#!/usr/bin/env bash
# test_missing_assets.sh -- every missing start-up file ends the program with its one line, status 1.
source "$(dirname "$0")/lib.sh"
start_display

run_program "$(make_show empty)"
expect_failure "no assets" "Unable to load: loading.png"

run_program "$(make_show only-loading loading.png)"
expect_failure "only the loading image" "Failed to load music"

all=$(make_show all-but-galaxy-card all)
rm "$all/galaxyboard.png"
run_program "$all"
expect_failure "a missing title card" "Unable to load: galaxyboard.png"

all=$(make_show all-but-blob all)
rm "$all/blob.png"
run_program "$all"
expect_failure "a missing overlay texture" "Unable to load: blob.png"

cut=$(make_show cut-music all)
head -c 2000 "$SHOW_DIR/music.ogg" > "$cut/music.ogg"
printf 'not an image' > "$cut/loading.png"
run_program "$cut"
expect_failure "an undecodable loading image" "Unable to load: loading.png"

finish
