# bash completion of the morvenda command: its options, the analyses after
# -a/--analysis, the input formats after --input-format, and file names for
# FILE and -o/--output.

_morvenda() {
    local cur prev
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    local analyses="descriptive paired nonpaired pearson spearman ranks"
    local formats="auto wk1 text csv"

    # "=" breaks words: "--analysis=sp" comes as "--analysis" "=" "sp".
    if [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi

    # The value of the option before.
    case $prev in
        -a | --analysis)
            mapfile -t COMPREPLY < <(compgen -W "$analyses" -- "$cur")
            return
            ;;
        --input-format)
            mapfile -t COMPREPLY < <(compgen -W "$formats" -- "$cur")
            return
            ;;
        -o | --output)
            _morvenda_files "$cur"
            return
            ;;
    esac
    case $cur in
        -*)
            mapfile -t COMPREPLY < <(compgen -W "-a --analysis -l --log -y --log-y -x --extra -m --more -o --output
                --input-format --decimal-comma --decimal-point-output --first-row-titles --clipboard -h --help -V --version" -- "$cur")
            return
            ;;
    esac
    _morvenda_files "$cur"
}

# File names, with bash-completion's own helper when it is loaded (it quotes
# names with spaces and marks folders), else with compgen.
_morvenda_files() {
    if declare -F _filedir >/dev/null; then
        cur=$1 _filedir
    else
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$1")
    fi
}

complete -F _morvenda morvenda
