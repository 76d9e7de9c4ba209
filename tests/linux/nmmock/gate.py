"""The door every call of a client on a NetworkManager object comes through:
it enters the call log as it arrives, and it is handled at once, after a
delay, or not until the delay is set back (a daemon that hangs).

A delayed call takes effect when it is answered: its signals come with its
reply, as they do for a call answered at once. Calls on the mock's control
interface, and calls of the connection that set the delay (the harness
reading the mock), are never delayed.
"""

import dbus
import dbus.lowlevel
import dbusmock
from dbusmock import MOCK_IFACE
from gi.repository import GLib

PASS = dbus.lowlevel.HANDLER_RESULT_NOT_YET_HANDLED
TAKEN = dbus.lowlevel.HANDLER_RESULT_HANDLED


class Gate:
    def __init__(self, mock):
        self.mock = mock
        self.delay = 0.0  # seconds; negative: never
        self.exempt = None  # the unique name of the connection that set the delay
        self.members = None
        self.held = []
        mock.connection.add_message_filter(self._arrived)

    def set_delay(self, seconds, setter, members=None):
        self.delay = float(seconds)
        self.exempt = str(setter)
        self.members = set(members) if members else None  # None: every method
        if self.delay >= 0:
            held, self.held = self.held, []
            for connection, message in held:
                self._answer_later(connection, message)

    def _arrived(self, connection, message):
        if not isinstance(message, dbus.lowlevel.MethodCallMessage) or message.get_interface() == MOCK_IFACE:
            return PASS
        target = dbusmock.mockobject.objects.get(message.get_path())
        if target is None:
            return PASS
        self._record(target, message)
        if self.delay == 0 or message.get_sender() == self.exempt:
            return PASS
        if self.members is not None and message.get_member() not in self.members:
            return PASS
        if self.delay < 0:
            self.held.append((connection, message))
        else:
            self._answer_later(connection, message)
        return TAKEN

    def _record(self, target, message):
        nm = self.mock.networkmanager
        method = target.methods.get(message.get_interface(), {}).get(message.get_member())
        if nm is not None and method is not None and getattr(method[3], 'logged', False):
            nm.calls.record(message.get_path(), message.get_interface(), message.get_member(),
                            str(message.get_sender()), message.get_args_list(byte_arrays=True))

    def _answer_later(self, connection, message):
        GLib.timeout_add(int(self.delay * 1000), self._answer, connection, message)

    @staticmethod
    def _answer(connection, message):
        target = dbusmock.mockobject.objects.get(message.get_path())
        if target is None:
            connection.send_message(dbus.lowlevel.ErrorMessage(
                message, 'org.freedesktop.DBus.Error.UnknownObject', f'No such object {message.get_path()}'))
        else:
            target._message_cb(connection, message)  # pylint: disable=protected-access
        return False
