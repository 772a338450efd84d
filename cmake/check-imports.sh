#!/bin/bash
# Fails when a Windows program imports anything but system DLLs (a missing
# static link shows up here, not on the user's machine).
set -u
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|SHLWAPI|OLE32|OLEAUT32|COMCTL32|WININET|NTDLL|BCRYPT|msvcrt|COMDLG32|VERSION)\.dll$'
status=0
for exe in "$@"; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
  [ -n "$dlls" ] || { echo "$exe: no imports read"; status=1; }
  while read -r dll; do
    [ -z "$dll" ] && continue
    echo "$dll" | grep -Eiq "$allowed" || { echo "$exe imports $dll"; status=1; }
  done <<<"$dlls"
  x86_64-w64-mingw32-objdump -p "$exe" | grep -q 'Subsystem.*Windows GUI' || [ "$(basename "$exe")" != BPrivSvc.exe ] ||
    { echo "$exe is not a GUI program"; status=1; }
done
[ $status -eq 0 ] && echo "only system DLLs imported"
exit $status
