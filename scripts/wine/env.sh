# The environment of every Wine run of the tests, sourced with the prefix as
# its argument: no debug output, no installer prompts for Mono and Gecko, and
# a UTF-8 locale of its own whatever the caller has (under the C locale Wine
# cannot create Unix file names outside ASCII); DLL overrides the caller sets
# (a DLL disabled for one run) are kept, and so are the debug channels a test
# counts calls with (DIMMSCOPE_WINE_TRACE, e.g. +wbemprox). Sets $prefix and
# $loader, and defines winpath.
prefix=$1
loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX=$prefix WINEDEBUG=-all${DIMMSCOPE_WINE_TRACE:+,$DIMMSCOPE_WINE_TRACE} WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}" WINELOADER=$loader LANG=C.UTF-8
unset LC_ALL LC_CTYPE
# The Windows name of a path, through Wine's Z: drive, without starting Wine
# (winepath is one more Wine process, and it has read back another program's
# output as its own while a test changed the prefix's file associations).
winpath() { local path; path=$(realpath -m "$1"); printf 'Z:%s' "${path//\//\\}"; }
