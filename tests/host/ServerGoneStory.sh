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
# The bundled run's client of a village's server.
start_server v --quiet --level village --clients 1 --frames 20 --step 250
start_client b --quiet --frames 300 --step 250
client_ends b 2 "gamehost: --connect 127.0.0.1:$port: the server plays the level village, not the bundled run this client plays (give it --level village)" \
    "a bundled-run client of a village's server"
finished "$server_pid"
echo "PASS: a client whose server died ends short and says why; one of another level is refused"
