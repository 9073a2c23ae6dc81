# bash completion for quellbit-cli                         -*- shell-script -*-
#
# The commands and each command's options are read from the program's own
# help, so they cannot drift from it; what follows an option and which files
# a command takes are known here (and in make-completions.sh, which makes
# the zsh and fish completions from the same help).

# The first words (after the name of the program, if it is repeated) of the
# lines under the heading "Commands:" of --help, as far as the next line that
# is not indented; wrapped lines are indented deeper.
_quellbit_cli_commands()
{
    LC_ALL=C "$(dequote "$1")" --help 2>/dev/null | awk '
        tolower($0) ~ /^[a-z ]*commands?:?$/ { on = 1; indent = 0; next }
        on && /^[^ ]/ { on = 0 }
        on && /^ +[^ ]/ {
            match($0, /^ +/)
            if (!indent) indent = RLENGTH
            word = $1 == "quellbit-cli" ? $2 : $1
            if (RLENGTH == indent && word ~ /^[a-z][a-z0-9-]*$/) print word
        }'
}

_quellbit_cli()
{
    local cur prev words cword split
    _init_completion -s || return

    # The command is the first word after the program that is no option (no
    # option before the command takes a value).
    local i command='' at=0
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} != -* ]]; then
            command=${words[i]}
            at=$i
            break
        fi
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '$(_parse_help "$1")' -- "$cur"))
        else
            COMPREPLY=($(compgen -W '$(_quellbit_cli_commands "$1")' -- "$cur"))
        fi
        return
    fi

    # The value of an option.
    case $prev in
        -o | --output)
            case $command in
                render) _filedir '@(png|bmp)' ;;
                prepare) _filedir bmp ;;
                *) _filedir ;;
            esac
            return
            ;;
        --format)
            COMPREPLY=($(compgen -W 'png bmp' -- "$cur"))
            return
            ;;
        --dither)
            COMPREPLY=($(compgen -W 'floyd-steinberg atkinson bayer' -- "$cur"))
            return
            ;;
        --threshold | --crop | --frame)
            return # a number, or X,Y
            ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '$(_parse_help "$1" "$command --help")' -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
        return
    fi

    # Which operand this is, counting the words after the command that are
    # neither options nor option values.
    local operand=0
    for ((i = at + 1; i < cword; i++)); do
        case ${words[i]} in
            -o | --output | --format | --dither | --threshold | --crop | --frame) ((i++)) ;;
            -*) ;;
            *) ((operand++)) ;;
        esac
    done

    case $command in
        convert) _filedir bmp ;;
        info) ((operand == 0)) && _filedir '@(png|jpg|jpeg|gif|webp|bmp|pbm|pgm|ppm|pnm)' ;;
        render) ((operand == 0)) && _filedir '@(txt|inc|asm)' ;;
        check)
            case $operand in
                0) _filedir bmp ;;
                1) _filedir '@(txt|inc|asm)' ;;
            esac
            ;;
        prepare) _filedir '@(png|jpg|jpeg|gif|webp|bmp|pbm|pgm|ppm|pnm)' ;;
        *) _filedir ;;
    esac
} &&
    complete -F _quellbit_cli quellbit-cli

# ex: filetype=sh
