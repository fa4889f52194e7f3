# bash completion for larkspan-cli
#
# Commands, subcommands and options come from the program itself
# ("larkspan-cli --completion [COMMAND]"), so they follow its help text;
# web and profile names come from "web list" and "profile list".

# Prints the words the program offers for a command (global ones without).
_larkspan_cli_offers()
{
    "$_larkspan_cli_program" --completion "$@" 2>/dev/null | cut -f1
}

# Prints the names of the webs ("web") or the profiles ("profile").
_larkspan_cli_names()
{
    "$_larkspan_cli_program" "${_larkspan_cli_home[@]}" --no "$1" list 2>/dev/null </dev/null | cut -f1
}

# Completes the value of an option whose usage names it PLACEHOLDER.
_larkspan_cli_value()
{
    local placeholder=$1 cur=$2
    case $placeholder in
        DIR) COMPREPLY=($(compgen -d -- "$cur")) ;;
        FILE | F | *PATHS*) COMPREPLY=($(compgen -f -- "$cur")) ;;
        W) COMPREPLY=($(compgen -W "$(_larkspan_cli_names web)" -- "$cur")) ;;
        *'|'*) COMPREPLY=($(compgen -W "${placeholder//|/ }" -- "$cur")) ;;
        *) COMPREPLY=() ;;
    esac
}

# Completes the first operand after the command (and its subcommand).
_larkspan_cli_operand()
{
    local command=$1 subcommand=$2 cur=$3
    case "$command $subcommand" in
        "import " | "web show" | "web delete")
            COMPREPLY=($(compgen -W "$(_larkspan_cli_names web)" -- "$cur")) ;;
        "analyse " | "report " | "profile show" | "profile set" | "profile delete" | "profile filter")
            COMPREPLY=($(compgen -W "$(_larkspan_cli_names profile)" -- "$cur")) ;;
        "sample-logs ") COMPREPLY=($(compgen -d -- "$cur")) ;;
        *) COMPREPLY=($(compgen -f -- "$cur")) ;;
    esac
}

_larkspan_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=""
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    _larkspan_cli_program=${COMP_WORDS[0]}
    _larkspan_cli_home=()
    local command="" subcommand="" operands=0 i word
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ -z $command ]]; then
            case $word in
                --home) _larkspan_cli_home=(--home "${COMP_WORDS[i + 1]}"); ((i++)) ;;
                --home=*) _larkspan_cli_home=("$word") ;;
                -*) ;;
                *) command=$word ;;
            esac
        elif [[ $word != -* ]]; then
            if [[ -z $subcommand && $operands -eq 0 ]] && _larkspan_cli_offers "$command" | grep -qx -- "$word"; then
                subcommand=$word
            else
                ((operands++))
            fi
        fi
    done

    local offers
    if [[ -z $command ]]; then
        if [[ $prev == --home ]]; then
            COMPREPLY=($(compgen -d -- "$cur"))
            return
        fi
        offers=$(_larkspan_cli_offers)
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "$(grep -- '^-' <<<"$offers" | cut -d' ' -f1)" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$(grep -v -- '^-' <<<"$offers")" -- "$cur"))
        fi
        return
    fi

    local lines
    lines=$("$_larkspan_cli_program" --completion "$command" 2>/dev/null | cut -f1)
    if [[ $prev == -* ]]; then
        local line
        while IFS= read -r line; do
            if [[ ${line%% *} == "$prev" && $line == *' '* ]]; then
                _larkspan_cli_value "${line#* }" "$cur"
                return
            fi
        done <<<"$lines"
    fi
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(grep -- '^-' <<<"$lines" | cut -d' ' -f1)" -- "$cur"))
        return
    fi
    local subcommands
    subcommands=$(grep -v -- '^-' <<<"$lines")
    if [[ $command == help ]]; then
        ((operands == 0)) && COMPREPLY=($(compgen -W "$subcommands" -- "$cur"))
        return
    fi
    if [[ -n $subcommands && -z $subcommand ]]; then
        COMPREPLY=($(compgen -W "$subcommands" -- "$cur"))
        return
    fi
    if ((operands == 0)); then
        _larkspan_cli_operand "$command" "$subcommand" "$cur"
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}

complete -o filenames -F _larkspan_cli larkspan-cli
