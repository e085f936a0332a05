#!/usr/bin/env bash
# Reads a module's PE headers and fails unless it is what the host loads: a 64-bit (PE32+,
# x86-64) DLL whose only export is mexFunction, importing from the host's libmx.dll and
# libmex.dll and from Windows system DLLs only, with mxCreateDoubleMatrix_700 among its imports.
# Usage: check_module_pe.sh OBJDUMP MODULE
set -euo pipefail
objdump=$1
module=$2
headers=$("$objdump" -p "$module")
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

# Entries under "DLL Name: libmx.dll" are "<vma> <hint> <name>" lines.
mx_imports=$(awk '/DLL Name:/ { in_mx = (tolower($3) == "libmx.dll"); next }
                  in_mx && NF == 3 { print $3 }' <<<"$headers")
grep -qx mxCreateDoubleMatrix_700 <<<"$mx_imports" ||
  fail "does not import mxCreateDoubleMatrix_700 from libmx.dll"

[ "$failures" -eq 0 ] || exit 1
echo "$module: PE32+ x86-64 DLL exporting only mexFunction; imports: $(sed -n 's/^\tDLL Name: //p' <<<"$headers" | tr '\n' ' ')"
