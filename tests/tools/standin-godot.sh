#!/bin/sh
# Stands in for the Godot engine program in the tests, as far as the launcher relies on it.
# The role comes from the launcher's arguments: "--headless ... --path P" is Godot 4's import,
# "--editor --path P" Godot 3's editor (it imports, then stays open), "--windowed" or
# "--fullscreen" the game. Every run appends its arguments (each ended by the byte 0x1f) as one
# line to P/.standin-args and, once started, writes its pid to P/.standin.pid. P/.standin holds
# shell assignments that change the defaults below.
project=$PWD
previous=
for argument in "$@"; do
    [ "$previous" = --path ] && project=$argument
    previous=$argument
done
{ printf '%s\037' "$@"; echo; } >> "$project/.standin-args"

import_exit=0        # status when the import or the editor ends by itself
import_hang=false    # Godot 4: never finish
import_cache=true    # create the import folder; without it every imported copy is missing
import_sidecars=3    # assets imported, each with its sidecar assets/spriteN.png.import
import_missing=0     # the first this many sidecars name a copy that is never written
editor_gap=1         # Godot 3: seconds between two sidecars
editor_stay=true     # Godot 3: stay open until ended; false: exit once all is imported
game_output=         # printed at start (printf %b escapes), then game_errors on stderr,
game_errors=         # then game_tail without a line end
game_tail=
game_seconds=0       # time the game stays up
game_grandchild=0    # seconds a child keeps the output open after the game ended
game_crash=          # a signal name (SEGV, ABRT) to die by at the end
game_exit=0
[ -f "$project/.standin" ] && . "$project/.standin"

started() { echo $$ > "$project/.standin.pid"; }

# import COPY-FOLDER EXTENSION [GAP]: writes each asset's imported copy, then its sidecar.
import() {
    [ "$import_cache" = true ] && mkdir -p "$project/$1"
    mkdir -p "$project/assets"
    i=0
    while [ "$i" -lt "$import_sidecars" ]; do
        [ "$i" -gt 0 ] && [ -n "$3" ] && sleep "$3"
        copy=$1/sprite$i.png-0.$2
        [ "$import_cache" = true ] && [ "$i" -ge "$import_missing" ] && echo imported > "$project/$copy"
        echo png > "$project/assets/sprite$i.png"
        printf '[remap]\n\nimporter="texture"\n\n[deps]\n\nsource_file="res://assets/sprite%s.png"\ndest_files=[ "res://%s" ]\n' \
            "$i" "$copy" > "$project/assets/sprite$i.png.import"
        i=$((i + 1))
    done
}

case " $* " in
*" --headless "*)
    echo "Godot Engine (stand-in) - headless import"
    started
    [ "$import_hang" = true ] && exec sleep 100000
    import .godot/imported ctex
    exit "$import_exit" ;;
*" --editor "*)
    echo "Godot Engine (stand-in) - editor"
    started
    import .import stex "$editor_gap"
    [ "$editor_stay" = true ] && exec sleep 100000
    exit "$import_exit" ;;
*" --windowed "* | *" --fullscreen "*)
    printf '%b' "$game_output"
    printf '%b' "$game_errors" >&2
    printf '%b' "$game_tail"
    started
    sleep "$game_seconds"
    if [ "$game_grandchild" != 0 ]; then
        sleep "$game_grandchild" &
        echo $! > "$project/.standin-grandchild.pid"
    fi
    if [ -n "$game_crash" ]; then
        ulimit -c 0
        kill -s "$game_crash" $$
    fi
    exit "$game_exit" ;;
esac
echo "standin-godot: no role for these arguments" >&2
exit 2
