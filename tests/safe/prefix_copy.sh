# Sourced by the shell tests of file safety: a private copy of the test
# prefix, optionally with the user's AppData or whole profile moved elsewhere
# on drive C behind a Unix symbolic link, and helpers to run programs there.
#   make_prefix_copy BUILD plain|appdata|profile
# sets: prefix, user, base (LocalLow), data (its Brightsweep), cookies (the
# cookie folder), digest (the saved file's accepted digests), all Unix paths;
# removes the copy when the shell exits.

make_prefix_copy() {
  build=$1
  prefix=$build/wineprefix-$2
  local src=$build/wineprefix
  rm -rf "$prefix"
  cp -a "$(readlink -f "$src")" "$prefix" || return 1
  trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null; wineserver_wait; rm -rf "$prefix" "$prefix".*' EXIT
  user=$(ls "$prefix/drive_c/users" | grep -vx Public | head -n 1)
  local from=""
  case $2 in
    appdata) from=$prefix/drive_c/users/$user/AppData ;;
    profile) from=$prefix/drive_c/users/$user ;;
  esac
  if [ -n "$from" ]; then
    mkdir -p "$prefix/drive_c/moved"
    mv "$from" "$prefix/drive_c/moved/" && ln -s "$prefix/drive_c/moved/$(basename "$from")" "$from" || return 1
  fi
  base=$prefix/drive_c/users/$user/AppData/LocalLow
  data=$base/Brightsweep
  cookies=$prefix/drive_c/users/$user/AppData/Local/Microsoft/Windows/INetCookies
  digest=$prefix/drive_c/users/$user/AppData/Local/Brightsweep/SavedLowFavCookies1.low.sha256
}

wineserver_wait() { WINEPREFIX="$prefix" timeout 10 wineserver -w 2>/dev/null; }

# A program of the build in the copy: agentctl ARGS, agent ARGS.
agentctl() { BPRIV_WINEPREFIX="$prefix" "$build/wine-run" "$build/bin/agentctl.exe" "$@"; }

# The Unix path of a Windows path on drive C.
unix_path() {
  local p=${1#[Cc]:\\}
  printf '%s\n' "$prefix/drive_c/${p//\\//}"
}

# The file a seed line names: seeded_file KIND OUTPUT [NAME PREFIX]
seeded_file() {
  printf '%s\n' "$2" | tr -d '\r' | sed -n "s/^$1 ${3:-}[^ ]* \"\(.*\)\"\$/\1/p" | head -n 1
}
