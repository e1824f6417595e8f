#!/usr/bin/env bash
# A client whose server dies under it (killed in the middle of the game) ends short: status
# 1, and the reason as the last line of standard error. Only a server that ends the game as
# planned leaves its client status 0 (the other network stories). A client that plays
# another level than its server's is refused, both levels named.
set -u
gamehost=$1
source "$(dirname "$0")/lib.sh"
# client_ends NAME STATUS LINE WHAT: the client ends with STATUS and LINE (a pattern matched
# whole) last on its standard error.
client_ends() {
    local status=0
    finished "$client_pid" || status=$?
    [ "$status" = "$2" ] || fail "$4: status $status, not $2"
    tail -1 "$dir/$1.err" | grep -qx -- "$3" || fail "$4: the last line of standard error is not: $3"
}

# The server without `timeout` around it (as start_server has), so that its own id is the
# one killed; its frames end it in any case.
"$gamehost" --role server --listen 0 --quiet --frames 100000 --step 250 >"$dir/s.txt" 2>"$dir/s.err" &
server_pid=$!
pids+=("$server_pid")
wait_for "$dir/s.txt" '^gamehost: listening on port [0-9]*$' "$server_pid" || fail "the server never listened"
port=$(sed -n 's/^gamehost: listening on port \([0-9]*\)$/\1/p' "$dir/s.txt")
start_client c --quiet --frames 100000 --step 250
wait_for "$dir/c.txt" "^session: frame [0-9]*: the server's world arrived" "$client_pid" || fail "the client never joined"
kill -9 "$server_pid"
finished "$server_pid" 2>/dev/null
client_ends c 1 'gamehost: the server went away (the server does not answer) after frame [0-9]* of 100000: the run ended short' \
    "the client whose server died"
# Every pair of two levels (the bundled run, the boss arena, the village): a client of the
# one, its server of the other, is refused in its first frames, both levels named, whatever
# region each level's player stands in. The servers are started first, the clients then play
# at once; each server is stopped once its client has ended.
levels=(bundled BossArena village)
level_args() {
    case $1 in
    bundled) echo "--frames 300 --step 250" ;;
    BossArena) echo "--level BossArena --frames 300 --step 100" ;;
    village) echo "--level village --frames 300 --step 250" ;;
    esac
}
named() { [ "$1" = bundled ] && echo "the bundled run" || echo "the level $1"; }
pairs=()
for theirs in "${levels[@]}"; do
    for ours in "${levels[@]}"; do
        [ "$theirs" = "$ours" ] && continue
        extra=
        [ "$theirs" = village ] && extra="--clients 1"
        # shellcheck disable=SC2046
        start_server "s-$theirs-$ours" --quiet $(level_args "$theirs") $extra
        servers[${#pairs[@]}]=$server_pid
        ports[${#pairs[@]}]=$port
        pairs+=("$theirs $ours")
    done
done
for i in "${!pairs[@]}"; do
    read -r theirs ours <<<"${pairs[$i]}"
    port=${ports[$i]}
    # shellcheck disable=SC2046
    start_client "c-$theirs-$ours" --quiet $(level_args "$ours")
    clients[i]=$client_pid
done
for i in "${!pairs[@]}"; do
    read -r theirs ours <<<"${pairs[$i]}"
    client_pid=${clients[$i]}
    input="--level $ours" give="--level $theirs"
    [ "$ours" = bundled ] && input="--connect 127.0.0.1:${ports[$i]}"
    [ "$theirs" = bundled ] && give="no --level"
    client_ends "c-$theirs-$ours" 2 \
        "gamehost: $input: the server plays $(named "$theirs"), not $(named "$ours") this client plays (give it $give)" \
        "a client of $(named "$ours") and a server of $(named "$theirs")"
    kill "${servers[$i]}" 2>/dev/null
    finished "${servers[$i]}" 2>/dev/null
done
echo "PASS: a client whose server died ends short and says why; one of another level is refused"
