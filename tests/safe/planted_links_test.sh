#!/bin/bash
# Links planted where the agent writes, renames or deletes, as a sandboxed
# process could plant them: in place of a file, of the cache folder between
# the anchor and the file, of the data folder, of BSWFavCookiesTmp and of a
# copy in it; leading to a file or folder with a short or a long (over 260
# units) path, or to nothing. Each is refused: every target keeps its bytes,
# its name and its absence, no file appears among them, the link stays as it
# was, and a cache entry whose file was refused stays cached. In a copy of the
# test prefix, as it is (plain) or with AppData moved behind a link (appdata).
set -u
build=$1 mode=$2
source "$(dirname "$0")/prefix_copy.sh"
make_prefix_copy "$build" "$mode" || exit 1
status=0
fail() { echo "FAIL ($mode): $*"; status=1; }

victims=$prefix/drive_c/victims
short=$victims/s
long=$victims/$(printf 'l%.0s' {1..200})/$(printf 'm%.0s' {1..60})
mkdir -p "$short" "$long"
kinds="short long dangling-short dangling-long"
planted=() serial=0

# plant AT KIND [=SOURCE | NAME[=SOURCE] ...]: AT becomes a link to a new
# target of KIND: a file, or with NAMEs a folder of such files (SOURCE's
# bytes, or a victim's text); nothing at all for the dangling kinds.
plant() {
  local at=$1 kind=$2 target=$short
  shift 2
  case $at in "$prefix"/drive_c/users/*[^/]) ;; *) fail "nothing to plant at: '$at'"; return 1 ;; esac
  case $kind in *long) target=$long ;; esac
  target=$target/t$((++serial))
  case $kind in
    dangling*) ;;
    *) if [ $# -eq 0 ]; then printf 'victim %s' "$serial" >"$target"
       elif [ "${1#=}" != "$1" ]; then cp "${1#=}" "$target"; else
         mkdir "$target"
         for n in "$@"; do
           if [ "${n#*=}" != "$n" ]; then cp "${n#*=}" "$target/${n%%=*}"; else printf 'victim %s' "$n" >"$target/$n"; fi
         done
       fi ;;
  esac
  rm -f "$at"
  ln -s "$target" "$at"
  planted+=("$at $target")
}
snapshot() { (cd "$victims" && find . -printf '%p %s\n' | sort && find . -type f -exec md5sum {} + | sort); }
# check WHAT: every target as planted, every link as it was; then the links go.
check() {
  local now
  now=$(snapshot)
  [ "$now" = "$before" ] || fail "$1: a target changed or appeared: $(diff <(echo "$before") <(echo "$now") | head -4)"
  for p in "${planted[@]}"; do
    [ "$(readlink "${p%% *}")" = "${p#* }" ] || fail "$1: the link at ${p%% *} was touched"
    rm -f "${p%% *}"
  done
  planted=()
}
run() { agentctl run "$@" >/dev/null; }
# A listing that waits for every answer (/EPM): records cannot be lost to load.
listed() { agentctl list --job "$1" --epm | tr -d '\r'; }

# The cleans, both modes: a link in place of each of four files, one kind
# each, beside a plain file that goes.
for job in /BSWCLEARTIF20-0-0 /BSWCLEARTIF21-0-0 /BSWCLEARCOOKIES20-0-0 /BSWCLEARCOOKIES21-0-0; do
  items=()
  for i in 1 2 3 4 ok; do
    case $job in *TIF*) kind=tif items+=(--tif "http://l.example/$i" 100) ;; *) kind=cookie items+=(--cookie "$i@l.example/") ;; esac
  done
  out=$(agentctl seed --clear "${items[@]}")
  i=0
  for k in $kinds; do
    i=$((i + 1))
    plant "$(unix_path "$(seeded_file "$kind" "$out" "[^ ]*$i")")" "$k"
  done
  before=$(snapshot)
  run "$job"
  check "$job"
  [ -e "$(unix_path "$(seeded_file "$kind" "$out" "[^ ]*ok")")" ] && fail "$job: the plain file stayed"
  left=$(listed "${kind/cookie/cookies}")
  [ "$(grep -c '[^ ]*[1-4]\(@l.example/\)\?$' <<<"$left")" = 4 ] || fail "$job: a refused file lost its cache entry: $left"
done

# A link in place of the cache folder that holds the file.
for job in /BSWCLEARTIF20-0-0 /BSWCLEARTIF21-0-0; do
  for k in $kinds; do
    file=$(unix_path "$(seeded_file tif "$(agentctl seed --clear --tif http://f.example/a 100)")")
    folder=$(dirname "$file")
    mv "$folder" "$folder.real"
    plant "$folder" "$k" "$(basename "$file")"
    before=$(snapshot)
    run "$job"
    check "$job, folder $k"
    mv "$folder.real" "$folder"
    [ -e "$file" ] || fail "$job, folder $k: the real file was touched"
  done
done

# The favourite jobs: a saved file of four cookies to restore, and its digest,
# put back before each restore (a restore that succeeds removes both).
out=$(agentctl seed --clear --cookie r1@l.example/ --cookie r2@l.example/ --cookie r3@l.example/ \
      --cookie r4@l.example/ --names LowFavCookies1 r1@l.example/,r2@l.example/,r3@l.example/,r4@l.example/)
first=$(unix_path "$(seeded_file cookie "$out" r1)")
run /BSWSAVECOOKIES
saved=$victims.saved
mv "$data/SavedLowFavCookies1" "$saved" && cp "$digest" "$saved.sha256" || fail "no saved file to start from"
ready() { cp "$saved" "$data/SavedLowFavCookies1" && cp "$saved.sha256" "$digest"; }
agentctl seed --names CFL458392 r1@l.example/ >/dev/null

for k in $kinds; do
  # In place of the saved file (a good one), the favourite list's output and
  # the export.
  cp "$saved.sha256" "$digest"
  plant "$data/SavedLowFavCookies1" "$k" ="$saved"
  plant "$data/CFL458391" "$k"
  plant "$data/777Cookies" "$k"
  before=$(snapshot)
  run /BSWSAVECOOKIES
  run /BSWRESTORECOOKIES
  run /BSWGETFAVLIST
  agentctl list --job cookies --number 777 >/dev/null
  check "saved, list and export files $k"

  # In place of the data folder, holding files of the same names.
  cp "$saved.sha256" "$digest"
  mv "$data" "$data.real"
  plant "$data" "$k" LowFavCookies1="$data.real/LowFavCookies1" SavedLowFavCookies1="$saved" \
        CFL458392="$data.real/CFL458392" CFL458391 777Cookies
  before=$(snapshot)
  run /BSWSAVECOOKIES
  run /BSWRESTORECOOKIES
  run /BSWGETFAVLIST
  agentctl list --job cookies --number 777 >/dev/null
  check "data folder $k"
  mv "$data.real" "$data"

  # In place of BSWFavCookiesTmp: the cookies come back without copies.
  ready
  plant "$base/BSWFavCookiesTmp" "$k" "$(basename "$first")"
  before=$(snapshot)
  run /BSWRESTORECOOKIES
  check "BSWFavCookiesTmp $k"
  [ -e "$data/SavedLowFavCookies1" ] && fail "BSWFavCookiesTmp $k: the restore failed"

  # In place of the first cookie file: the restore stops, the saved file stays.
  ready
  plant "$first" "$k"
  before=$(snapshot)
  run /BSWRESTORECOOKIES
  check "cookie file $k"
  [ -e "$data/SavedLowFavCookies1" ] || fail "cookie file $k: the saved file went"
done

# In place of each copy, one kind each.
ready
mkdir -p "$base/BSWFavCookiesTmp"
i=0
for k in $kinds; do
  i=$((i + 1))
  plant "$base/BSWFavCookiesTmp/$(basename "$(seeded_file cookie "$out" "r$i")")" "$k"
done
before=$(snapshot)
run /BSWRESTORECOOKIES
check "copies"
rm -f "$saved" "$saved.sha256"
exit $status
