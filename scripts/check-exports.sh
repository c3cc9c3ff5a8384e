#!/usr/bin/env bash
# Checks a built plug-in against the pinned list of exported names: exactly
# those names and no others.  For a DLL it also checks that it imports only
# Windows system DLLs (its C and C++ runtimes are linked in).
#
#   check-exports.sh <nm or objdump> <Stats.so or Stats.dll> <list of names>
set -euo pipefail
tool=$1
binary=$2
list=$3

expected=$(grep -v '^#' "$list" | sed '/^$/d' | sort)
status=0
case $binary in
  *.dll)
    dump=$("$tool" -p "$binary")
    # The export name table: lines "[   n] name" after "[Ordinal/Name Pointer] Table".
    actual=$(printf '%s\n' "$dump" |
      sed -n '/Ordinal\/Name Pointer\] Table/,/^$/p' |
      sed -n 's/^[[:space:]]*\[ *[0-9]*\] \([^ ]*\)$/\1/p' | sort)
    imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p')
    for dll in $imports; do
      case ${dll,,} in
        kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll | ole32.dll | oleaut32.dll | \
          advapi32.dll | comctl32.dll | comdlg32.dll | shell32.dll | shlwapi.dll | uxtheme.dll | \
          version.dll | winmm.dll | ws2_32.dll | ucrtbase.dll | api-ms-win-*.dll) ;;
        *)
          echo "$binary imports $dll, which is not a Windows system DLL" >&2
          status=1
          ;;
      esac
    done
    ;;
  *)
    actual=$("$tool" -D --defined-only "$binary" | awk 'NF == 3 { print $3 }' | sort)
    ;;
esac

if [[ $actual != "$expected" ]]; then
  echo "$binary does not export exactly the names of $list:" >&2
  diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") |
    sed -n 's/^</  missing: /p; s/^>/  extra:   /p' >&2
  status=1
fi
[[ $status -ne 0 ]] || echo "$binary: $(printf '%s\n' "$actual" | wc -l) names, as pinned"
exit $status
