#!/usr/bin/env bash
# The bash completion bulksms-cli prints for itself, driven as bash-completion drives it; its helpers
# (_init_completion, _filedir) are stood in for, so that the test needs no bash-completion package.
#   bash CheckCompletion.sh <completion file>
set -euo pipefail

_init_completion() {
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD - 1]:-}
    words=("${COMP_WORDS[@]}")
    cword=$COMP_CWORD
}
_filedir() { COMPREPLY+=("<files${1:+ $1}>"); }
# shellcheck disable=SC1090
source "$1"

failures=0
expect() {
    local want=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMPREPLY=()
    _bulksms_cli
    local got="${COMPREPLY[*]}"
    if [[ $got != "$want" ]]; then
        echo "completing '$*': got '$got', want '$want'"
        failures=$((failures + 1))
    fi
}

expect "send send-one sent" bulksms-cli se
expect "--help" bulksms-cli --he
expect "--timing" bulksms-cli send --ti
expect "fast standard" bulksms-cli send-one --timing ""
expect "xls xlsx" bulksms-cli export-sent --format x
expect "<files -d>" bulksms-cli sent --data ""
expect "<files>" bulksms-cli workbook ""
expect "--json" bulksms-cli workbook --j
expect "" bulksms-cli export-sent --from ""
expect "" bulksms-cli no-such-command --
exit $((failures > 0))
