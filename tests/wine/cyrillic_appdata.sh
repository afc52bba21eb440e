#!/usr/bin/env bash
# A roaming profile folder outside the ANSI code page (a Cyrillic user name
# on a Western code page): the prefix's AppData is pointed at
# C:\users\Пользователь\AppData\Roaming, the probe finds the data folder as
# the program does and writes a file there, and the file must land in
# …/Пользователь/AppData/Roaming/Orvel Studio/Dimmscope/. The prefix's
# AppData values are put back as they were, whatever happens.
# Usage: cyrillic_appdata.sh PREFIX PROBE_EXE
set -uo pipefail
probe=$2
here=$(cd "$(dirname "$0")" && pwd)
# Unix names in UTF-8, and a Western ANSI code page (1252) without Cyrillic letters.
. "$here/env.sh" "$1"

user='Пользователь'
roaming="C:\\users\\$user\\AppData\\Roaming"
unix_user="$prefix/drive_c/users/$user"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer'
places=("User Shell Folders" "Shell Folders")

# "TYPE DATA" of the AppData value under $key\$1, or nothing when it is absent.
saved_value() {
  "$loader" reg query "$key\\$1" /v AppData 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *AppData  *\(REG_[A-Z_]*\)  *\(.*\)$/\1 \2/p'
}

declare -A saved
for place in "${places[@]}"; do saved[$place]=$(saved_value "$place"); done

restore() {
  for place in "${places[@]}"; do
    if [ -n "${saved[$place]}" ]; then
      "$loader" reg add "$key\\$place" /v AppData /t "${saved[$place]%% *}" /d "${saved[$place]#* }" /f >/dev/null
    else
      "$loader" reg delete "$key\\$place" /v AppData /f >/dev/null 2>&1
    fi
  done
  rm -rf "$unix_user"
}
trap restore EXIT

failures=0
fail() { echo "FAIL $1"; failures=$((failures + 1)); }

mkdir -p "$unix_user/AppData/Roaming"
"$loader" reg add "$key\\User Shell Folders" /v AppData /t REG_EXPAND_SZ /d "$roaming" /f >/dev/null ||
  fail "cannot set User Shell Folders\\AppData"
"$loader" reg add "$key\\Shell Folders" /v AppData /t REG_SZ /d "$roaming" /f >/dev/null ||
  fail "cannot set Shell Folders\\AppData"

out=$("$here/run.sh" "$prefix" "$probe" probe.txt | tr -d '\r')
status=$?
echo "$out"
[ "$status" -eq 0 ] || fail "the probe exited with $status"
grep -qx 'lossy=1' <<<"$out" || fail "the data folder fits the ANSI code page, so this run proves nothing"
expected="folder=$roaming\\Orvel Studio\\Dimmscope\\"
grep -qxF "$expected" <<<"$out" || fail "expected the line $expected"
file="$unix_user/AppData/Roaming/Orvel Studio/Dimmscope/probe.txt"
if [ -f "$file" ]; then
  grep -q 'written by the data folder probe' "$file" || fail "$file has other content"
else
  fail "$file was not written"
fi
[ "$failures" -eq 0 ]
