#!/bin/sh
# Writes the manual page of quellbit-cli from the program's own help, so the
# page cannot say other than the program does: help2man turns `--help` into
# the page, and each command's `--help` into its part of a COMMANDS section.
# The commands are those the program's help lists, read by the same rule
# as the shells' completions read them. STATIC.h2m adds what the
# help does not hold: the data file format, exit statuses and examples.
#
# usage: cli-manpage.sh QUELLBIT-CLI VERSION STATIC.h2m HELP-WORDS.awk OUT.1
set -eu
cli=$1
version=$2
static=$3
words=$4
out=$5
name="convert 240 x 128 one-bit bitmaps into LCD data files and back"

# The commands, as help-words.awk reads them for the shells' completions.
commands=$("$cli" --help | awk -f "$words" | awk -F '\t' '$1 == "command" { print $2 }')
if [ -z "$commands" ]; then
    echo "cli-manpage.sh: '$cli --help' lists no commands under \"Commands:\"" >&2
    exit 1
fi

include=$out.commands.h2m
page=$out.command
trap 'rm -f "$include" "$page"' EXIT
{
    printf '%s\n' '[COMMANDS]' 'Each command answers \fB\-\-help\fR with its part of this section.'
    for command in $commands; do
        # The command's page after its name: a subsection headed by the
        # command, which begins with the synopsis; the page's other sections
        # become labelled paragraphs.
        help2man --no-info --version-string="$version" --name=x \
                 --help-option="$command --help" --output="$page" "$cli"
        awk -v command="$command" '
            /^\.SH NAME/ { name = 1; next }
            name && !/^\.SH / { next }
            name {
                name = 0
                on = 1
                print ".SS \"" command "\""
                if ($0 ~ /^\.SH SYNOPSIS/) next
            }
            !on { next }
            # --quiet, --help and --version are the same for every
            # command: the page names them once, in its OPTIONS.
            held != "" {
                line = held
                held = ""
                if ($0 ~ /^\\fB\\-h\\fR, \\fB\\-\\-help\\fR$/ || $0 ~ /^\\fB\\-\\-version\\fR$/ \
                    || $0 ~ /^\\fB\\-q\\fR, \\fB\\-\\-quiet\\fR$/) {
                    skip = 1
                    next
                }
                print line
            }
            skip && /^\.(TP|PP|SS|SH)/ { skip = 0 }
            skip { next }
            /^\.TP$/ { held = $0; next }
            /^\.SH DESCRIPTION/ { print ".PP"; next }
            /^\.S[HS] / {
                title = substr($0, 5)
                gsub(/"/, "", title)
                if ($1 == ".SH") title = substr(title, 1, 1) tolower(substr(title, 2)) ":"
                print ".PP"
                print "\\fI" title "\\fR"
                next
            }
            { print }' "$page"
    done
} >"$include"

help2man --no-info --version-string="$version" --name="$name" \
         --include="$include" --include="$static" --output="$out.whole" "$cli"
# The program's list of commands and its exit statuses have sections of
# their own (COMMANDS, EXIT STATUS): each is said once.
awk '
    /^\.SS "(Commands|Exit status):"$/ { skip = 1; next }
    skip && /^\.(SS |SH |PP$)/ { skip = 0 }
    !skip' "$out.whole" >"$out"
rm -f "$out.whole"
