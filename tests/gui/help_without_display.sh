#!/bin/sh
# quellbit --help and --version with no X server, no Wayland and no platform
# named: each prints its text on standard output and exits 0, and nothing
# goes to standard error.
# usage: help_without_display.sh QUELLBIT
set -u
program=$1
status=0
check() { # OPTION FIRST-LINE-PATTERN
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$1" 2>/tmp/quellbit-help-err.$$)
    code=$?
    err=$(cat /tmp/quellbit-help-err.$$)
    rm -f /tmp/quellbit-help-err.$$
    first=$(printf '%s\n' "$out" | head -n 1)
    if [ $code -ne 0 ] || [ -n "$err" ] || ! printf '%s\n' "$first" | grep -Eqx "$2"; then
        echo "FAIL quellbit $1: exit $code, first line \"$first\", standard error \"$err\""
        status=1
    else
        echo "ok quellbit $1: $first"
    fi
}
check --help 'Usage: quellbit \[--help \| --version\]'
check --version 'quellbit [0-9]+\.[0-9]+\.[0-9]+'
exit $status
