#!/usr/bin/env bash
# dimmscope.exe end to end under wine64, on a display from with_xvfb.sh, driven
# by window_driver.exe and xdotool keys (Wine cannot read menus across
# processes); its window, log, exports, About dialog and what it has the shell
# open are checked against tests/fixtures/window/<case>.expect, whose rows say
# SOURCE COUNT PATTERN: COUNT lines ('+': one or more) of SOURCE match the
# extended regex PATTERN ({port}, {version}: the server's, the build's; {wow64}:
# Yes for an i686 exe, which runs under WoW64 here, else No; {now}: a stamp of
# the last minute; {windows}, {administrator}: the machine's, as the driver
# finds them). SOURCE: dump (the main window as the driver prints it),
# about (the About dialog), log (oldest first, tabs as '|'), header
# ("N|text"), opened, box (a message box), memory, menu (while a check runs),
# server (update requests), logoff (the session's end, then the log),
# focus-STEP (the focused control at a step), or a file the case wrote (the
# advice dialog's text, the clipboard). A case fails without its table, on a
# row of a source it never checks or naming a missing control. Every wait is
# bounded.
# Usage: window_e2e.sh PREFIX DIMMSCOPE_EXE DRIVER_EXE ARTEFACT_DIR VERSION
set -uo pipefail
# Far from UTC, in a form Windows' C runtime reads too: UTC stamps show.
export TZ=JST-9
here=$(cd "$(dirname "$0")/../.." && pwd)
exe=$2 driver=$3 artefacts=$4 version=${5//./\\.}
pe=$(od -An -tu4 -j60 -N4 "$exe")  # the PE header's offset; its machine 014c is i386
[ "$(od -An -tx2 -j$((pe + 4)) -N2 "$exe" | tr -d ' ')" = 014c ] && wow64=Yes || wow64=No
. "$here/scripts/wine/env.sh" "$1"
mkdir -p "$artefacts"
work=$(mktemp -d)
pids=()
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
poll() {  # SECONDS COMMAND...: until COMMAND succeeds, at most SECONDS
  local end=$((SECONDS + $1))
  until "${@:2}"; do [ "$SECONDS" -lt "$end" ] || return 1; sleep 0.2; done
}
drive() { "$loader" "$driver" "$@" | tr -d '\r'; }

# What the shell opens is recorded: web addresses through winebrowser's
# xdg-open, "mailto:" through its xdg-email, files through associations that
# hand them to winebrowser too.
opened=$work/opened
mkdir "$work/bin"
for tool in xdg-open xdg-email; do
  printf '#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s"\n' "$opened" > "$work/bin/$tool"
  chmod +x "$work/bin/$tool"
done
export PATH=$work/bin:$PATH
declare -A saved
for ext in txt csv log; do
  saved[$ext]=$("$loader" reg query "HKCR\\.$ext" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
  "$loader" reg add "HKCR\\.$ext" /ve /d dimmscope_e2e /f >/dev/null
done
"$loader" reg add 'HKCR\dimmscope_e2e\shell\open\command' /ve /d 'winebrowser "%1"' /f >/dev/null
uninstall='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\DimmscopeE2E'
cleanup() {
  kill "${pids[@]}" 2>/dev/null
  # The prefix is shared with other tests: its file associations go back.
  for ext in txt csv log; do
    if [ -n "${saved[$ext]}" ]; then "$loader" reg add "HKCR\\.$ext" /ve /d "${saved[$ext]}" /f
    else "$loader" reg delete "HKCR\\.$ext" /f; fi >/dev/null 2>&1
  done
  "$loader" reg delete 'HKCR\dimmscope_e2e' /f >/dev/null 2>&1
  "$loader" reg delete 'HKCU\Software\Orvel Studio' /v Fesk /f >/dev/null 2>&1
  "$loader" reg delete "$uninstall" /f >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

# The maker's server on loopback, its update reply older than any build.
python3 "$here/tests/http_server.py" 900 > "$work/server.txt" 2>/dev/null &
pids+=($!)
poll 10 grep -q '^PORT' "$work/server.txt" || { echo "FAIL the test server did not start"; exit 1; }
port=$(sed -n 's/^PORT \([0-9]*\).*/\1/p' "$work/server.txt")
export DIMMSCOPE_SERVER=http://127.0.0.1:$port
ask() { python3 -c "import urllib.request, sys; print(urllib.request.urlopen(sys.argv[1]).read().decode())" "$DIMMSCOPE_SERVER/$1"; }
reply() { ask "__control?reply=$1" >/dev/null; }
reply 0.0.0.1 || { echo "FAIL the test server does not answer"; exit 1; }

facts=$(drive facts) || { echo "FAIL the driver found no facts: $facts"; exit 1; }
data=$prefix/drive_c/users/$(id -un)/AppData/Roaming/Orvel\ Studio/Dimmscope
show() {  # SOURCE: its text now
  case $1 in
    dump) drive dump ;;
    about) drive dump TAboutDlg ;;
    log) tr -d '\r' < "$data/Dimmscope.log" | tac | tr '\t' '|' ;;
    header) tr -d '\r' < "$data/Dimmscope.log" | tac | cut -f3- |
      awk '/^Starting$/ { on = 1 } on && /^(Self update check|Scanning slot #)/ { exit } on { print ++n "|" $0 }' ;;
    memory) drive memory ;;
    focus-*) drive focus ;;
    menu) drive menu 5 ;;
    server) ask __last_check | tr -d '\r' ;;
    *) cat "$work/$1" ;;
  esac 2>/dev/null
}
misses() {  # SOURCE FILE: the rows for SOURCE that FILE does not meet
  local source count pattern got now
  now=$(t=$(date +%s); for s in {0..60}; do date -d "@$((t - s))" '+%y-%m-%d %H:%M:%S'; done | paste -sd'|')
  while read -r source count pattern; do
    [ "$source" = "$1" ] || continue
    pattern=${pattern//\{port\}/$port}
    pattern=${pattern//\{version\}/$version}
    pattern=${pattern//\{wow64\}/$wow64}
    pattern=${pattern//\{now\}/($now)}
    while read -r name value; do pattern=${pattern//\{$name\}/${value//./\\.}}; done <<<"$facts"
    got=$(grep -Ec -- "$pattern" "$2")
    [ "$count" = "$got" ] || { [ "$count" = + ] && [ "$got" -gt 0 ]; } || echo "$got lines, not $count, match $pattern"
    [[ $1 =~ ^(dump|about)$ && $pattern =~ ^\^(control|row|column|cut)\ ([^ ]+) ]] &&
      ! grep -Eq "^control ${BASH_REMATCH[2]} " "$2" && echo "no control ${BASH_REMATCH[2]} for $pattern"
  done < "$table"
}
expect() {  # SOURCE [SECONDS]: the rows for SOURCE are met, within SECONDS
  local file=$artefacts/$case.$1.txt end=$((SECONDS + ${2:-0}))
  checked+=" $1"
  until show "$1" > "$file"; misses "$1" "$file" > "$work/misses"; [ ! -s "$work/misses" ]; do
    [ "$SECONDS" -lt "$end" ] && { sleep 0.2; continue; }
    while read -r line; do fail "$case, $1: $line"; done < "$work/misses"
    return 1
  done
}
finish() {  # every source the case's table names has been checked
  for s in $(grep -v '^#' "$table" | cut -d' ' -f1 | sort -u); do [[ "$checked " == *" $s "* ]] || fail "$case: $s never checked"; done; }
start() {  # CASE INVENTORY [ARGUMENT...]: a fresh data folder, the program started until its scan shows
  [ -z "${case:-}" ] || finish
  case=$1 table=$here/tests/fixtures/window/$1.expect checked=
  echo "== $case"
  [ -f "$table" ] || { fail "$case: no $table"; table=/dev/null; }
  rm -rf "$data"
  : > "$opened"
  # Its output goes to a file: a program it has the shell start may outlive
  # the test and must not hold the test's own output open.
  DIMMSCOPE_INVENTORY=$(winpath "$here/tests/fixtures/$2") "$loader" "$exe" "${@:3}" >> "$work/app.txt" 2>&1 &
  app=$!
  pids+=($app)
  drive waitscan 60
}
ended() { ! kill -0 "$app" 2>/dev/null; }
stop() {
  drive close && poll 10 ended && return
  fail "$case: the program did not end on close"
  kill "$app"
}
keys() { xdotool search --name '^Dimmscope v' windowfocus --sync >/dev/null 2>&1 && xdotool key --delay 100 "$@"; }
box() { drive msgbox 20 > "$work/box" || fail "$case: $1"; expect box; }
exported() { tail -n +5 "$here/tests/golden/one_module_two_slots.$1" | cmp -s - "$data/export.$2"; }
gone() { ! drive dump "$1" >/dev/null; }
opening() {  # DRIVER-COMMAND...: run, then wait until the shell has opened one more thing
  local n; n=$(wc -l < "$opened"); drive "$@" && poll 10 eval "[ \$(wc -l < '$opened') -gt $n ]"; }
replies() { [ "$(grep -c 'Server replied' "$data/Dimmscope.log")" -ge "$1" ]; }

start one_module_two_slots scan/one_module_two_slots.ini || exit 1
expect dump 10  # the memory labels' texts come with the timer's first tick
expect header
drive reactivate || fail "no second activation"
# Both exports, byte for byte, opened through their associations, the second
# one twice (it replaces the file). Wine 8 opens a menu by its access keys only
# once after the shell has started another program: it is sent as its command.
keys alt+a e t
poll 20 exported text txt || fail "export.txt differs from the golden file"
opening command 202 && opening command 202
poll 20 exported csv csv || fail "export.csv differs from the golden file"
# Drivers Update without "Fesk", then naming a tool, an empty and a missing file.
printf 'tool' > "$work/tool.txt" && : > "$work/empty.txt" && opening click 104
for tool in tool empty missing; do
  "$loader" reg add 'HKCU\Software\Orvel Studio' /v Fesk /d "$(winpath "$work/$tool.txt")" /f >/dev/null && opening click 104
done
drive click 141 && drive click 152 && keys ctrl+l
expect opened 20
expect log  # with one header: the second activation, long since, started nothing
# A handler's exception: the export cannot be written; the window stays.
rm "$data/export.txt" && mkdir "$data/export.txt"
keys alt+a e t
box "no message box for the failed export"
drive dump >/dev/null || fail "the window is gone after the failed export"
keys ctrl+b
drive waitclass TAboutDlg 10 || fail "Ctrl+B did not show the About dialog"
keys Escape
poll 10 gone TAboutDlg || fail "Escape did not close the About dialog"
keys ctrl+q
poll 10 ended || { fail "Ctrl+Q did not end the program"; stop; }

start four_modules scan/four_modules.ini || exit 1
expect dump
expect memory 10
# Ctrl+G after the first check, the "?" menu while that one runs, Ctrl+G after it.
poll 10 replies 1 && reply '0.0.0.1&delay=3000' && keys ctrl+g && keys alt+question
expect menu
keys Escape Escape
poll 10 replies 2 && keys ctrl+g
expect server 5
reply 0.0.0.1
for id in 141 142 143 144; do opening click $id; done
geometry=$(sed -n 's/^window .* pos=\([0-9]*\),\([0-9]*\) outer=\([0-9x]*\) .*/\3+\1+\2/p' "$artefacts/$case.dump.txt")
import -window root -crop "$geometry" "$artefacts/screenshot.png" 2>/dev/null || echo "note: no screenshot taken"
# The About dialog's texts are rebuilt on each showing; its buttons open the maker's addresses.
for showing in 1 2; do
  drive command 205
  drive waitclass TAboutDlg 10 || fail "the About dialog was not shown"
  expect about
  [ $showing = 2 ] || { drive click 306 && drive click 307 && drive click 308 && expect opened 20; }
  drive click 309
  poll 10 gone TAboutDlg || fail "Ok did not close the About dialog"
done
stop

reply 9.9.9.9
start odd_values scan/odd_values.ini || exit 1
box "the newer version was not offered"
expect opened 20
expect dump
stop
reply 0.0.0.1

start bad_capacity window/bad_capacity.ini "first argument" second || exit 1
box "no message box for the scan's error"
expect dump
expect header
expect log
# Slot 2's Get Specification, left pressable, has no module to search for;
# slot 1's opens its search once slot 2's click was handled.
drive click 142 && drive click 141
expect opened 20
drive reactivate || fail "no second activation"
drive waitclass '#32770' 2 && fail "a second activation ran the failed start-up again"
stop

start failed_load window/failed_load.ini || exit 1
box "no message box for the module class that could not be loaded"
expect dump
expect log
stop

# Registered as installed; the session ends right after an update check.
"$loader" reg add "$uninstall" /v DisplayName /d 'orvel studio dimmscope 9.9' /f >/dev/null
start installed window/installed.ini "sole argument" || exit 1
expect dump
expect header
poll 10 replies 1
drive endsession 204 > "$work/logoff"
show log >> "$work/logoff"
expect logoff
"$loader" reg delete "$uninstall" /f >/dev/null

# ---------------------------------------------------------------------------
# The bundled sample: its labels inside their groups (a wider font cuts them off).
start sample samples/m0561.ini || exit 1
expect dump
poll 10 grep -q 'www\.example\.com/ram' "$data/dimmscope.ini" || fail "sample: the links file was not downloaded"
# The get-more-RAM buttons' command with an address, no links file, a "ram" value too short.
for links in '[links]\r\nram=http://example.test/more-ram?u=%%USERNAME%%\r\n' '' '[links]\r\nram=x\r\n'; do
  rm -f "$data/dimmscope.ini"; [ -z "$links" ] || printf "$links" > "$data/dimmscope.ini"
  opening command 151
done
expect opened
stop

# ---------------------------------------------------------------------------
# The keyboard: a click on slot 1's list, arrows within it, Tab in reading
# order (slot 3 beside slot 1 before slot 2 below) onto a button drawn with
# its focus ring, Space and Enter pressing buttons, Shift+Tab back round to
# the free slot 4; Tab in the About dialog; the upgrade advice dialog's lines,
# its Copy button by Space, Tab, and Escape.
start keyboard window/keyboard.ini || exit 1
xdotool mousemove --sync $(drive point 131 0) click 1 && expect focus-click 5
keys Down Down && expect focus-arrows 5
keys Tab Tab Tab && expect focus-tab 5
keys space shift+Tab && expect focus-back 5
keys shift+Tab shift+Tab shift+Tab shift+Tab && expect focus-wrap 5
keys Return
expect opened 20
keys ctrl+b
drive waitclass TAboutDlg 10 || fail "Ctrl+B did not show the About dialog"
keys Tab && expect focus-abouttab 5
keys Escape
poll 10 gone TAboutDlg || fail "Escape did not close the About dialog"
keys alt+a u
drive waitclass TAdviceDlg 10 || fail "the menu command did not show the upgrade advice dialog"
drive text TAdviceDlg 320 > "$work/advice" && expect advice
keys space && drive clipboard > "$work/clipboard" && expect clipboard
keys Tab && expect focus-advicetab 5
keys Escape
poll 10 gone TAdviceDlg || fail "Escape did not close the upgrade advice dialog"
expect focus-returned 5
stop

finish
echo "artefacts in $artefacts"
[ "$failures" -eq 0 ] && echo "PASS window end to end" || echo "$failures failure(s)"
[ "$failures" -eq 0 ]
