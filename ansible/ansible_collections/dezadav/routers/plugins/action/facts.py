# The router defaults to the host's ansible_host: see RouterAction.
from __future__ import annotations

from ansible_collections.dezadav.routers.plugins.plugin_utils.router_action import RouterAction as ActionModule  # noqa: F401
