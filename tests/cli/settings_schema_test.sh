#!/usr/bin/env bash
# Every settings document the program writes validates against the shipped JSON Schema: both router
# forms, with and without the SIP passwords, as fetch writes them from the emulator.
#   settings_schema_test.sh SOURCE_DIR DEZADAV_CLI DEZADAV_ROUTERSIM
set -euo pipefail
source_dir=$1 cli=$2 sim=$3
work=$(mktemp -d)
"$sim" --telnet-port 0 --discovery 127.0.0.1:0 --control-stdin > "$work/sim.out" 2>&1 < <(sleep 60) &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do grep -q "^READY" "$work/sim.out" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/^READY telnet=\([0-9]*\).*/\1/p' "$work/sim.out")
[ -n "$port" ] || { echo "the emulator did not start"; cat "$work/sim.out"; exit 1; }
export DEZADAV_PASSWORD=admin
for router in 127.0.0.2,DZV-R5730K 127.0.0.3,DZV-R5830K; do
    for secrets in "" --show-secrets; do
        "$cli" fetch --router "${router%,*}" --model "${router#*,}" --telnet-port "$port" --no-history \
            --format json $secrets --output "$work/${router%,*}$secrets.json"
    done
done
/usr/bin/python3 - "$source_dir/docs/dezadav-settings.schema.json" "$work"/*.json <<'PY'
import json, sys
import jsonschema
schema = json.load(open(sys.argv[1]))
jsonschema.Draft202012Validator.check_schema(schema)
for path in sys.argv[2:]:
    jsonschema.Draft202012Validator(schema).validate(json.load(open(path)))
print(len(sys.argv) - 2, "documents valid")
PY
