# Runs dezadav-cli for the modules of the collection and reads its JSON answers. The router dialogue,
# the settings' checks and the history are all dezadav-cli's: nothing here knows a router command.
from __future__ import annotations

import json
import os

ROUTER_ARGUMENTS = dict(
    router=dict(type='str', required=True),
    password=dict(type='str', no_log=True),
    model=dict(type='str'),
    telnet_port=dict(type='int'),
    discovery_port=dict(type='int'),
    history=dict(type='path'),
    cli=dict(type='path', default='dezadav-cli'),
)

# Between the parts of a field's place, as the program's own lists write it.
FIELD_SEPARATOR = ' \u00b7 '


def router_arguments(**more):
    arguments = dict(ROUTER_ARGUMENTS)
    arguments.update(more)
    return arguments


class DezadavCli:
    def __init__(self, module):
        self.module = module
        self.params = module.params

    def run(self, command, args, routers=None, with_history=True):
        """Runs `dezadav-cli COMMAND` for the module's router (or `routers`); returns (rc, out, err)."""
        p = self.params
        argv = [p['cli'], command]
        for router in routers if routers is not None else [p['router']]:
            argv += ['--router', router]
        for option, value in (('--model', p['model']), ('--telnet-port', p['telnet_port']),
                              ('--discovery-port', p['discovery_port'])):
            if value is not None:
                argv += [option, str(value)]
        if with_history and p['history']:
            argv += ['--history', p['history']]
        argv += list(args)
        environment = {'LC_ALL': 'C.UTF-8'}
        if p['password'] is not None:
            environment['DEZADAV_PASSWORD'] = p['password']
        return self.module.run_command(argv, environ_update=environment)

    def document(self, rc, out, err):
        """The JSON object on standard output; the host fails with the program's message when there is none."""
        try:
            return json.loads(out)
        except ValueError:
            self.fail(rc, err)

    def fail(self, rc, err, message=None, **result):
        # The module's own temporary files are no names the user gave.
        lines = [line.replace(os.path.join(self.module.tmpdir, ''), '') for line in err.splitlines() if line.strip()]
        self.module.fail_json(msg=message or (lines[-1] if lines else 'dezadav-cli failed (exit status %d)' % rc),
                              rc=rc, stderr=err, **result)

    def apply(self, command, args):
        """apply or restore with --json (a dry run in check mode): the module's result for its router."""
        args = list(args) + ['--json'] + (['--dry-run'] if self.module.check_mode else [])
        rc, out, err = self.run(command, args)
        routers = self.document(rc, out, err).get('routers') or [{}]
        result = routers[0]
        if not result.get('ok'):
            # A router that refused a command part-way holds what was sent before it.
            sent = result.get('commands', []) if not self.module.check_mode else []
            self.fail(rc, err, result.get('failure'), changed=bool(sent), commands=sent)
        changes = result.get('changes', [])
        outcome = dict(changed=bool(result.get('commands')), router=result.get('router'), mac=result.get('mac'),
                       changes=changes, commands=result.get('commands', []))
        if self.module._diff:
            outcome['diff'] = changes_diff(changes, result.get('router', ''))
        return outcome


def field_name(change):
    return change['area'] + FIELD_SEPARATOR + change['field']


def changes_diff(changes, router):
    """Ansible's before/after texts: one line per changed field, in the pages' words."""
    return dict(before_header=router, after_header=router,
                before=''.join('%s: %s\n' % (field_name(c), c['before']) for c in changes),
                after=''.join('%s: %s\n' % (field_name(c), c['after']) for c in changes))


def write_private(module, name, text):
    """A file only the module's user may read, in the module's own temporary folder."""
    path = os.path.join(module.tmpdir, name)
    descriptor = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
    with os.fdopen(descriptor, 'w', encoding='utf-8') as stream:
        stream.write(text)
    return path
