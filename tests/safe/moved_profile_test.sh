#!/bin/bash
# The agent for a user whose AppData (appdata), or whole profile (profile),
# was moved elsewhere on drive C and replaced by a Unix symbolic link: how
# Wine models a profile moved with a junction. In a copy of the test prefix.
# Wiping still overwrites, favourites survive a clean and come back after a
# restore, and the list and export files are written.
set -u
build=$1 mode=$2
source "$(dirname "$0")/prefix_copy.sh"
make_prefix_copy "$build" "$mode" || exit 1
status=0
fail() { echo "FAIL ($mode): $*"; status=1; }

# A wiping clean overwrites the file: a descriptor held from Linux reads zeroes.
tif=$(unix_path "$(seeded_file tif "$(agentctl seed --clear --tif http://moved.example/a 5000)")")
exec 3<"$tif"
agentctl run /BSWCLEARTIF21-0-0 >/dev/null
[ -e "$tif" ] && fail "the wiped file is still there"
[ "$(od -An -v -tx1 <&3 | tr -d ' \n')" = "$(printf '%05120d' 0 | sed 's/0/00/g')" ] || fail "not overwritten with zeroes"
exec 3<&-

# Save, a clean told of no favourite, restore: the favourites come back.
out=$(agentctl seed --clear --cookie keep1@moved.example/ --cookie keep2@moved.example/ \
      --cookie gone@moved.example/ --names LowFavCookies1 keep1@moved.example/,keep2@moved.example/)
keep1=$(unix_path "$(seeded_file cookie "$out" keep1)") keep2=$(unix_path "$(seeded_file cookie "$out" keep2)")
gone=$(unix_path "$(seeded_file cookie "$out" gone)")
before=$(cat "$keep1" "$keep2")
agentctl run /BSWCLEARCOOKIES21-0-0 >/dev/null
[ -e "$keep1" ] && [ -e "$keep2" ] && [ ! -e "$gone" ] || fail "the cookie clean did not keep the favourites alone"
agentctl run /BSWSAVECOOKIES >/dev/null
[ -s "$data/SavedLowFavCookies1" ] || fail "no saved file"
rm -f "$data/LowFavCookies1"
agentctl run /BSWCLEARCOOKIES21-0-0 >/dev/null
[ -e "$keep1" ] || [ -e "$keep2" ] && fail "the clean kept a cookie it was not told of"
agentctl run /BSWRESTORECOOKIES >/dev/null
[ "$(cat "$keep1" "$keep2" 2>/dev/null)" = "$before" ] || fail "the restore did not bring the favourites back"
[ -e "$data/SavedLowFavCookies1" ] || [ -e "$base/BSWFavCookiesTmp" ] && fail "the saved file or its copies stayed"

# The favourite list and the cookie listing's export file.
agentctl seed --names CFL458392 keep2@moved.example/ >/dev/null
agentctl run /BSWGETFAVLIST >/dev/null
[ "$(tr -d '\0' <"$data/CFL458391" 2>/dev/null)" = "$(seeded_file cookie "$out" keep2)"$'\r' ] || fail "no favourite list"
agentctl list --job cookies >/dev/null
ls "$data"/*Cookies >/dev/null 2>&1 || fail "no export file"
exit $status
