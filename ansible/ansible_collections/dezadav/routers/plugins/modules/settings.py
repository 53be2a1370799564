# Changes a router's VoIP settings to what a partial settings document says, through dezadav-cli apply.
from __future__ import annotations

DOCUMENTATION = r'''
module: settings
short_description: Set a router's VoIP settings from a settings document
description:
  - Merges a settings document (as C(dezadav-cli fetch --format json) writes it, or any part of it) into what
    the router holds and sends only what differs, through C(dezadav-cli apply --json).
  - A second run with the same settings sends nothing and reports no change.
  - In check mode nothing is sent (C(apply --dry-run)); the result says whether the run would change the router.
  - With C(--diff) the fields that change are shown before and after, in the words of the program's pages;
    SIP passwords show as C(********).
  - A document the program refuses (an unknown field, a value the router would not take) fails the host with
    the program's message, naming the field by its JSON path; nothing is sent then.
version_added: 1.0.0
extends_documentation_fragment: dezadav.routers.router
options:
  settings:
    description:
      - The settings to set, as the JSON settings document (see /usr/share/doc/dezadav/settings-file.md and
        its JSON Schema) - C(dialPlan) entries by C(index), the C(sip) group with its C(ports), the C(codec) group.
      - Fields it leaves out keep the router's values; a dial-plan entry with C(phone) set to an empty text is
        deleted; a SIP password left out keeps the router's.
      - Values are texts as in the JSON document (a number in quotes, C("5060")); C(enabled) and
        C(useRegistrar) are true or false.
      - SIP passwords belong in O(sip_passwords), which is never logged.
    type: dict
    required: true
  sip_passwords:
    description:
      - The SIP passwords of the voice ports, in port order (an empty text clears one); set into the document's
        C(sip.ports) before it is applied. Never logged, never shown.
    type: list
    elements: str
  replace:
    description:
      - The document is the whole truth - dial-plan entries it does not list are deleted and every field must be
        given (but the SIP passwords).
    type: bool
    default: false
  force:
    description:
      - Apply a document written for the other router form (one-port, two-port) all the same.
    type: bool
    default: false
author:
  - Dezadav developers
'''

EXAMPLES = r'''
- name: Registrar of the region, kept on every router of the group
  dezadav.routers.settings:
    password: "{{ dezadav_password }}"
    settings:
      sip:
        registrar: "{{ sip_registrar }}"

- name: Port 1's account, its password from the vault
  dezadav.routers.settings:
    password: "{{ dezadav_password }}"
    settings:
      sip:
        ports:
          - {name: "4930123401", expiry: 8 hours}
    sip_passwords: ["{{ vault_sip_password }}"]

- name: Reception's number, and entry 12 deleted
  dezadav.routers.settings:
    router: 192.0.2.10
    password: "{{ dezadav_password }}"
    settings:
      dialPlan:
        - {index: 1, phone: "101", address: "reception@192.168.1.21", enabled: true}
        - {index: 12, phone: ""}
'''

RETURN = r'''
changes:
  description: The fields that changed (in check mode, would change), in the words of the program's pages.
  returned: success
  type: list
  elements: dict
  sample: [{"area": "SIP", "field": "Registrar", "before": "sip.provider.example.net", "after": "sip2.example.net"}]
commands:
  description: The router commands sent (in check mode, that would be sent), SIP passwords as C(********).
  returned: success
  type: list
  elements: str
  sample: ["voip sip port 5060", "voip sip registrar sip2.example.net"]
router:
  description: The router's IPv4 address.
  returned: success
  type: str
mac:
  description: The router's MAC address, when its discovery answer told it.
  returned: success
  type: str
'''

import json

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.dezadav.routers.plugins.module_utils.dezadav_cli import (
    DezadavCli, router_arguments, write_private)


def with_sip_passwords(module, settings, passwords):
    """The document with `passwords` set into its SIP ports; every SIP password it holds is hidden from the output."""
    sip = settings.setdefault('sip', {}) if passwords else settings.get('sip')
    ports = sip.setdefault('ports', []) if passwords else (sip or {}).get('ports')
    for position, password in enumerate(passwords or []):
        while len(ports) <= position:
            ports.append({})
        ports[position]['password'] = password
    for port in ports if isinstance(ports, list) else []:
        if isinstance(port, dict) and port.get('password'):
            module.no_log_values.add(str(port['password']))
    return settings


def main():
    module = AnsibleModule(
        argument_spec=router_arguments(settings=dict(type='dict', required=True),
                                       sip_passwords=dict(type='list', elements='str', no_log=True),
                                       replace=dict(type='bool', default=False),
                                       force=dict(type='bool', default=False)),
        supports_check_mode=True)
    settings = with_sip_passwords(module, module.params['settings'], module.params['sip_passwords'])
    document = write_private(module, 'settings.json', json.dumps(settings))
    args = ['--input', document]
    args += ['--replace'] if module.params['replace'] else []
    args += ['--force'] if module.params['force'] else []
    module.exit_json(**DezadavCli(module).apply('apply', args))


if __name__ == '__main__':
    main()
