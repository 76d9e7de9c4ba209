"""What polkit answers for each NetworkManager action.

Each action is "yes", "no" or "auth". "auth" means polkit would ask the user
through an authentication agent: that happens only when the caller allowed
interactive authorisation on its message, and the simulated agent then
grants or refuses as the test decided.
"""

from . import constants
from .exported import error

PREFIX = 'org.freedesktop.NetworkManager.'


class Polkit:
    def __init__(self, answers=None, agent_grants=True):
        self.answers = {action: 'yes' for action in constants.PERMISSIONS}
        for action, answer in (answers or {}).items():
            self.set(action, answer)
        self.agent_grants = agent_grants
        self.agent_requests = []

    def set(self, action, answer):
        action = action if action.startswith(PREFIX) else PREFIX + action
        if action not in self.answers:
            raise ValueError(f'unknown polkit action {action}')
        if answer not in ('yes', 'no', 'auth'):
            raise ValueError(f'polkit answers yes, no or auth, not {answer!r}')
        self.answers[action] = answer

    def permissions(self):
        return dict(self.answers)

    def check(self, caller, *actions, error_name='org.freedesktop.NetworkManager.PermissionDenied',
              message='Not authorized to control networking.'):
        """Raises PermissionDenied unless the caller may do every action."""
        for action in actions:
            action = PREFIX + action
            answer = self.answers[action]
            if answer == 'auth' and caller.interactive:
                self.agent_requests.append(action)
                answer = 'yes' if self.agent_grants else 'no'
            if answer != 'yes':
                raise error(error_name, message)
