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

# What the completion asked of bash besides its words ("-o nospace"), as bash's compopt would take it.
compopt() { options+="$* "; }

# expect WHAT WANTED FUNCTION WORDS...: completing the last of WORDS with FUNCTION gives WANTED.
expect() {
    local what=$1 wanted=$2 function=$3
    shift 3
    COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMPREPLY=() options=""
    "$function"
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
    [ "$got" = "$wanted" ] || { echo "FAIL $what: got '$got', wanted '$wanted'"; failures=$((failures + 1)); }
}

source "$source_dir/completion/dezadav-cli"
expect "command" "backup " _dezadav_cli "$cli" b
expect "discover's options only" "--broadcast --discovery-port --help --json --wait " _dezadav_cli "$cli" discover --
expect "log's own and shared options" "--help --json --password-file --router --telnet-port --time-scale --transcript " \
    _dezadav_cli "$cli" log --
expect "file name" "$work/office.csv " _dezadav_cli "$cli" apply --input "$work/o"
expect "folder name" "$work/saved " _dezadav_cli "$cli" backup --into "$work/"
cd "$work" || exit 1
expect "diff side" "notes.txt office.csv record: router: saved " _dezadav_cli "$cli" diff office.csv ""
expect "router side" "router: " _dezadav_cli "$cli" diff office.csv rou
[[ $options == *"-o nospace"* ]] || { echo "FAIL router side: a space follows 'router:'"; failures=$((failures + 1)); }
cd - >/dev/null || exit 1
expect "record" "before-last-apply " _dezadav_cli "$cli" restore --to b
if [ -n "$app" ]; then
    source "$source_dir/completion/dezadav"
    expect "window option" "--transcript " _dezadav "$app" --tr
    expect "settings file" "$work/office.csv $work/saved " _dezadav "$app" "$work/"
fi
exit $((failures > 0))
