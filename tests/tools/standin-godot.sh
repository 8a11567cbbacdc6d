#!/bin/sh
# Stands in for the Godot engine program, as far as the launcher relies on it. The arguments
# choose the role: "--headless" is Godot 4's import, "--editor" Godot 3's editor (imports, then
# stays open), "--windowed"/"--fullscreen" the game. Each run appends its arguments (each ended by
# the byte 0x1f) as a line to P/.standin-args and, once started, writes its pid to P/.standin.pid
# (P: the --path folder). P/.standin holds shell assignments that change the defaults below.
project=$PWD previous=
for argument in "$@"; do
    [ "$previous" = --path ] && project=$argument
    previous=$argument
done
{ printf '%s\037' "$@"; echo; } >> "$project/.standin-args"

import_exit=0     # status when the import or the editor ends by itself
import_output=    # printed (printf %b) as the import starts
import_hang=false # Godot 4: never finish
import_cache=true # create the import folder; without it no imported copy is written
import_sidecars=3 # assets imported, each with its sidecar assets/spriteN.png.import
import_missing=0  # the first this many sidecars name a copy that is never written
editor_gap=1      # Godot 3: seconds between two sidecars
editor_stay=true  # Godot 3: stay open until ended
game_output=      # printed at start (printf %b), then game_errors on stderr, then game_tail
game_errors= game_tail=
game_seconds=0 game_exit=0
[ -f "$project/.standin" ] && . "$project/.standin"

started() { echo $$ > "$project/.standin.pid"; }
# Waits for ever, but not beyond the test that runs it (QUILLFIRE_TEST_PID), should that die.
stay() { while kill -0 "${QUILLFIRE_TEST_PID:-$$}" 2>/dev/null; do sleep 1; done; exit 137; }

# import COPY-FOLDER EXTENSION [GAP]: writes each asset's imported copy, then its sidecar.
import() {
    [ "$import_cache" = true ] && mkdir -p "$project/$1"
    mkdir -p "$project/assets"
    i=0
    while [ "$i" -lt "$import_sidecars" ]; do
        [ "$i" -gt 0 ] && [ -n "$3" ] && sleep "$3"
        copy=$1/sprite$i.png-0.$2
        [ "$import_cache" = true ] && [ "$i" -ge "$import_missing" ] && echo x > "$project/$copy"
        printf '[deps]\nsource_file="res://assets/sprite%s.png"\ndest_files=[ "res://%s" ]\n' \
            "$i" "$copy" > "$project/assets/sprite$i.png.import"
        i=$((i + 1))
    done
}

case " $* " in
*" --headless "*)
    printf '%b' "$import_output"
    started
    [ "$import_hang" = true ] && stay
    import .godot/imported ctex
    exit "$import_exit" ;;
*" --editor "*)
    echo "Godot Engine (stand-in) - editor"
    printf '%b' "$import_output"
    started
    import .import stex "$editor_gap"
    [ "$editor_stay" = true ] && stay
    exit "$import_exit" ;;
*" --windowed "* | *" --fullscreen "*)
    printf '%b' "$game_output"
    printf '%b' "$game_errors" >&2
    printf '%b' "$game_tail"
    started
    sleep "$game_seconds"
    exit "$game_exit" ;;
esac
echo "standin-godot: no role for these arguments" >&2
exit 2
