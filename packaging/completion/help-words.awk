# The words of quellbit-cli's help that the shells complete, one a line:
#   command NAME<TAB>SUMMARY   the first words of the lines under "Commands:",
#                              as far as the next line that is not indented
#                              (wrapped lines are indented deeper);
#   option NAME<TAB>VALUE<TAB>HELP   each option of the "Options:" table:
#                              "--output", "OUT" ("" for a switch), its help
#                              (wrapped lines joined); the short name as an
#                              option line of its own.
# zsh's and fish's completions and the manual page's list of commands are
# made from this when the package is built; bash's completion, which reads
# the help when Tab is pressed and so must stand alone, carries the same
# rule for the commands. The package check
# offers every option in all three shells.
tolower($0) ~ /^[a-z ]*commands?:?$/ { on = 1; indent = 0; next }
on && /^[^ ]/ { on = 0 }
on && /^ +[^ ]/ {
    match($0, /^ +/)
    if (!indent) indent = RLENGTH
    word = $1 == "quellbit-cli" ? $2 : $1
    if (RLENGTH == indent && word ~ /^[a-z][a-z0-9-]*$/) {
        summary = $0
        sub(/^ +[^ ]+ +/, "", summary)
        print "command\t" word "\t" summary
    }
    next
}
function flush() {
    if (name != "") {
        print "option\t" name "\t" value "\t" help
        if (short != "") print "option\t" short "\t" value "\t" help
    }
    name = ""
}
/^ +(-[A-Za-z0-9], )?--[a-z][a-z0-9-]*/ {
    flush()
    line = $0
    sub(/^ +/, "", line)
    short = ""
    if (line ~ /^-[A-Za-z0-9], /) {
        short = substr(line, 1, 2)
        line = substr(line, 5)
    }
    match(line, /^--[a-z][a-z0-9-]*/)
    name = substr(line, 1, RLENGTH)
    line = substr(line, RLENGTH + 1)
    value = ""
    if (line ~ /^=/) {
        match(line, /^=[^ ]+/)
        value = substr(line, 2, RLENGTH - 1)
        line = substr(line, RLENGTH + 1)
    }
    sub(/^ +/, "", line)
    help = line
    next
}
name != "" && /^      +[^ -]/ {
    line = $0
    sub(/^ +/, "", line)
    help = help " " line
    next
}
{ flush() }
END { flush() }
