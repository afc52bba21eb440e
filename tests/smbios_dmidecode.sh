#!/usr/bin/env bash
# The SMBIOS provider against dmidecode, on every sample dump the tests'
# builder makes: the sizes, locators, speeds, types and maximum capacities the
# report reads (saved with --save-inventory) must be what dmidecode decodes.
# Also: the report of each dump equals the report of its saved inventory, and
# the Linux table folder's failures give one clear line.
# Usage: smbios_dmidecode.sh DUMP_TOOL REPORT
set -uo pipefail
tool=$1
report=$2
work=$(mktemp -d)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

command -v dmidecode >/dev/null || PATH=$PATH:/usr/sbin:/sbin
if ! command -v dmidecode >/dev/null; then
  echo "dmidecode is not installed (scripts/deps.sh installs it)"
  exit 1
fi

"$tool" "$work" >/dev/null || { echo "FAIL the dump tool"; exit 1; }
dumps=("$work"/*.bin)
[ ${#dumps[@]} -ge 4 ] || { echo "FAIL the dump tool wrote ${#dumps[@]} dumps"; exit 1; }

for dump in "${dumps[@]}"; do
  name=$(basename "$dump" .bin)
  dmidecode --from-dump "$dump" -t 16,17 >"$work/$name.dmi" 2>"$work/$name.dmi.err" || fail "$name: dmidecode rejects the dump"
  env -u DIMMSCOPE_INVENTORY -u DIMMSCOPE_SMBIOS "$report" --smbios "$dump" --save-inventory "$work/$name.ini" \
    >"$work/$name.out" 2>"$work/$name.err" || { fail "$name: the report exited non-zero: $(cat "$work/$name.err")"; continue; }
  DIMMSCOPE_INVENTORY="$work/$name.ini" "$report" >"$work/$name.replay" 2>/dev/null || fail "$name: the replay failed"
  cmp -s "$work/$name.out" "$work/$name.replay" || fail "$name: the replayed inventory reports differently"
  python3 - "$work/$name.dmi" "$work/$name.ini" "$name" <<'PY' || failures=$((failures + 1))
import re, sys

dmi_path, ini_path, name = sys.argv[1:]
TYPES = ["", "Other", "Unknown", "DRAM", "EDRAM", "VRAM", "SRAM", "RAM", "ROM", "Flash", "EEPROM", "FEPROM",
         "EPROM", "CDRAM", "3DRAM", "SDRAM", "SGRAM", "RDRAM", "DDR", "DDR2", "DDR2 FB-DIMM", "Reserved",
         "Reserved", "Reserved", "DDR3", "FBD2", "DDR4", "LPDDR", "LPDDR2", "LPDDR3", "LPDDR4",
         "Logical non-volatile device", "HBM", "HBM2", "DDR5", "LPDDR5", "HBM3"]
UNITS = {"bytes": 1, "kB": 1 << 10, "MB": 1 << 20, "GB": 1 << 30, "TB": 1 << 40, "PB": 1 << 50}

def size(text):
    m = re.fullmatch(r"(\d+) (\w+)", text)
    return int(m.group(1)) * UNITS[m.group(2)] if m else None

# dmidecode's blocks, in table order.
blocks = []
with open(dmi_path, "rb") as f:
    for raw in f.read().split(b"\n"):
        line = raw.decode("latin-1")
        if line.startswith("Handle "):
            blocks.append({"type": int(re.search(r"DMI type (\d+)", line).group(1))})
        elif line.startswith("\t") and blocks and ": " in line:
            key, value = line[1:].split(": ", 1)
            blocks[-1].setdefault(key, value)

# The saved inventory.
def unquote(text):
    out, i = bytearray(), 1
    while text[i] != '"':
        c = text[i]
        if c == "\\":
            e = text[i + 1]
            if e == "x":
                out.append(int(text[i + 2:i + 4], 16)); i += 4; continue
            out += {"t": b"\t", "n": b"\n", "r": b"\r"}.get(e, e.encode()); i += 2; continue
        out += c.encode("latin-1"); i += 1
    return out.decode("latin-1")

instances = []
with open(ini_path, encoding="latin-1") as f:
    for line in f.read().split("\n"):
        if line.startswith("["):
            instances.append({"class": line[1:-1]})
        elif " = " in line and not line.startswith("#"):
            key, value = line.split(" = ", 1)
            instances[-1][key] = None if value == "null" else unquote(value) if value.startswith('"') else int(value)

def shown(text):
    # dmidecode prints control bytes and bytes from 7Fh on as dots.
    return None if text is None else "".join(c if 32 <= ord(c) < 127 else "." for c in text)

errors = []
def check(what, ours, theirs):
    if ours != theirs:
        errors.append(f"{what}: report {ours!r}, dmidecode {theirs!r}")

arrays = [b for b in blocks if b["type"] == 16]
modules = [b for b in blocks if b["type"] == 17 and b.get("Size") != "No Module Installed"]
our_arrays = [i for i in instances if i["class"] == "Win32_PhysicalMemoryArray"]
our_modules = [i for i in instances if i["class"] == "Win32_PhysicalMemory"]
check("arrays", len(our_arrays), len(arrays))
check("modules", len(our_modules), len(modules))
for n, (ours, theirs) in enumerate(zip(our_arrays, arrays)):
    capacity = size(theirs["Maximum Capacity"])
    kilobytes = None if capacity is None else min(capacity >> 10, 0xFFFFFFFF)  # the 32-bit property clamps
    check(f"array {n} MaxCapacity", ours["MaxCapacity"], kilobytes)
    check(f"array {n} MemoryDevices", ours["MemoryDevices"], int(theirs["Number Of Devices"]))
for n, (ours, theirs) in enumerate(zip(our_modules, modules)):
    capacity = size(theirs["Size"])
    check(f"module {n} Capacity", None if ours["Capacity"] is None else int(ours["Capacity"]), capacity)
    locator = theirs["Locator"]
    check(f"module {n} DeviceLocator", shown(ours["DeviceLocator"]), None if locator == "Not Specified" else locator)
    speed = theirs.get("Speed", "Unknown")
    check(f"module {n} Speed", ours["Speed"], None if speed == "Unknown" else int(speed.split()[0]))
    configured = theirs.get("Configured Memory Speed", "Unknown")
    check(f"module {n} ConfiguredClockSpeed", ours["ConfiguredClockSpeed"],
          None if configured == "Unknown" else int(configured.split()[0]))
    check(f"module {n} SMBIOSMemoryType", TYPES[ours["SMBIOSMemoryType"]], theirs["Type"])
for e in errors:
    print(f"FAIL {name}: {e}")
print(f"{name}: {len(our_arrays)} arrays, {len(our_modules)} modules compared")
sys.exit(1 if errors else 0)
PY
done

# The failures one can meet, each in one line.
one_line() {  # description, expected exit status, expected stderr (exact, or a pattern with ~), command...
  local what=$1 status=$2 expected=$3
  shift 3
  local err actual out
  out=$("$@" 2>"$work/stderr")
  actual=$?
  err=$(cat "$work/stderr")
  if [ "$actual" != "$status" ]; then
    fail "$what: exit status $actual, expected $status ($err)"
  elif [ "$(wc -l <"$work/stderr")" -ne 1 ] || [ -n "$out" ]; then
    fail "$what: expected one line on stderr and nothing on stdout, got '$err' / '$out'"
  elif [ "${expected:0:1}" = "~" ] && ! grep -qE "${expected:1}" <<<"$err"; then
    fail "$what: stderr '$err' does not match '${expected:1}'"
  elif [ "${expected:0:1}" != "~" ] && [ "$err" != "$expected" ]; then
    fail "$what: stderr '$err', expected '$expected'"
  fi
}
noenv=(env -u DIMMSCOPE_INVENTORY -u DIMMSCOPE_SMBIOS)
one_line "missing dump" 1 "~missing\.bin: cannot open the SMBIOS dump" "${noenv[@]}" "$report" --smbios "$work/missing.bin"
printf 'not a dump at all' >"$work/garbage.bin"
one_line "garbage dump" 1 "~garbage\.bin: not a usable SMBIOS dump: no _SM_ or _SM3_ entry point" \
  "${noenv[@]}" DIMMSCOPE_SMBIOS="$work/garbage.bin" "$report"
one_line "no file name" 2 "~option '--smbios' needs a file name" "${noenv[@]}" "$report" --smbios
one_line "no tables" 1 "~publishes no SMBIOS tables" "${noenv[@]}" DIMMSCOPE_DMI_TABLES="$work/none" "$report"

# The Linux table folder: the entry point and the table as two files.
tables="$work/tables"
mkdir "$tables"
head -c 24 "$work/laptop.bin" >"$tables/smbios_entry_point"
tail -c +33 "$work/laptop.bin" >"$tables/DMI"
"${noenv[@]}" DIMMSCOPE_DMI_TABLES="$tables" "$report" >"$work/tables.out" 2>"$work/tables.err" \
  || fail "table folder: the report exited non-zero: $(cat "$work/tables.err")"
cmp -s "$work/tables.out" "$work/laptop.out" || fail "table folder: the report differs from the dump's"
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
  # As the kernel publishes them: readable by root only.
  chmod 0400 "$tables"/*
  chmod 0755 "$tables"
  one_line "tables need root" 1 "Reading memory modules needs root: run it with sudo" \
    setpriv --reuid=nobody --regid=nogroup --clear-groups "${noenv[@]}" DIMMSCOPE_DMI_TABLES="$tables" "$report"
else
  echo "skipped: the unreadable-tables check needs root to set it up"
fi

echo "${#dumps[@]} dumps compared with dmidecode, $failures failed"
[ "$failures" -eq 0 ]
