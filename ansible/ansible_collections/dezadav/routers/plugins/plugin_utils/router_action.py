# The action in front of every module of the collection: a task that names no router means the host
# itself, reached at its ansible_host (else its inventory name).
from __future__ import annotations

from ansible.plugins.action import ActionBase


class RouterAction(ActionBase):
    _supports_check_mode = True
    _supports_async = False

    def run(self, tmp=None, task_vars=None):
        task_vars = task_vars or {}
        result = super().run(tmp, task_vars)
        args = dict(self._task.args)
        if not args.get('router'):
            host = task_vars.get('ansible_host') or task_vars.get('inventory_hostname')
            args['router'] = self._templar.template(host)
        result.update(self._execute_module(module_name=self._task.resolved_action, module_args=args,
                                           task_vars=task_vars))
        return result
