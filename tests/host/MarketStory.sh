#!/usr/bin/env bash
# The merchant of the bundled run, played twice in each of two runs (the plain one and a
# long run): both runs print the same, and the visit is the intended one.
# The stock is built, the player talks to the merchant and the shop opens; its pages show
# prices; a shared item is bought through the market server and refused a second time;
# sold back, it refunds exactly what it cost and is on sale again; an item of the player's
# own goes to the buy-back page and is bought back at the price it fetched.
set -u
gamehost=$1
fail() { printf 'FAIL (%s): %s\n' "$label" "$*"; exit 1; }
expect() { grep -q "$1" <<<"$out" || fail "no line matches: $1"; }
# The two numbers of "money A -> B" on the first line that matches.
money() { grep -m1 "$1" <<<"$out" | sed -n 's/.*money \([0-9]*\) -> \([0-9]*\).*/\1 \2/p'; }

story() {
    label=$*
    out=$("$gamehost" "$@" 2>/dev/null) || fail "the run failed"
    again=$("$gamehost" "$@" 2>/dev/null)
    [ "$out" = "$again" ] || fail "two runs differ"
    expect "^market: a merchant, Aldo the Trader ([0-9]*), stands beside the player"
    expect "^market: the stock is built after [0-9]* frames of its own, played after the run: [1-9][0-9]* shared items"
    expect "^event: frame [0-9]*: GameEvent_ActivateNPCMarket$"
    expect "^market: the shop opens on page [1-4]"
    expect "^market: page 1 (armour and shields): [1-9][0-9]* items$"
    expect "^market: page 4 (goods and jewellery): [1-9][0-9]* items$"
    expect "^market:   .*: Cost: [0-9]*$"
    expect "^market: the player buys stock item [0-9]* (.*): asked; now sold; money [0-9]* -> [0-9]*; it carries "
    expect "^market: dialog: "
    expect "^market: the player buys the same stock item again (.*): refused; now sold"
    expect "^market: the player sells what it just bought (.*): sold; money"
    expect "^market: the stock item is on sale again$"
    expect "^market: the player sells an item of its own (.*): sold; money"
    expect "^market: page 5 (bought back): 1 item$"
    expect "^market: the player buys it back (.*): asked; .*; it carries "
    expect "^market: the shop closes; the player has [0-9]* gold$"
    read -r paid left <<<"$(money '^market: the player buys stock item')"
    read -r had refunded <<<"$(money '^market: the player sells what it just bought')"
    [ -n "$paid" ] && [ "$left" -lt "$paid" ] || fail "the purchase cost nothing"
    [ "$had" = "$left" ] && [ "$refunded" = "$paid" ] || fail "the sell-back did not refund the price"
    read -r before fetched <<<"$(money '^market: the player sells an item of its own')"
    read -r then back <<<"$(money '^market: the player buys it back')"
    [ "$then" = "$fetched" ] && [ "$back" = "$before" ] || fail "the buy-back did not cost what the sale fetched"
}

story
story --quiet --frames 2400 --step 250
echo "PASS: market story"
