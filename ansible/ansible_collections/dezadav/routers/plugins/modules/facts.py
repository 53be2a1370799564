# Reads a router's settings into the host's facts, through dezadav-cli fetch --format json.
from __future__ import annotations

DOCUMENTATION = r'''
module: facts
short_description: Read a router's VoIP settings into facts
description:
  - Reads all the router's settings as the JSON settings document C(dezadav-cli fetch --format json) writes
    and sets it as the fact C(dezadav_settings).
  - Changes nothing on the router. In check mode nothing is recorded in the history either.
version_added: 1.0.0
extends_documentation_fragment: dezadav.routers.router
options:
  show_secrets:
    description:
      - Include the SIP passwords; without it the document holds none.
    type: bool
    default: false
author:
  - Dezadav developers
'''

EXAMPLES = r'''
- name: Read the settings
  dezadav.routers.facts:
    password: "{{ dezadav_password }}"

- name: Every router still on the old registrar
  ansible.builtin.debug:
    msg: "{{ inventory_hostname }} still registers at {{ dezadav_settings.sip.registrar }}"
  when: dezadav_settings.sip.registrar == "sip.provider.example.net"
'''

RETURN = r'''
ansible_facts:
  description: The facts set.
  returned: success
  type: dict
  contains:
    dezadav_settings:
      description: The router's settings document (format C(dezadav-settings/1)) with C(model), C(dialPlan),
        C(sip) and C(codec).
      type: dict
      sample: {"format": "dezadav-settings/1", "model": "DZV-R5730K", "sip": {"registrar": "sip.provider.example.net"}}
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.dezadav.routers.plugins.module_utils.dezadav_cli import DezadavCli, router_arguments


def main():
    module = AnsibleModule(argument_spec=router_arguments(show_secrets=dict(type='bool', default=False)),
                           supports_check_mode=True)
    cli = DezadavCli(module)
    args = ['--format', 'json', '--output', '-']
    args += ['--show-secrets'] if module.params['show_secrets'] else []
    args += ['--no-history'] if module.check_mode else []
    rc, out, err = cli.run('fetch', args, with_history=not module.check_mode)
    if rc != 0:
        cli.fail(rc, err)
    module.exit_json(changed=False, ansible_facts=dict(dezadav_settings=cli.document(rc, out, err)))


if __name__ == '__main__':
    main()
