# bash completion for zanvero-cli

_zanvero_cli() {
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
        --format)
            COMPREPLY=($(compgen -W 'html csv sql' -- "$cur"))
            return
            ;;
        --output)
            # A directory for html, a file for csv and sql.
            _filedir
            return
            ;;
        --head-text)
            _filedir
            return
            ;;
        --compare)
            _filedir cxf
            return
            ;;
        --charset)
            COMPREPLY=($(compgen -W 'windows-1252 utf-8' -- "$cur"))
            return
            ;;
        --exclude)
            # A comma-separated list: complete the item after the last comma.
            local items='channel-uf channel-vpid transponder-uf satellite-uf all'
            local done_part=
            [[ $cur == *,* ]] && done_part=${cur%,*},
            COMPREPLY=($(compgen -P "$done_part" -W "$items" -- "${cur##*,}"))
            [[ ${#COMPREPLY[@]} -eq 1 ]] && compopt -o nospace
            return
            ;;
        --decimal-separator)
            COMPREPLY=($(compgen -W '. ,' -- "$cur"))
            return
            ;;
        -h | --help | -v | --version)
            return
            ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--format --output --exclude --decimal-separator
            --head-text --charset --literal-names --compare --help --version' -- "$cur"))
        return
    fi
    _filedir cxf
} &&
    complete -F _zanvero_cli zanvero-cli
