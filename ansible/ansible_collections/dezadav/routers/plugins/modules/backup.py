# Backs up routers' settings into a folder or a git work tree, through dezadav-cli backup.
from __future__ import annotations

DOCUMENTATION = r'''
module: backup
short_description: Back up routers' VoIP settings into a folder or a git work tree
description:
  - Backs up one router, or all the routers given in O(routers) in one run, as C(dezadav-cli backup --json) does,
    into C(<MAC>.csv) (or C(<MAC>.json)) files of a folder, with their C(index.tsv). When the folder is the top
    of a git work tree, the run ends with one commit there.
  - Changed only when a router's file changed. In check mode nothing is read or written.
  - Many hosts backing up into one folder at the same time would each rewrite its index and commit; back up
    the hosts of a play with one task instead, C(run_once) with O(routers) and O(passwords).
version_added: 1.0.0
extends_documentation_fragment: dezadav.routers.router
options:
  into:
    description:
      - The backup folder; created when missing.
    type: path
    required: true
  routers:
    description:
      - Several routers backed up in one run (and one commit), instead of O(router).
    type: list
    elements: str
  passwords:
    description:
      - Passwords of their own for routers of O(routers), by IP address or MAC address; the others use O(password).
    type: dict
  format:
    description:
      - C(csv) (the settings file) or C(json) (the settings document, without the SIP passwords).
    type: str
    choices: [csv, json]
    default: csv
author:
  - Dezadav developers
'''

EXAMPLES = r'''
- name: Nightly backup of every router of the play, one commit
  dezadav.routers.backup:
    into: /srv/router-backups
    routers: "{{ ansible_play_hosts | map('extract', hostvars, 'ansible_host') | list }}"
    passwords: "{{ dict(ansible_play_hosts | map('extract', hostvars, 'ansible_host')
                   | zip(ansible_play_hosts | map('extract', hostvars, 'dezadav_password'))) }}"
  run_once: true
'''

RETURN = r'''
routers:
  description: Every router of the run as C(dezadav-cli backup --json) lists it (C(ip), C(mac), C(model),
    C(firmware), C(file), C(status), C(message)), with C(changed) saying whether its file changed.
  returned: always
  type: list
  elements: dict
committed:
  description: Whether the run was committed to the git work tree.
  returned: success
  type: bool
'''

import hashlib
import os

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.dezadav.routers.plugins.module_utils.dezadav_cli import (
    DezadavCli, router_arguments, write_private)


def digest(path):
    try:
        with open(path, 'rb') as stream:
            return hashlib.sha256(stream.read()).hexdigest()
    except OSError:
        return None


def main():
    module = AnsibleModule(
        argument_spec=router_arguments(into=dict(type='path', required=True),
                                       routers=dict(type='list', elements='str'),
                                       passwords=dict(type='dict', no_log=True),
                                       format=dict(type='str', choices=['csv', 'json'], default='csv')),
        supports_check_mode=True)
    if module.check_mode:
        module.exit_json(changed=False, skipped=True, msg='a backup is not read in check mode')
    into = module.params['into']
    routers = module.params['routers'] or [module.params['router']]
    before = {name: digest(os.path.join(into, name)) for name in os.listdir(into)} if os.path.isdir(into) else {}
    args = ['--into', into, '--format', module.params['format'], '--json']
    if module.params['passwords']:
        lines = ''.join('%s %s\n' % (address, password) for address, password in module.params['passwords'].items())
        args += ['--passwords', write_private(module, 'passwords', lines)]
    cli = DezadavCli(module)
    rc, out, err = cli.run('backup', args, routers=routers)
    document = cli.document(rc, out, err)
    listed = document.get('routers', [])
    for entry in listed:
        entry['changed'] = bool(entry.get('file')) and before.get(entry['file']) != digest(os.path.join(into, entry['file']))
    result = dict(changed=any(entry['changed'] for entry in listed), routers=listed,
                  committed=document.get('committed', False))
    failed = [entry for entry in listed if entry.get('status') == 'failed']
    if rc != 0:
        message = '; '.join('%s: %s' % (e.get('ip'), e.get('message')) for e in failed) or err.strip()
        module.fail_json(msg=message, rc=rc, stderr=err, **result)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
