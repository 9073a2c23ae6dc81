#!/usr/bin/env bash
# Checks the Debian packages that `make package` builds, as a user meets them:
#  - lintian finds no error and no warning in either;
#  - each package holds its files, and no file is in both;
#  - quellbit-cli needs no desktop library (Qt, X11, GL, ICU), neither in its
#    Depends nor when it runs; the same test must find them in quellbit;
#  - both programs have the hardening features of dpkg-buildflags (hardening-check);
#  - the manual pages show without warnings, and quellbit-cli's has a part
#    for every command the program has;
#  - the desktop entry and the AppStream metainfo validate without a remark;
#  - the unpacked quellbit-cli writes the same bytes as the build tree's for
#    every sample picture;
#  - the bash, zsh and fish completions each offer the program's commands,
#    each command's options, the values of --format and --dither, and the
#    right files.
# Every check runs; the failures are listed at the end.
#
# usage: check-package.sh TREE-QUELLBIT-CLI PACKAGE.deb...
set -uo pipefail

if [ $# -lt 2 ]; then
    echo "usage: check-package.sh TREE-QUELLBIT-CLI PACKAGE.deb..." >&2
    exit 2
fi
tree_cli=$(realpath "$1")
shift
here=$(dirname "$(realpath "$0")")

failures=()
fail() {
    echo "package check: FAIL: $*" >&2
    failures+=("$*")
}
ok() { echo "package check: ok: $*"; }

for need in lintian:lintian man:man-db desktop-file-validate:desktop-file-utils \
            appstreamcli:appstream dpkg-deb:dpkg hardening-check:devscripts zsh:zsh fish:fish; do
    command -v "${need%%:*}" >/dev/null || { echo "package check: needs ${need%%:*} (Debian package ${need#*:})" >&2; exit 2; }
done
completion_lib=/usr/share/bash-completion/bash_completion
[ -r $completion_lib ] || { echo "package check: needs bash-completion (Debian package bash-completion)" >&2; exit 2; }

cli_deb=''
gui_deb=''
for deb in "$@"; do
    case $(dpkg-deb -f "$deb" Package) in
        quellbit-cli) cli_deb=$deb ;;
        quellbit) gui_deb=$deb ;;
        *) fail "$deb: not a package of ours" ;;
    esac
done
[ -n "$cli_deb" ] || { echo "package check: no quellbit-cli package among: $*" >&2; exit 2; }

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

# --- lintian ---------------------------------------------------------------
if report=$(lintian --fail-on error,warning "$@" 2>&1); then
    ok "lintian: no error, no warning"
else
    fail "lintian:"$'\n'"$report"
fi
grep -v 'root privileges' <<<"$report" | sed 's/^/    /'

# --- what each package holds -------------------------------------------------
contents() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print substr($6, 3)}' | sort; }
expect_files() { # DEB FILE...: each FILE is in the package
    local deb=$1 listed missing=()
    shift
    listed=$(contents "$deb")
    for f in "$@"; do grep -qx -- "$f" <<<"$listed" || missing+=("$f"); done
    if [ ${#missing[@]} -eq 0 ]; then
        ok "$(basename "$deb") holds its $# files"
    else
        fail "$(basename "$deb") lacks ${missing[*]}"
    fi
}
expect_files "$cli_deb" usr/bin/quellbit-cli usr/share/man/man1/quellbit-cli.1.gz \
    usr/share/bash-completion/completions/quellbit-cli usr/share/zsh/vendor-completions/_quellbit-cli \
    usr/share/fish/vendor_completions.d/quellbit-cli.fish \
    usr/share/doc/quellbit-cli/copyright usr/share/doc/quellbit-cli/changelog.gz
if [ -n "$gui_deb" ]; then
    expect_files "$gui_deb" usr/bin/quellbit usr/share/man/man1/quellbit.1.gz \
        usr/share/applications/org.quellbit.quellbit.desktop \
        usr/share/metainfo/org.quellbit.quellbit.metainfo.xml \
        usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128}/apps/quellbit.png \
        usr/share/doc/quellbit/copyright usr/share/doc/quellbit/changelog.gz
    contents "$gui_deb" | grep -q '^usr/share/quellbit/samples/.*\.bmp$' || fail "quellbit holds no sample picture"
    both=$(comm -12 <(contents "$cli_deb") <(contents "$gui_deb"))
    [ -z "$both" ] || fail "files in both packages: $both"
    [ "$(dpkg-deb -f "$gui_deb" Recommends)" = quellbit-cli ] || fail "quellbit does not recommend quellbit-cli"
    dpkg-deb -f "$gui_deb" Depends | grep -qw qt6-qpa-plugins || fail "quellbit does not depend on qt6-qpa-plugins"
fi
for deb in "$@"; do dpkg-deb -x "$deb" "$root"; done
cli=$root/usr/bin/quellbit-cli

# --- no desktop libraries in the command line ---------------------------------
desktop_pattern='^(libqt|qt[56]-|libx11|libxcb|libxkbcommon|libxext|libxrender|libxi[0-9]|libsm[0-9]|libice[0-9]|libgl[0-9]|libglx|libgles|libglvnd|libegl|libopengl|libicu)'
desktop_depends() { # the Depends entries of DEB that are desktop libraries
    dpkg-deb -f "$1" Depends | tr ',|' '\n\n' | sed 's/([^)]*)//; s/:any//; s/^ *//; s/ *$//' |
        grep -iE "$desktop_pattern" | sort -u | tr '\n' ' '
}
desktop_loaded() { # the desktop libraries PROGRAM loads
    ldd "$1" | awk '{print $1}' | grep -iE '^lib(qt|x11|xcb|xkbcommon|gl[^i]|glx|egl|opengl|icu)' | sort -u | tr '\n' ' '
}
found="$(desktop_depends "$cli_deb")$(desktop_loaded "$cli")"
if [ -z "$found" ]; then
    ok "quellbit-cli needs no desktop library: Depends: $(dpkg-deb -f "$cli_deb" Depends)"
else
    fail "quellbit-cli needs desktop libraries: $found"
fi
# Each program built with the hardening features of Debian's own flags
# (dpkg-buildflags): position-independent, stack protector, fortified
# functions, read-only relocations, immediate binding. Control-flow
# protection is no flag of Debian 12's and is not asked for. The window makes
# no C library call whose buffer size the compiler knows (its reads, copies
# and links go through sizes known only at run time), so it has no fortified
# function to show; the command line, built with the same flags, shows them.
for program in "$root"/usr/bin/*; do
    options=(--nocfprotection)
    [ "$(basename "$program")" = quellbit ] && options+=(--nofortify)
    if verdict=$(hardening-check "${options[@]}" "$program" 2>&1); then
        ok "$(basename "$program") is hardened ($(grep -c ': yes' <<<"$verdict") features: $(grep ': yes' <<<"$verdict" | sed 's/^ *//; s/: yes.*//' | paste -sd, -))"
    else
        fail "$(basename "$program") is not hardened: $(grep -v ': yes' <<<"$verdict" | tr '\n' ' ')"
    fi
done
# The same test on the window, which must need them, shows that it sees them.
if [ -n "$gui_deb" ]; then
    gui_depends=$(desktop_depends "$gui_deb")
    gui_loaded=$(desktop_loaded "$root/usr/bin/quellbit")
    if grep -q libqt6widgets6 <<<"$gui_depends" && grep -q libQt6Widgets <<<"$gui_loaded" \
        && grep -q libicu <<<"$gui_loaded" && grep -q libxcb <<<"$gui_loaded"; then
        ok "the same test finds the window's desktop libraries: $gui_depends"
    else
        fail "the desktop library test misses the window's: Depends: $gui_depends; loaded: $gui_loaded"
    fi
fi

# --- manual pages ----------------------------------------------------------------
for page in "$root"/usr/share/man/man1/*.1.gz; do
    name=$(basename "$page" .1.gz)
    text=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$page" 2>"$root/warnings")
    if [ -s "$root/warnings" ] || [ "$(wc -l <<<"$text")" -lt 20 ]; then
        fail "$name(1) shows with warnings or hardly any text: $(cat "$root/warnings")"
    else
        ok "$name(1): $(wc -l <<<"$text") lines, no warnings"
    fi
done
# The commands the program has, of those it has had or is to have.
commands=()
for command in convert render check info prepare; do
    "$cli" "$command" --help >/dev/null 2>&1 && commands+=("$command")
done
page=$(zcat "$root/usr/share/man/man1/quellbit-cli.1.gz")
for command in "${commands[@]}"; do
    grep -qx ".SS \"$command\"" <<<"$page" || fail "quellbit-cli(1) has no part for $command"
done
for section in COMMANDS '"DATA FILE FORMAT"' '"EXIT STATUS"' EXAMPLES; do
    grep -qx ".SH $section" <<<"$page" || fail "quellbit-cli(1) has no section $section"
done

# --- desktop entry and metainfo ----------------------------------------------------
if [ -n "$gui_deb" ]; then
    desktop=$root/usr/share/applications/org.quellbit.quellbit.desktop
    if remarks=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$remarks" ]; then
        ok "desktop entry validates without a remark"
    else
        fail "desktop-file-validate: $remarks"
    fi
    metainfo=$root/usr/share/metainfo/org.quellbit.quellbit.metainfo.xml
    if remarks=$(appstreamcli validate --no-net --strict "$metainfo" 2>&1); then
        ok "metainfo validates: $(tail -n 1 <<<"$remarks")"
    else
        fail "appstreamcli validate: $remarks"
    fi
fi

# --- the unpacked command line against the build tree's ------------------------------
if [ -n "$gui_deb" ]; then
    samples=("$root"/usr/share/quellbit/samples/*.bmp)
else
    samples=("$here"/../samples/*.bmp)
fi
[ "$("$cli" --version)" = "$("$tree_cli" --version)" ] || fail "--version differs: $("$cli" --version)"
compared=0
for picture in "${samples[@]}"; do
    name=$(basename "$picture" .bmp)
    for mode in normal inverse; do
        flag=()
        [ $mode = inverse ] && flag=(--inverse)
        "$cli" convert "${flag[@]}" -o "$root/$name.$mode.txt" "$picture" >/dev/null
        "$tree_cli" convert "${flag[@]}" -o "$root/$name.$mode.tree.txt" "$picture" >/dev/null
        if ! cmp -s "$root/$name.$mode.txt" "$root/$name.$mode.tree.txt"; then
            fail "$name.bmp ($mode): the unpacked quellbit-cli writes other bytes than the build tree's"
        elif [ "$(stat -c %s "$root/$name.$mode.txt")" -ne 21600 ]; then
            fail "$name.bmp ($mode): data file of $(stat -c %s "$root/$name.$mode.txt") bytes, not 21600"
        elif ! "$cli" check -q "${flag[@]}" "$picture" "$root/$name.$mode.txt" >/dev/null; then
            fail "$name.bmp ($mode): check does not pass the data file just written"
        else
            compared=$((compared + 1))
        fi
    done
    "$cli" render -o "$root/$name.png" "$root/$name.normal.txt" >/dev/null
    "$tree_cli" render -o "$root/$name.tree.png" "$root/$name.normal.txt" >/dev/null
    cmp -s "$root/$name.png" "$root/$name.tree.png" || fail "$name.bmp: render writes another PNG than the build tree's"
    cmp -s <("$cli" info "$picture") <("$tree_cli" info "$picture") || fail "$name.bmp: info says other things"
done
[ $compared -gt 0 ] && ok "the unpacked quellbit-cli writes the build tree's bytes: $compared data files of ${#samples[@]} sample pictures"

# --- completions ----------------------------------------------------------------------
# Completes LINE as SHELL would at its end and prints the offers, sorted, on
# one line.
complete_line() { # SHELL LINE
    case $1 in
    bash)
        (cd "$root/files" && PATH="$root/usr/bin:$PATH" bash -c '
            . '"$completion_lib"'
            . "$1"
            read -ra COMP_WORDS <<<"$2"
            [[ $2 == *" " ]] && COMP_WORDS+=("")
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
            COMP_LINE=$2
            COMP_POINT=${#2}
            _quellbit_cli quellbit-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
            printf "%s\n" "${COMPREPLY[@]}"' sh "$root/usr/share/bash-completion/completions/quellbit-cli" "$2" 2>/dev/null) |
            sort | tr '\n' ' ' | sed 's/ $//'
        ;;
    zsh)
        (cd "$root/files" && PATH="$root/usr/bin:$PATH" timeout 30 zsh -f "$here/completion/zsh-offers.zsh" \
            "$root/usr/share/zsh/vendor-completions" "$2" 2>/dev/null)
        ;;
    fish)
        # Folders are offered with their slash.
        (cd "$root/files" && PATH="$root/usr/bin:$PATH" fish --no-config -c \
            'source $argv[1]; complete -C $argv[2]' "$root/usr/share/fish/vendor_completions.d/quellbit-cli.fish" "$2" \
            2>/dev/null) | cut -f1 | sed 's|/$||' | sort | tr '\n' ' ' | sed 's/ $//'
        ;;
    esac
}
expect_offers() { # SHELL LINE EXPECTED
    local got
    got=$(complete_line "$1" "$2")
    if [ "$got" = "$3" ]; then
        ok "$1 completion of \"$2\": $got"
    else
        fail "$1 completion of \"$2\" offers \"$got\", not \"$3\""
    fi
}
mkdir -p "$root/files/sub"
touch "$root"/files/{a.bmp,B.BMP,lcd_a.txt,photo.png,photo.JPG,notes.md}
for shell in bash zsh fish; do
    expect_offers $shell "quellbit-cli " "$(printf '%s\n' "${commands[@]}" | sort | tr '\n' ' ' | sed 's/ $//')"
    expect_offers $shell "quellbit-cli convert " "B.BMP a.bmp sub"
    expect_offers $shell "quellbit-cli check a.bmp " "lcd_a.txt sub"
    expect_offers $shell "quellbit-cli render " "lcd_a.txt sub"
    expect_offers $shell "quellbit-cli render -o " "B.BMP a.bmp photo.png sub"
    expect_offers $shell "quellbit-cli render --format " "bmp png"
    if [[ " ${commands[*]} " == *" prepare "* ]]; then
        expect_offers $shell "quellbit-cli prepare " "B.BMP a.bmp photo.JPG photo.png sub"
        expect_offers $shell "quellbit-cli prepare --dither " "atkinson bayer floyd-steinberg"
    fi
done
# Past the last operand bash offers nothing, and zsh the options that are left.
expect_offers bash "quellbit-cli check a.bmp lcd_a.txt " ""
# Every long option the program's help and each command's lists is offered
# after "--", by every shell.
for shell in bash zsh fish; do
    missing=()
    options=0
    for command in '' "${commands[@]}"; do
        offered=" $(complete_line $shell "quellbit-cli ${command:+$command }--") "
        for option in $("$cli" $command --help | grep -oE '^ +(-[A-Za-z0-9], ?)?--[a-z][a-z0-9-]*' | grep -oE -- '--[a-z][a-z0-9-]*'); do
            options=$((options + 1))
            # An option that takes a value is offered as "--output=" by bash.
            [[ $offered == *" $option "* || $offered == *" $option= "* ]] || missing+=("quellbit-cli ${command:+$command }$option")
        done
    done
    if [ $options -eq 0 ]; then
        fail "no option found in the help of quellbit-cli and its commands"
    elif [ ${#missing[@]} -eq 0 ]; then
        ok "$shell completion offers all $options options of the help of quellbit-cli and its ${#commands[@]} commands"
    else
        fail "$shell completion does not offer ${missing[*]}"
    fi
done

if [ ${#failures[@]} -eq 0 ]; then
    echo "package check: all passed ($(for d in "$@"; do basename "$d"; done | tr '\n' ' '))"
    exit 0
fi
echo "package check: ${#failures[@]} failed:" >&2
printf '  - %s\n' "${failures[@]}" >&2
exit 1
