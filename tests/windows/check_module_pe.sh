#!/usr/bin/env bash
# Reads a module's PE image and fails unless it is what the host loads, and safe in the way the
# host runs it:
# - a 64-bit (PE32+, x86-64) DLL whose only export is mexFunction;
# - importing from the host's libmx.dll and libmex.dll exactly the entries listed in IMPORTS
#   (what a -compatibleArrayDims build of the module imports), never a `_730` or `_800` entry
#   (those of 64-bit sizes and of interleaved complex data, whose arguments and data differ), and
#   otherwise from KERNEL32 and the C runtime only;
# - no function with a language handler (an exception or termination handler, such as a C++
#   personality routine) in its unwind data: the host raises an error by unwinding natively
#   through mexFunction, and a handler on that path (a destructor to run, a try, a noexcept
#   boundary) would run C++ cleanup in the middle of the host's unwind;
# - no aligned vector load or store wider than 16 bytes relative to rsp or rbp: Windows keeps
#   the stack 16-byte aligned only, so such an access faults whenever the frame lands off 32.
# Usage: check_module_pe.sh OBJDUMP MODULE IMPORTS
# IMPORTS: one "DLL entry" line per host import, e.g. "libmx.dll mxGetPr"; # starts a comment.
set -euo pipefail
export LC_ALL=C  # one sort order for comm
objdump=$1
module=$2
expected_imports=$3
headers=$("$objdump" -p "$module")
disassembly=$("$objdump" -d --no-show-raw-insn "$module")
failures=0
fail() {
  echo "FAIL: $module: $*"
  failures=$((failures + 1))
}

grep -q 'file format pei-x86-64' <<<"$headers" || fail "not an x86-64 PE image"
grep -Eq '^Magic[[:space:]]+020b' <<<"$headers" || fail "not PE32+"
grep -Eq '^[[:space:]]+DLL$' <<<"$headers" || fail "not a DLL"

# Names listed under "[Ordinal/Name Pointer] Table", one "[ i] name" line each.
exports=$(awk '/^\[Ordinal\/Name Pointer\] Table/ { in_table = 1; next }
               in_table && /^\t\[/ { print $NF; next }
               { in_table = 0 }' <<<"$headers")
[ "$exports" = mexFunction ] || fail "exports {$(echo $exports)}, not exactly {mexFunction}"

while read -r dll; do
  case "${dll,,}" in
    libmx.dll | libmex.dll | kernel32.dll | msvcrt.dll | api-ms-win-crt-*.dll) ;;
    *) fail "imports from $dll" ;;
  esac
done < <(sed -n 's/^\tDLL Name: //p' <<<"$headers")

# Every imported entry as "dll name" (DLL in lower case): the "<vma> <hint> <name>" lines under
# each "DLL Name:" of the import tables.
imports=$(awk '/^The Import Tables/ { in_imports = 1; next }
               /^(The|There) / { in_imports = 0 }
               in_imports && /DLL Name:/ { dll = tolower($3); next }
               in_imports && NF == 3 && $1 ~ /^[0-9a-f]+$/ { print dll, $3 }' <<<"$headers" |
  sort)
host_imports=$(grep -E '^(libmx|libmex)\.dll ' <<<"$imports" || true)
expected=$(grep -Ev '^[[:space:]]*(#|$)' "$expected_imports" | awk '{ print tolower($1), $2 }' |
  sort)
missing=$(comm -13 <(echo "$host_imports") <(echo "$expected") | sed 's/ /!/')
unexpected=$(comm -23 <(echo "$host_imports") <(echo "$expected") | sed 's/ /!/')
[ -z "$missing" ] || fail "does not import $(echo $missing)"
[ -z "$unexpected" ] || fail "imports $(echo $unexpected), not in $(basename "$expected_imports")"
versioned=$(awk '$2 ~ /_(730|800)$/ { print $2 }' <<<"$imports")
[ -z "$versioned" ] ||
  fail "imports $(echo $versioned): entries of 64-bit sizes or interleaved data"

# "<address> <name>" of every function, from the disassembly's "<address> <<name>>:" lines.
functions=$(awk '/^[0-9a-f]+ <.*>:$/ { gsub(/^<|>:$/, "", $2); print $1, $2 }' \
  <<<"$disassembly")
function_at() {
  awk -v at="$1" '$1 == at { print $2; found = 1; exit }
                  END { if (!found) print "the function at " at }' <<<"$functions"
}

# The .xdata dump: a record's header line holds its function's range ("<record> (rva: x):
# <start> - <end>"), then "Flags:", where UNW_FLAG_EHANDLER or UNW_FLAG_UHANDLER mark a handler.
while read -r start; do
  fail "$(function_at "$start") has an exception handler in its unwind data"
done < <(awk '/\(rva: [0-9a-f]+\): [0-9a-f]+ - [0-9a-f]+/ { start = $4 }
              /Flags:.*UNW_FLAG_[EU]HANDLER/ { print start }' <<<"$headers" | sort -u)

# Aligned moves of 32 or 64 bytes (ymm, zmm) to or from a stack address, in AT&T syntax such as
# "vmovaps %ymm6,0x20(%rsp)", each with the function it stands in.
while read -r found; do
  fail "aligned 32/64-byte stack access in $found"
done < <(awk '/^[0-9a-f]+ <.*>:$/ { gsub(/^<|>:$/, "", $2); function_name = $2; next }
              $2 ~ /^vmov(ap[sd]|dqa(32|64)?|nt(ps|pd|dq|dqa))$/ && /%[yz]mm/ &&
              /\(%r[sb]p[,)]/ { print function_name ": " $2 " " $3 }' <<<"$disassembly")

[ "$failures" -eq 0 ] || exit 1
echo "$module: PE32+ x86-64 DLL exporting only mexFunction; host imports as listed in" \
  "$(basename "$expected_imports"); no unwind handler; no aligned 32/64-byte stack access;" \
  "imports from: $(sed -n 's/^\tDLL Name: //p' <<<"$headers" | tr '\n' ' ')"
