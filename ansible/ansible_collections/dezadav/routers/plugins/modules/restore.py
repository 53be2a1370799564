# Applies a recorded version of a router's settings, through dezadav-cli restore.
from __future__ import annotations

DOCUMENTATION = r'''
module: restore
short_description: Give a router a recorded version of its settings back
description:
  - Applies a record of the router's settings history, as C(dezadav-cli restore --json) does, sending only
    what differs from what the router holds.
  - In check mode nothing is sent (C(restore --dry-run)); with C(--diff) the fields that change are shown
    before and after in the words of the program's pages, SIP passwords as C(********).
version_added: 1.0.0
extends_documentation_fragment: dezadav.routers.router
options:
  to:
    description:
      - C(before-last-apply) (the record taken right before the router's last completed apply, an undo),
        or a record's id (at least its first 7 digits) as C(dezadav-cli history) lists it.
    type: str
    required: true
  force:
    description:
      - Apply a record of the other router form all the same.
    type: bool
    default: false
author:
  - Dezadav developers
'''

EXAMPLES = r'''
- name: Undo the last apply on every router of the group
  dezadav.routers.restore:
    password: "{{ dezadav_password }}"
    to: before-last-apply
'''

RETURN = r'''
changes:
  description: The fields that changed (in check mode, would change), in the words of the program's pages.
  returned: success
  type: list
  elements: dict
commands:
  description: The router commands sent (in check mode, that would be sent), SIP passwords as C(********).
  returned: success
  type: list
  elements: str
router:
  description: The router's IPv4 address.
  returned: success
  type: str
mac:
  description: The router's MAC address.
  returned: success
  type: str
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.dezadav.routers.plugins.module_utils.dezadav_cli import DezadavCli, router_arguments


def main():
    module = AnsibleModule(
        argument_spec=router_arguments(to=dict(type='str', required=True), force=dict(type='bool', default=False)),
        supports_check_mode=True)
    args = ['--to', module.params['to']] + (['--force'] if module.params['force'] else [])
    module.exit_json(**DezadavCli(module).apply('restore', args))


if __name__ == '__main__':
    main()
