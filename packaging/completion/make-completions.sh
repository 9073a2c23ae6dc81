#!/bin/sh
# Writes the zsh and fish completions of quellbit-cli from the program's own
# help, read through help-words.awk as the bash completion reads it: the
# commands with their summaries, and each command's options with their
# values and help, so that no shell can offer other than the program takes.
# What the help does not say is known here: which files each command takes,
# and the values of --dither.
#
# usage: make-completions.sh QUELLBIT-CLI HELP-WORDS.awk ZSH-OUT FISH-OUT
set -euf # no file name expansion: "*" stands for every operand
cli=$1
words=$2
zsh_out=$3
fish_out=$4

# Lines "KIND<TAB>NAME<TAB>..." of the help of COMMAND ("" for the program).
help_words() { LC_ALL=C "$cli" ${1:+"$1"} --help | awk -f "$words"; }
# The same, fields split by the unit separator (which, unlike a tab, is no
# white space to `read`, so an empty field stays a field).
us=$(printf '\037')
fields() { help_words "$1" | tr '\t' "$us"; }
commands=$(help_words '' | awk -F '\t' '$1 == "command" { print $2 }')
[ -n "$commands" ] || { echo "make-completions.sh: '$cli --help' lists no commands" >&2; exit 1; }

# The file name extensions of a command's operands (operand 1, 2, or "*"
# for every one) and of its -o, as "EXT|EXT"; "" for any file.
operand_kinds() { # COMMAND OPERAND
    case $1:$2 in
        convert:*) echo 'bmp' ;;
        check:1) echo 'bmp' ;;
        check:2 | render:1) echo 'txt|inc|asm' ;;
        info:1 | prepare:*) echo 'png|jpg|jpeg|gif|webp|bmp|pbm|pgm|ppm|pnm' ;;
        *) echo '' ;;
    esac
}
operands() { # COMMAND: the operands that take files, "*" for any number
    case $1 in
        convert | prepare) echo '*' ;;
        check) echo '1 2' ;;
        *) echo '1' ;;
    esac
}
output_kinds() { # COMMAND
    case $1 in
        render) echo 'png|bmp' ;;
        prepare) echo 'bmp' ;;
        *) echo '' ;;
    esac
}
# The values an option takes, "" when it takes any (a number, a name).
option_values() { # OPTION VALUE-NAME
    case $1 in
        --dither) echo 'floyd-steinberg atkinson bayer' ;;
        *) case $2 in *'|'*) echo "$2" | tr '|' ' ' ;; *) echo '' ;; esac ;;
    esac
}
# TEXT quoted for a shell's single quotes.
quoted() { printf '%s' "$1" | sed "s/'/'\\\\''/g"; }

# --- zsh --------------------------------------------------------------------
zsh_files() { # KINDS
    if [ -n "$1" ]; then echo "_files -g \"*.(#i)($1)(-.)\""; else echo '_files'; fi
}
# The _arguments lines of COMMAND's options.
zsh_options() { # COMMAND
    fields "$1" | awk -F "$us" '$1 == "option"' | while IFS="$us" read -r kind name value text; do
        case $name in --*) ;; *) continue ;; esac
        short=$(help_words "$1" | awk -F '\t' -v t="$text" -v v="$value" \
            '$1 == "option" && $2 !~ /^--/ && $3 == v && $4 == t { print $2; exit }')
        description=$(quoted "$(printf '%s' "$text" | sed 's/[][\\]/\\&/g')")
        case $name in
            --help | --version) exclusive="'(- *)'" ;;
            *) exclusive="'(${short:+$short }$name)'" ;;
        esac
        if [ -z "$value" ]; then
            names=${short:+"{$short,$name}"}
            printf "        %s%s'[%s]' \\\\\n" "$exclusive" "${names:-"'$name'"}" "$description"
            continue
        fi
        values=$(option_values "$name" "$value")
        if [ "$name" = --output ]; then
            action=$(zsh_files "$(output_kinds "$1")")
        elif [ -n "$values" ]; then
            action="($values)"
        else
            action=' '
        fi
        names=${short:+"{$short+,$name=}"}
        printf "        %s%s'[%s]:%s:%s' \\\\\n" "$exclusive" "${names:-"'$name='"}" "$description" \
            "$(quoted "$value")" "$(quoted "$action")"
    done
}
{
    echo '#compdef quellbit-cli'
    echo '# zsh completion for quellbit-cli, made from its help by make-completions.sh'
    echo '# when the package is built.'
    echo
    echo '_quellbit-cli() {'
    echo '    local -a commands=('
    fields '' | awk -F "$us" '$1 == "command"' | while IFS="$us" read -r kind name text; do
        printf "        '%s:%s'\n" "$name" "$(quoted "$text")"
    done
    echo '    )'
    echo '    if (( CURRENT == 2 )); then'
    echo '        if [[ $PREFIX == -* ]]; then'
    echo '            _arguments -s \'
    zsh_options ''
    echo '                && return'
    echo '        else'
    echo '            _describe -t commands command commands'
    echo '        fi'
    echo '        return'
    echo '    fi'
    echo '    local command=$words[2]'
    echo '    shift words'
    echo '    (( CURRENT-- ))'
    echo '    case $command in'
    for command in $commands; do
        echo "    $command)"
        echo '        _arguments -s -S \'
        zsh_options "$command"
        for operand in $(operands "$command"); do
            what=picture
            case $(operand_kinds "$command" "$operand") in txt*) what='data file' ;; esac
            printf "        '%s:%s:%s' \\\\\n" "$operand" "$what" \
                "$(quoted "$(zsh_files "$(operand_kinds "$command" "$operand")")")"
        done
        echo '        ;;'
    done
    echo '    esac'
    echo '}'
    echo
    echo '_quellbit-cli "$@"'
} >"$zsh_out"

# --- fish -------------------------------------------------------------------
fish_files() { # KINDS
    echo "(__quellbit_cli_files $(echo "$1" | tr '|' ' '))"
}
{
    echo '# fish completion for quellbit-cli, made from its help by make-completions.sh'
    echo '# when the package is built.'
    echo
    echo '# The command given so far: the first word after the program that is no option.'
    echo 'function __quellbit_cli_command'
    echo '    for word in (commandline -opc)[2..-1]'
    echo "        string match -q -- '-*' \$word; or begin; echo \$word; return 0; end"
    echo '    end'
    echo '    return 1'
    echo 'end'
    echo
    echo '# Whether the command is COMMAND and the word completed is its operand'
    echo '# number OPERAND ("*" any): the words after the command that are neither'
    echo '# options nor the values of options.'
    echo 'function __quellbit_cli_operand -a command operand'
    echo '    test "$(__quellbit_cli_command)" = $command; or return 1'
    echo '    test $operand = "*"; and return 0'
    echo '    set -l count 0'
    echo '    set -l words (commandline -opc)'
    echo '    set -l at (contains -i -- $command $words)'
    echo '    set -l skip 0'
    echo '    for word in $words[(math $at + 1)..-1]'
    echo '        if test $skip = 1'
    echo '            set skip 0'
    echo "        else if string match -qr -- '^(-o|--output|--format|--dither|--threshold|--crop|--frame)\$' \$word"
    echo '            set skip 1'
    echo "        else if not string match -q -- '-*' \$word"
    echo '            set count (math $count + 1)'
    echo '        end'
    echo '    end'
    echo '    test (math $count + 1) = $operand'
    echo 'end'
    echo
    echo '# The folders, and the files whose names end in one of the extensions'
    echo '# given (any letter case; every file when none is given), that begin'
    echo '# with the word being completed.'
    echo 'function __quellbit_cli_files'
    echo '    set -l pattern "\\.("(string join "|" $argv)")\$"'
    echo '    for file in (commandline -ct)*'
    echo '        if test -d $file'
    echo '            echo $file/'
    echo '        else if test (count $argv) = 0; or string match -qri -- $pattern $file'
    echo '            echo $file'
    echo '        end'
    echo '    end'
    echo 'end'
    echo
    echo 'complete -c quellbit-cli -f'
    fields '' | awk -F "$us" '$1 == "command"' | while IFS="$us" read -r kind name text; do
        printf "complete -c quellbit-cli -n 'not __quellbit_cli_command' -a %s -d '%s'\n" "$name" "$(quoted "$text")"
    done
    for command in '' $commands; do
        if [ -z "$command" ]; then
            condition='not __quellbit_cli_command'
        else
            condition="test \"\$(__quellbit_cli_command)\" = $command"
        fi
        fields "$command" | awk -F "$us" '$1 == "option" && $2 ~ /^--/' |
            while IFS="$us" read -r kind name value text; do
                short=$(help_words "$command" | awk -F '\t' -v t="$text" -v v="$value" \
                    '$1 == "option" && $2 !~ /^--/ && $3 == v && $4 == t { print substr($2, 2); exit }')
                line="complete -c quellbit-cli -n '$(quoted "$condition")'${short:+ -s $short} -l ${name#--}"
                if [ -n "$value" ]; then
                    values=$(option_values "$name" "$value")
                    if [ "$name" = --output ]; then
                        line="$line -x -a '$(fish_files "$(output_kinds "$command")")'"
                    elif [ -n "$values" ]; then
                        line="$line -x -a '$values'"
                    else
                        line="$line -x"
                    fi
                fi
                echo "$line -d '$(quoted "$text")'"
            done
        [ -n "$command" ] || continue
        for operand in $(operands "$command"); do
            printf "complete -c quellbit-cli -n '__quellbit_cli_operand %s %s' -a '%s'\n" "$command" \
                "$(quoted "'$operand'")" "$(fish_files "$(operand_kinds "$command" "$operand")")"
        done
    done
} >"$fish_out"
