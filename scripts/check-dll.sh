#!/usr/bin/env bash
# Checks a built Stats.dll without running it, so that a DLL that cannot run
# on this machine (the 32-bit one, where the kernel refuses 32-bit programs)
# is still known to be what a host loads:
#   - its file format (PE32 for i386, or PE32+ for x86-64);
#   - every entry point returns with a plain "ret": the caller removes the
#     arguments (the C calling convention), never "ret N";
#   - the dialog templates and the icon are among its resources;
#   - its version record carries the project's version: FILEVERSION and
#     PRODUCTVERSION as x, y, z, 0, the FileVersion and ProductVersion
#     strings as x.y.z.
# The exported names and the imports are checked by check-exports.sh.
#
#   check-dll.sh <objdump> <windres> <Stats.dll> <win32|win64> <list of names> <version x.y.z>
set -euo pipefail
objdump=$1
windres=$2
dll=$3
arch=$4
list=$5
version=$6

status=0
fail() { echo "$dll: $*" >&2; status=1; }

case $arch in
  win32) format=pei-i386 ;;
  win64) format=pei-x86-64 ;;
  *) echo "check-dll.sh: unknown architecture $arch" >&2; exit 2 ;;
esac
header=$("$objdump" -f "$dll")
actual_format=$(sed -n 's/.*file format \(.*\)$/\1/p' <<<"$header")
[[ $actual_format == "$format" ]] || fail "file format $actual_format, expected $format"

# Entry points: their addresses from the export table, then each one's code
# as far as its returns, following a jump to the start of another function
# (a tail call).
dump=$("$objdump" -p "$dll")
image_base=$(awk '$1 == "ImageBase" { print $2; exit }' <<<"$dump")
names=$(grep -v '^#' "$list" | sed '/^$/d')
disassembly=$(mktemp)
trap 'rm -f "$disassembly"' EXIT
"$objdump" -d --no-show-raw-insn "$dll" >"$disassembly"

# "name address" for every export, the address as in the disassembly.
exports=$(awk '
  /^Export Address Table -- Ordinal Base/ { table = 1; next }
  table && /^\t\[ *[0-9]+\] \+base\[ *[0-9]+\] [0-9a-f]+ Export RVA/ {
    gsub(/[][]/, " ")
    # $1 index, "+base", ordinal, rva
    rva[$1] = $4
    next
  }
  table && /^$/ { table = 0 }
  /^\[Ordinal\/Name Pointer\] Table/ { names = 1; next }
  names && /^\t\[ *[0-9]+\] / {
    line = $0; gsub(/[][]/, " ", line); split(line, f, " ")
    name_of[f[1]] = f[2]
    next
  }
  names && /^$/ { names = 0 }
  END {
    for (i in name_of) print name_of[i], rva[i]
  }' <<<"$dump" | while read -r name rva; do
    printf '%s %x\n' "$name" $((16#$image_base + 16#$rva))
  done)

verdicts=$(awk -v exports="$exports" '
  BEGIN {
    n = split(exports, lines, "\n")
    for (i = 1; i <= n; i++) if (lines[i] != "") { split(lines[i], f, " "); want[f[2]] = f[1] }
  }
  # A function starts at "address <symbol>:".
  /^[0-9a-f]+ <[^>]+>:$/ { current = $1; sub(/^0+/, "", current); starts[current] = 1; next }
  current != "" && /^ *[0-9a-f]+:\t/ {
    insn = $0; sub(/^ *[0-9a-f]+:\t/, "", insn)
    if (insn ~ /^ret/) {
      if (insn ~ /^ret[lq]? +\$/) bad[current] = 1; else good[current] = 1
    } else if (insn ~ /^jmp +[0-9a-f]+ <[^+>]+>$/) {
      split(insn, j, " "); target = j[2]; sub(/^0+/, "", target)
      tail[current] = tail[current] " " target
    }
  }
  function walk(address, depth,   k, t, m) {
    if (depth > 8 || seen[address]++) return
    if (bad[address]) verdict_bad = 1
    if (good[address]) verdict_good = 1
    m = split(tail[address], t, " ")
    for (k = 1; k <= m; k++) if (t[k] in starts) walk(t[k], depth + 1)
  }
  END {
    for (address in want) {
      delete seen; verdict_bad = 0; verdict_good = 0
      if (!(address in starts)) { print want[address], "unknown"; continue }
      walk(address, 0)
      print want[address], (verdict_bad ? "ret-n" : verdict_good ? "ret" : "no-ret")
    }
  }' "$disassembly")

checked=0
while read -r name; do
  verdict=$(awk -v n="$name" '$1 == n { print $2; exit }' <<<"$verdicts")
  case $verdict in
    ret) checked=$((checked + 1)) ;;
    ret-n) fail "$name returns with \"ret N\": the callee removes the arguments" ;;
    no-ret) fail "$name: no return found in its code" ;;
    unknown) fail "$name: its address is not the start of a function" ;;
    *) fail "$name is not exported" ;;
  esac
done <<<"$names"

# Resources: the dialog templates and the icon group, as windres lists them.
resources=$("$windres" -i "$dll" -O rc 2>/dev/null) || fail "its resources cannot be read"
for dialog in 101 104 110 113 114; do
  grep -Eq "^$dialog DIALOG(EX)? " <<<"$resources" || fail "no dialog template $dialog"
done
grep -Eq '^108 (ICON|14 /\* RT_GROUP_ICON \*/)' <<<"$resources" || fail "no icon 108"

# The version record, as windres writes it back.
numbers="${version//./, }, 0"
for field in FILEVERSION PRODUCTVERSION; do
  actual=$(sed -n "s/^ *$field \(.*\)\$/\1/p" <<<"$resources")
  [[ $actual == "$numbers" ]] || fail "$field is '$actual', expected '$numbers'"
done
for name in FileVersion ProductVersion; do
  actual=$(sed -n "s/^ *VALUE \"$name\", \"\(.*\)\"\$/\1/p" <<<"$resources")
  [[ $actual == "$version" ]] || fail "the $name string is '$actual', expected '$version'"
done

[[ $status -ne 0 ]] ||
  echo "$dll: $format, $checked entry points return with a plain ret, dialogs and icon present, version $version"
exit $status
