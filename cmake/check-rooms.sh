#!/bin/bash
# Fails when a source file includes a header from a room above its own. The
# rooms, top to bottom: app; clean; cache and ui; wipe, link and data; safe;
# base. A room may include its own headers and those of any room below.
set -u
cd "$(dirname "$0")/../src" || exit 1
level() { case $1 in app) echo 6 ;; clean) echo 5 ;; cache|ui) echo 4 ;; wipe|link|data) echo 3 ;; safe) echo 2 ;;
                     base) echo 1 ;; *) echo 0 ;; esac; }
status=0
for file in */*; do
  room=${file%%/*}
  while read -r included; do
    [ "$(level "$included")" -gt "$(level "$room")" ] && { echo "$file includes from $included, a room above"; status=1; }
  done < <(sed -n 's|^#include "\([a-z_]*\)/.*|\1|p' "$file" | sort -u)
done
[ $status -eq 0 ] && echo "no room includes from a room above it"
exit $status
