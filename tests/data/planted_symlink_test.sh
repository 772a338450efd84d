#!/bin/bash
# A Unix symbolic link planted as the saved-cookies file: Wine shows it as a
# plain file (as a junction in the folder would be on Windows). Neither the
# save nor the restore may write, wipe or delete its target.
set -u
bin=$1/bin
run() { "$1/wine-run" "$bin/agentctl.exe" "${@:2}" >/dev/null; }
users=("$1"/wineprefix/drive_c/users/*/AppData/LocalLow)
data=${users[0]}/Brightsweep
mkdir -p "$data"
target=${users[0]}/planted-target.bin
saved=$data/SavedLowFavCookies1
status=0
run "$1" seed --clear --cookie keep@link.example/ --names LowFavCookies1 keep@link.example/
for job in /BSWSAVECOOKIES /BSWRESTORECOOKIES; do
  printf '\0\0\0\0target bytes' >"$target"   # also a valid saved file of no record
  rm -f "$saved"
  ln -s "$target" "$saved"
  run "$1" run $job
  if [ "$(od -An -c "$target" | tr -d ' \n')" != '\0\0\0\0targetbytes' ]; then
    echo "FAIL: $job changed the link's target"; status=1
  fi
done
rm -f "$saved" "$target" "$data/LowFavCookies1"
run "$1" seed --clear
exit $status
