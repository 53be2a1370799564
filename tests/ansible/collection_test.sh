#!/usr/bin/env bash
# The collection dezadav.routers driven by ansible-playbook against four emulated routers (both forms,
# one given a wrong password), through the example inventory layout and playbooks:
#   collection_test.sh SOURCE_DIR WORK_DIR COLLECTIONS_PATH DEZADAV_CLI DEZADAV_ROUTERSIM
set -euo pipefail
source_dir=$1 build_dir=$2 collections=$3 cli=$(realpath "$4") sim=$5
command -v ansible-playbook > /dev/null || { echo "ansible-playbook is not installed: skipped"; exit 77; }
examples=$source_dir/ansible/ansible_collections/dezadav/routers/examples
work=$(mktemp -d "$build_dir/ansible-test.XXXXXX")
"$sim" --no-default-routers --router 127.0.0.2,DZV-R5730K --router 127.0.0.3,DZV-R5830K \
    --router 127.0.0.4,DZV-R5730K --router 127.0.0.5,DZV-R5830K --telnet-port 0 --discovery 127.0.0.1:0 \
    --control-stdin > "$work/sim.out" 2>&1 < <(sleep 280) &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
for _ in $(seq 50); do grep -q "^READY" "$work/sim.out" 2>/dev/null && break; sleep 0.1; done
read -r telnet discovery < <(sed -n 's/^READY telnet=\([0-9]*\) discovery=[0-9.]*:\([0-9]*\).*/\1 \2/p' "$work/sim.out")
[ -n "$telnet" ] || { echo "the emulator did not start"; cat "$work/sim.out"; exit 1; }

# Nothing of the run lands in the user's home; dezadav-cli finds the emulator through its environment.
export HOME=$work/home ANSIBLE_HOME=$work/ansible-home ANSIBLE_LOCAL_TEMP=$work/tmp ANSIBLE_REMOTE_TEMP=$work/tmp \
    ANSIBLE_COLLECTIONS_PATH=$collections ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 PYTHONDONTWRITEBYTECODE=1 \
    ANSIBLE_STDOUT_CALLBACK=oneline ANSIBLE_PYTHON_INTERPRETER=auto_silent PATH=$(dirname "$cli"):$PATH \
    DEZADAV_TELNET_PORT=$telnet DEZADAV_DISCOVERY_PORT=$discovery DEZADAV_HISTORY=$work/history
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$source_dir/tests/lsan_suppressions.txt}
unset XDG_CONFIG_HOME
mkdir -p "$HOME" "$work/inventory/group_vars/routers"
cp "$examples/inventory/group_vars/routers/main.yml" "$work/inventory/group_vars/routers/"
cp "$examples/inventory/group_vars/"{north,south}.yml "$work/inventory/group_vars/"
cat > "$work/inventory/hosts.yml" <<'YAML'
routers:
  children:
    north: {hosts: {two-port-a: {ansible_host: 127.0.0.2}, one-port-a: {ansible_host: 127.0.0.3}}}
    south: {hosts: {two-port-b: {ansible_host: 127.0.0.4}, one-port-b: {ansible_host: 127.0.0.5}}}
YAML
printf 'vault_router_passwords: {two-port-a: admin, one-port-a: admin, two-port-b: admin, one-port-b: wrong}\n' \
    > "$work/inventory/group_vars/routers/vault.yml"
echo vault-key > "$work/vault-pass"
ansible-vault encrypt --vault-password-file "$work/vault-pass" "$work/inventory/group_vars/routers/vault.yml" >/dev/null
cat > "$work/facts.yml" <<'YAML'
- hosts: routers
  gather_facts: false
  module_defaults: {group/dezadav.routers.all: {password: "{{ dezadav_password }}"}}
  tasks:
    - dezadav.routers.facts:
    - dezadav.routers.restore: {to: before-last-apply}
      check_mode: true
      diff: true
    - dezadav.routers.settings: {settings: {sip: {ports: [{expiry: "abc"}]}}}
      ignore_errors: true
    - dezadav.routers.settings: {settings: {}, sip_passwords: [s3cret-sip]}
      diff: true
YAML
cp "$examples/registrar.yml" "$work/"
sed "s|/srv/router-backups|$work/backups|" "$examples/nightly-backup.yml" > "$work/nightly-backup.yml"
git init -q "$work/backups" && chmod -R go= "$work/backups/.git/objects"

# Each run's results (one line per host and task; -vvv keeps the diff in them), and every router's
# settings as fetch writes them, for the checks below.
play() {
    local name=$1 playbook=$2; shift 2
    ansible-playbook -vvv -i "$work/inventory" --vault-password-file "$work/vault-pass" "$work/$playbook" "$@" \
        > "$work/$name.out" || true
}
fetch_all() {
    for ip in 127.0.0.2 127.0.0.3 127.0.0.4; do
        DEZADAV_PASSWORD=admin "$cli" fetch --router $ip --format json --output "$work/$1-$ip.json" --no-history
    done
}
fetch_all before
play check registrar.yml -e region=routers --check --diff
fetch_all after-check
play apply registrar.yml -e region=routers --diff
fetch_all after-apply
play again registrar.yml -e region=routers
play facts facts.yml
DEZADAV_PASSWORD=admin "$cli" fetch --router 127.0.0.3 --format json --show-secrets --output "$work/secret.json" --no-history
play backup nightly-backup.yml
play backup-again nightly-backup.yml
for module in settings facts backup restore; do
    ansible-doc "dezadav.routers.$module" > "$work/doc-$module.txt"
done
/usr/bin/python3 - "$work" <<'PY'
import json, re, sys
work = sys.argv[1]
good = {'two-port-a': '127.0.0.2', 'one-port-a': '127.0.0.3', 'two-port-b': '127.0.0.4'}
registrar = {'two-port-a': 'sip-north', 'one-port-a': 'sip-north', 'two-port-b': 'sip-south'}
def results(run, task=0):
    """Each host's result of the run's task-th task, from oneline's "host | STATE => {...}" lines."""
    hosts = {}
    for line in open(f'{work}/{run}.out'):
        found = re.match(r'^(\S+) \| (\S+) => (\{.*\})\s*$', line)
        if found:
            hosts.setdefault(found[1], []).append(dict(json.loads(found[3]), failed=found[2] == 'FAILED!'))
    return {host: tasks[task] for host, tasks in hosts.items() if len(tasks) > task}
def settings(stage, host):
    return json.load(open(f'{work}/{stage}-{good[host]}.json'))
problems = []
def expect(condition, what):
    if not condition: problems.append(what)
for run in ('check', 'apply', 'again'):
    hosts = results(run)
    expect(hosts['one-port-b'].get('failed') and 'Failed to login router!' in hosts['one-port-b']['msg'],
           f'{run}: the wrong password fails its host with the program\'s message: {hosts["one-port-b"]}')
    for host in good:
        r = hosts[host]
        expect(not r.get('failed') and r['changed'] == (run != 'again'), f'{run}: {host} changed: {r}')
for host in good:
    check, old = results('check')[host], settings('before', host)['sip']['registrar']
    new = registrar[host] + '.provider.example.net'
    expect(check['diff']['before'] == f'SIP \u00b7 Registrar: {old}\n' and
           check['diff']['after'] == f'SIP \u00b7 Registrar: {new}\n', f'check mode diff of {host}: {check["diff"]}')
    expect(settings('after-check', host) == settings('before', host), f'check mode changed {host}')
    expected = settings('before', host)
    expected['sip']['registrar'] = new
    expect(settings('after-apply', host) == expected, f'the apply changed more than the registrar on {host}')
    facts = results('facts')[host]['ansible_facts']['dezadav_settings']
    expect(facts == settings('after-apply', host), f'facts of {host} differ from fetch --format json')
    undo = results('facts', 1)[host]
    expect(undo['changed'] and f'Registrar: {old}' in undo['diff']['after'], f'restore --check of {host}: {undo}')
    refused = results('facts', 2)[host]
    expect(refused['failed'] and refused['msg'].startswith('settings.json: /sip/ports/0/expiry: "abc" is not one of'),
           f'a refused document fails {host} with the program\'s message: {refused}')
    secret = results('facts', 3)[host]
    expect(secret['changed'] and 'Password: ********' in secret['diff']['after'], f'a SIP password set on {host}: {secret}')
expect('s3cret-sip' not in open(f'{work}/facts.out').read(), 'a SIP password was shown')
expect(json.load(open(f'{work}/secret.json'))['sip']['ports'][0]['password'] == 's3cret-sip', 'the SIP password was not set')
for run, changed in (('backup', True), ('backup-again', False)):
    r = results(run)['two-port-a']
    expect(r['changed'] == changed == r['committed'] and len(r['routers']) == 4, f'{run}: {r}')
for module in ('settings', 'facts', 'backup', 'restore'):
    expect(f'DEZADAV.ROUTERS.{module.upper()}' in open(f'{work}/doc-{module}.txt').read(), f'ansible-doc {module}')
for problem in problems:
    print('FAIL:', problem)
sys.exit(1 if problems else 0)
PY
echo "the collection passed every check"
