#!/usr/bin/env bash
# Runs the bash completion of zanvero-cli on typed command lines and compares
# the offered words.
#   CompletionTest.bash COMPLETION-SCRIPT
set -uo pipefail

source /usr/share/bash-completion/bash_completion
source "$1"
# Outside a real completion bash refuses compopt; what it sets is not compared.
compopt() { :; }
cd "$(mktemp -d)" || exit 1
touch a.cxf b.txt
mkdir dir

failures=0
# Completes the last word of the line; the offered words, sorted, on one line.
offered() {
    read -ra COMP_WORDS <<<"$1"
    [[ $1 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$1
    COMP_POINT=${#1}
    COMPREPLY=()
    _zanvero_cli zanvero-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}
expect() {
    local got
    got=$(offered "$1")
    if [[ $got != "$2" ]]; then
        echo "FAIL: '$1' offered '$got', expected '$2'"
        failures=$((failures + 1))
    fi
}

expect "zanvero-cli --format " "csv html sql"
expect "zanvero-cli --format h" "html"
expect "zanvero-cli --charset " "utf-8 windows-1252"
expect "zanvero-cli --exclude ch" "channel-uf channel-vpid"
expect "zanvero-cli --exclude channel-uf,s" "channel-uf,satellite-uf"
expect "zanvero-cli --exclude=t" "transponder-uf"
expect "zanvero-cli --de" "--decimal-separator"
expect "zanvero-cli --h" "--head-text --help"
expect "zanvero-cli --l" "--literal-names"
expect "zanvero-cli --literal-names " "a.cxf dir"
expect "zanvero-cli --format csv --output - " "a.cxf dir"
expect "zanvero-cli --head-text " "a.cxf b.txt dir"
expect "zanvero-cli --compare " "a.cxf dir"
expect "zanvero-cli --co" "--compare"

[[ $failures -eq 0 ]] && echo "all completions as expected"
exit $((failures > 0))
