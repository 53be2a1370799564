#!/usr/bin/env bash
# The bash completion of both programs: commands, a command's own options, file names.
#   completion_test.sh SOURCE_DIR DEZADAV_CLI [DEZADAV]
set -u
source_dir=$1 cli=$2 app=${3:-}
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
touch "$work/office.csv" "$work/notes.txt"
mkdir "$work/saved"

# Completes the words given (the last one being completed) with the function named first.
complete_words() {
    local function=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMPREPLY=()
    "$function"
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}

expect() {
    local what=$1 got=$2 wanted=$3
    if [ "$got" != "$wanted" ]; then
        echo "FAIL $what: got '$got', wanted '$wanted'"
        failures=$((failures + 1))
    fi
}

source "$source_dir/completion/dezadav-cli"
expect "command" "$(complete_words _dezadav_cli "$cli" b)" "backup "
expect "fetch option" "$(complete_words _dezadav_cli "$cli" fetch --ou)" "--output "
expect "discover options" "$(complete_words _dezadav_cli "$cli" discover --)" "--broadcast --discovery-port --help --wait "
expect "file name" "$(complete_words _dezadav_cli "$cli" apply --input "$work/o")" "$work/office.csv "
expect "folder name" "$(complete_words _dezadav_cli "$cli" backup --into "$work/")" "$work/saved "

if [ -n "$app" ]; then
    source "$source_dir/completion/dezadav"
    expect "window option" "$(complete_words _dezadav "$app" --tr)" "--transcript "
    expect "settings file" "$(complete_words _dezadav "$app" "$work/")" "$work/office.csv $work/saved "
fi
exit $((failures > 0))
