#!/bin/bash
# make-delay-lib.sh IMPORT_LIB DLL_NAME OUTPUT
# Makes a delay-load import library for every function the import library
# offers (data exports cannot be delay-loaded and are left out).
set -euo pipefail
lib=$1 dll=$2 out=$3
def=$out.def
{ printf 'LIBRARY %s\nEXPORTS\n' "$dll"
  x86_64-w64-mingw32-nm -g --defined-only "$lib" 2>/dev/null |
    awk '$2=="T" {code[$3]=1} $2=="I" && $3 ~ /^__imp_/ {name=substr($3,7); imp[name]=1}
         END {for (n in imp) if (n in code) print n}' | sort
} >"$def"
x86_64-w64-mingw32-dlltool --input-def "$def" --dllname "$dll" --output-delaylib "$out"
