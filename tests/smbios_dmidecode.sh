#!/usr/bin/env bash
# The SMBIOS reader through the report, on the sample dumps of
# tests/cases/smbios_dumps.txt: what the report reads from each (saved with
# --save-inventory, notes included; or its one line of error) must equal
# tests/golden/smbios_dumps.txt, and for the sane dumps what dmidecode decodes
# from them. The report of each dump equals that of its saved inventory, and
# the Linux table folder (entry point and table apart) reads as the dump. The
# report's --details and JSON of each dump equal tests/golden/smbios.
# Usage: smbios_dmidecode.sh DUMP_TOOL REPORT   (UPDATE_GOLDEN=1 rewrites the golden file)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
report=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
unset DIMMSCOPE_INVENTORY DIMMSCOPE_SMBIOS DIMMSCOPE_DMI_TABLES
command -v dmidecode >/dev/null || PATH=$PATH:/usr/sbin:/sbin
command -v dmidecode >/dev/null || { echo "dmidecode is not installed (scripts/deps.sh installs it)"; exit 1; }
"$1" "$work" >"$work/dumps" || { echo "FAIL the dump tool"; exit 1; }

for dump in $(cat "$work/dumps"); do  # the tool's order, and paths without blanks
  name=$(basename "$dump" .bin)
  echo "== $name" >>"$work/read"
  "$report" --smbios "$dump" --save-inventory "$work/$name.ini" >"$work/$name.out" 2>"$work/$name.err" ||
    { sed "s|$work/||" "$work/$name.err" >>"$work/read"; continue; }
  tail -n +2 "$work/$name.ini" >>"$work/read"  # the first line names the dump's path
  for format in details json; do
    options="--format $format" golden=$here/golden/smbios/$name.$format
    [ $format = details ] && options=--details
    "$report" --smbios "$dump" $options >"$work/$name.$format" 2>/dev/null
    [ "${UPDATE_GOLDEN:-0}" = 1 ] && cp "$work/$name.$format" "$golden"
    cmp -s "$work/$name.$format" "$golden" || fail "$name: the report $options differs from golden/smbios"
  done
  DIMMSCOPE_INVENTORY="$work/$name.ini" "$report" >"$work/$name.replay" 2>/dev/null &&
    cmp -s "$work/$name.out" "$work/$name.replay" || fail "$name: the saved inventory reports differently"
  [[ $name == odd_* ]] && continue
  dmidecode --from-dump "$dump" -t 16,17 >"$work/$name.dmi" 2>/dev/null || fail "$name: dmidecode rejects the dump"
  python3 - "$work/$name.dmi" "$work/$name.ini" "$name" <<'PY' || failures=$((failures + 1))
import re, sys

dmi_path, ini_path, name = sys.argv[1:]
TYPES = {0x0F: "SDRAM", 0x13: "DDR2", 0x18: "DDR3", 0x1A: "DDR4", 0x1E: "LPDDR4", 0x22: "DDR5"}  # dmidecode's names
SHIFTS = {"bytes": 0, "kB": 10, "MB": 20, "GB": 30, "TB": 40, "PB": 50}

def size(text):  # "8 GB" in bytes; None for "Unknown" and the like
    m = re.fullmatch(r"(\d+) (\w+)", text)
    return int(m.group(1)) << SHIFTS[m.group(2)] if m else None

def speed(text):
    return None if text in (None, "Unknown") else int(text.split()[0])

def millivolts(text):
    return None if text in (None, "Unknown") else round(float(text.split()[0]) * 1000)

theirs, ours = [], []  # dmidecode's blocks and the saved instances, in table order
for line in open(dmi_path, encoding="latin-1"):
    if line.startswith("Handle "):
        theirs.append({"type": int(re.search(r"DMI type (\d+)", line).group(1))})
    elif line.startswith("\t") and ": " in line and theirs:
        key, value = line[1:].rstrip("\n").split(": ", 1)
        theirs[-1].setdefault(key, value)
for line in open(ini_path, encoding="latin-1"):
    line = line.rstrip("\n")
    if line.startswith("["):
        ours.append({"class": line[1:-1]})
    elif " = " in line and not line.startswith("#"):
        key, value = line.split(" = ", 1)
        ours[-1][key] = None if value == "null" else value[1:-1] if value.startswith('"') else int(value)

errors = []
def check(what, mine, dmidecode):
    if mine != dmidecode:
        errors.append(f"{what}: report {mine!r}, dmidecode {dmidecode!r}")

arrays = [b for b in theirs if b["type"] == 16]
modules = [b for b in theirs if b["type"] == 17 and b.get("Size") != "No Module Installed"]
our_arrays = [i for i in ours if i["class"] == "Win32_PhysicalMemoryArray"]
our_modules = [i for i in ours if i["class"] == "Win32_PhysicalMemory"]
check("arrays", len(our_arrays), len(arrays))
check("modules", len(our_modules), len(modules))
for n, (o, t) in enumerate(zip(our_arrays, arrays)):
    capacity = size(t["Maximum Capacity"])
    check(f"array {n} MaxCapacity", o["MaxCapacity"], capacity and min(capacity >> 10, 0xFFFFFFFF))  # 32 bits
    check(f"array {n} MemoryDevices", o["MemoryDevices"], int(t["Number Of Devices"]))
for n, (o, t) in enumerate(zip(our_modules, modules)):
    check(f"module {n} Capacity", o["Capacity"] and int(o["Capacity"]), size(t["Size"]))
    check(f"module {n} DeviceLocator", o["DeviceLocator"], t["Locator"])
    check(f"module {n} Speed", o["Speed"], speed(t.get("Speed")))
    check(f"module {n} ConfiguredClockSpeed", o["ConfiguredClockSpeed"], speed(t.get("Configured Memory Speed")))
    check(f"module {n} Attributes", o["Attributes"], speed(t.get("Rank")))
    for ours, theirs in ("ConfiguredVoltage", "Configured"), ("MinVoltage", "Minimum"), ("MaxVoltage", "Maximum"):
        check(f"module {n} {ours}", o[ours], millivolts(t.get(theirs + " Voltage")))
    check(f"module {n} SMBIOSMemoryType", TYPES.get(o["SMBIOSMemoryType"], "unnamed here"), t["Type"])
for e in errors:
    print(f"FAIL {name}: {e}")
sys.exit(1 if errors else 0)
PY
done

golden=$here/golden/smbios_dumps.txt
[ "${UPDATE_GOLDEN:-0}" = 1 ] && cp "$work/read" "$golden"
cmp -s "$work/read" "$golden" || { fail "the dumps read otherwise than golden/smbios_dumps.txt says"; diff "$golden" "$work/read" | head -30; }

mkdir "$work/tables"
head -c 24 "$work/laptop.bin" >"$work/tables/smbios_entry_point"
tail -c +33 "$work/laptop.bin" >"$work/tables/DMI"
DIMMSCOPE_DMI_TABLES="$work/tables" "$report" >"$work/tables.out" 2>&1 && cmp -s "$work/tables.out" "$work/laptop.out" ||
  fail "table folder: the report differs from the dump's"

echo "$(wc -l <"$work/dumps") dumps read, $failures failed"
[ "$failures" -eq 0 ]
