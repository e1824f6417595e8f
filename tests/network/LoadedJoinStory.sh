#!/usr/bin/env bash
# A client that plays a saved character joins whole: the bundled run saves its player at
# level 2, a client plays it with --load, and its server holds the same character. Both
# print the same life for it at its join, their net: lines sorted are the same, and the
# two players of one name ("Hero") are told apart on both: the server's keeps the name,
# the client's takes "Hero 2".
#   LoadedJoinStory.sh GAMEHOST
set -u
gamehost=$1
source "$(dirname "$0")/../host/lib.sh"

"$gamehost" --quiet --save "$dir/hero.chr" >"$dir/save.txt" 2>"$dir/save.err" || fail "the saving run failed"
grep -q "^skills: player reached level 2;" "$dir/save.txt" || fail "the saved player is not of level 2"

start_server s --quiet --frames 380 --step 250 --pace
start_client c --quiet --frames 100000 --step 250 --load "$dir/hero.chr"
finished "$server_pid" || fail "the server failed"
finished "$client_pid" || fail "the client failed"

guest='^net: player 268435458 '
grep -q '^gamehost: loaded "Hero": level 2,' "$dir/c.txt" || fail "the client did not play the saved player"
# The saved player's life: above a new player's 300 by what its level and skills give.
life=$(sed -n 's/^gamehost: a player (268435458) stands at .*: life \([0-9]*\) of [0-9]*$/\1/p' "$dir/c.txt")
[ "${life:-0}" -gt 300 ] || fail "the loaded player's life is not its level's: ${life:-none}"
joined_s=$(grep -m1 "$guest" "$dir/s.txt")
joined_c=$(grep -m1 "$guest" "$dir/c.txt")
[ "$joined_c" = "net: player 268435458 \"Hero 2\" life $life.0 at (0.00, 0.00, 4.00)" ] ||
    fail "the client's join is not its loaded player's: $joined_c"
[ "$joined_s" = "$joined_c" ] || fail "the server holds another player than the client's: $joined_s"
[ "$(grep -c '^gamehost: roster at the end: player [0-9]* "Hero\( 2\)\?" party' "$dir/s.txt")" -eq 2 ] &&
    grep -q '^gamehost: roster at the end: player 268435458 "Hero 2" party' "$dir/s.txt" ||
    fail "the server's roster does not tell its two players apart"

# The client plays on past its server's end: of the lines its own player sends, the server
# took the first ones, up to its own end.
net() {
    local taken
    taken=$(grep -c "^net: player action: 268435458 " "$dir/s.txt")
    grep "^net: " "$1" | grep -v "^net: player action: 268435458 "
    grep "^net: player action: 268435458 " "$1" | head -n "$taken"
}
diff <(net "$dir/s.txt" | sort) <(net "$dir/c.txt" | sort) || fail "the two sides' net: lines differ"
echo "PASS: loaded join"
