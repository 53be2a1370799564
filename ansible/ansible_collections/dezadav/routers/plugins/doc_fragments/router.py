# The options every module of the collection passes on to dezadav-cli.
from __future__ import annotations

class ModuleDocFragment:
    DOCUMENTATION = r'''
options:
  router:
    description:
      - The router, an IPv4 address or a host name.
      - Defaults to the host's C(ansible_host), else its inventory name.
    type: str
  password:
    description:
      - The router's login password.
      - Handed to C(dezadav-cli) in its environment (C(DEZADAV_PASSWORD)), never on its command line.
    type: str
  model:
    description:
      - The router's model name, instead of asking the router for it by discovery.
    type: str
  telnet_port:
    description:
      - TCP port of the router's command line (C(dezadav-cli) defaults to 23).
    type: int
  discovery_port:
    description:
      - UDP port of the discovery request that asks the router for its model (C(dezadav-cli) defaults to 56415).
    type: int
  history:
    description:
      - The folder of the settings history C(dezadav-cli) records into
        (its default is C(~/.local/share/Zezidez/Dezadav/history) of the user running the module).
    type: path
  cli:
    description:
      - The C(dezadav-cli) program to run.
    type: path
    default: dezadav-cli
notes:
  - The module runs where the task runs. Routers are no hosts Ansible can log in to, so give them
    C(ansible_connection=local) (or delegate the task to the control node or a jump host with C(dezadav-cli)).
  - It holds no router dialogue of its own; it runs C(dezadav-cli) with C(--json) and reads its answer.
'''
