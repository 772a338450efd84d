#!/bin/bash
# The favourites through the real agent, in a copy of the test prefix:
# - a save killed at three moments leaves the older saved set or the newer
#   one, whole, for the restore to bring back;
# - saved files this agent did not write, or that changed since it wrote
#   them, restore nothing, not even a cookie for a site the user never saw;
# - even with a good digest, no record names the cache's own index.dat;
# - a record without content keeps the cookie file's bytes, and the saved
#   file is all zeroes before its name goes.
set -u
build=$1
source "$(dirname "$0")/../safe/prefix_copy.sh"
make_prefix_copy "$build" plain || exit 1
status=0
fail() { echo "FAIL: $*"; status=1; }
run() { agentctl run "$@" >/dev/null; }
saved=$data/SavedLowFavCookies1
expire=$(( ($(date +%s) + 31536000 + 11644473600) * 10000000 ))  # a FILETIME a year ahead

# Bytes of the saved-cookies format, and Windows paths.
le32() { printf "$(printf '\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"; }
utf16() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE; }
win() { local p=${1#"$prefix"/drive_c/}; printf 'C:\\%s' "${p//\//\\}"; }
# forge KEY FILE CONTENT: a saved file of one cookie record, as the save writes it.
forge() {
  { le32 1; le32 ${#1}; utf16 "$1"; le32 ${#2}; utf16 "$2"; le32 ${#3}; printf '%s' "$3"
    le32 $((expire & 0xffffffff)); le32 $((expire >> 32)); le32 0; le32 0; le32 $((0x100000)); } >"$saved"
}
accept() { mkdir -p "$(dirname "$digest")" && sha256sum "$saved" | cut -c1-64 | xxd -r -p >"$digest"; }
# A cookie as Wine's cache keeps it: name, value, domain and path, flags, expiry, creation.
cookie_text() { printf '%s\n%s\nbank.example/\n0\n%u\n%u\n0\n0\n*\n' "$1" "$2" $((expire & 0xffffffff)) $((expire >> 32)); }
state() { for f in "${files[@]}"; do cat "$f" 2>/dev/null || echo missing; done | md5sum; }
fill() { for f in "${files[@]}"; do head -c 100000 /dev/zero | tr '\0' "$1" >"$f"; done; }
kill_agent() {
  for p in $(pgrep -f BPrivSvc.exe); do grep -qz "WINEPREFIX=$prefix" "/proc/$p/environ" 2>/dev/null && kill -9 "$p"; done
}

# A save of 300 favourites of 100 KB killed at three moments.
n=300
names=$(seq -f 'kill%g@bench.example/' 0 $((n - 1)) | paste -sd,)
agentctl seed --clear --cookies $n kill >/dev/null
mapfile -t files < <(agentctl list --job cookies --epm | tr -d '\r' | sed -n 's/^PRIVILEGE 00 [0-9]* "\(.*\)" kill.*/\1/p')
for i in "${!files[@]}"; do files[i]=$(unix_path "${files[i]}"); done
[ ${#files[@]} = $n ] || fail "seeded ${#files[@]} cookies of $n"
for part in 3 7 9; do
  agentctl seed --names LowFavCookies1 "$names" >/dev/null
  fill a
  start=$(date +%s%N)
  run /BSWSAVECOOKIES
  took=$(( $(date +%s%N) - start ))
  older=$(state)
  fill b
  newer=$(state)
  agentctl run /BSWSAVECOOKIES >/dev/null &
  sleep "$(awk -v t="$took" -v p="$part" 'BEGIN { print t * p / 1e10 }')"
  kill_agent
  wait
  rm -f "$data/LowFavCookies1"
  run /BSWCLEARCOOKIES21-0-0
  run /BSWRESTORECOOKIES
  now=$(state)
  [ "$now" = "$older" ] || [ "$now" = "$newer" ] || fail "killed at $part/10 of a save: a mix of older and newer favourites"
done

# Forgeries: none restores anything; a genuine file does.
bank=$cookies/bank.txt
agentctl seed --clear >/dev/null
forge "Cookie:root@bank.example/" "$(win "$bank")" "$(cookie_text SESSIONID attacker-chosen-session)"
run /BSWRESTORECOOKIES
agentctl seed --saved SavedLowFavCookies1 1 "Cookie:root@bank.example/" "$(win "$bank")" text >/dev/null
cp "$saved" "$saved.handmade"
run /BSWRESTORECOOKIES
cmp -s "$saved" "$saved.handmade" || fail "a hand-made saved file went"
forge "Cookie:root@bank.example/" "$(win "$bank")" "$(cookie_text SESSIONID genuine)"
accept
sed -i 's/genuine/genuinf/' "$saved"
run /BSWRESTORECOOKIES
[ -e "$bank" ] && fail "a saved file without its digest wrote a cookie file"
[ "$(agentctl cookie http://bank.example/ | tr -d '\r')" = none ] || fail "a forged saved file planted a cookie"
sed -i 's/genuinf/genuine/' "$saved"
exec 3<"$saved"
run /BSWRESTORECOOKIES
[ "$(agentctl cookie http://bank.example/ | tr -d '\r')" = SESSIONID=genuine ] || fail "the genuine saved file was refused"
[ -z "$(tr -d '\0' <&3)" ] || fail "the saved file was not zeroes before it went"
exec 3<&-
[ -e "$saved" ] || [ -e "$digest" ] && fail "the saved file or its digest stayed"

# A good digest does not make the cache's own files restorable, nor a record
# without content rewrite the cookie file.
index=$(cat "$cookies/index.dat" | md5sum)
forge "Cookie:root@bank.example/" "$(win "$cookies/index.dat")" "not an index"
accept
run /BSWRESTORECOOKIES
[ "$(cat "$cookies/index.dat" | md5sum)" = "$index" ] && [ -e "$saved" ] || fail "a record named index.dat"
cp "$bank" "$bank.kept"
agentctl seed --clear >/dev/null
mv "$bank.kept" "$bank"
forge "Cookie:root@bank.example/" "$(win "$bank")" ""
accept
run /BSWRESTORECOOKIES
[ "$(agentctl cookie http://bank.example/ | tr -d '\r')" = SESSIONID=genuine ] ||
  fail "a record without content changed the cookie file, or was refused"
rm -f "$saved.handmade"
exit $status
