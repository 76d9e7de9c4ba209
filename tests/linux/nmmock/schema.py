"""NetworkManager's interfaces as its own introspection files describe them.

Every property, method and signal this stand-in exports takes its D-Bus
signature from Debian's network-manager-dev XML, so values go out with the
types the real daemon sends and introspection reads like the daemon's.
"""

import functools
import os
import xml.etree.ElementTree as ET

import dbus
import dbus.lowlevel

INTERFACE_DIR = os.environ.get('NM_MOCK_INTERFACE_DIR', '/usr/share/dbus-1/interfaces')

_DEFAULTS = {'b': False, 's': '', 'o': '/', 'ay': b'', '(uu)': (0, 0)}


class Interface:
    def __init__(self, name, element):
        self.name = name
        self.element = element
        self.properties = {p.get('name'): (p.get('type'), p.get('access'))
                           for p in element.findall('property')}
        self.methods = {m.get('name'): (_signature(m, 'in'), _signature(m, 'out'))
                        for m in element.findall('method')}
        self.signals = {s.get('name'): ''.join(a.get('type') for a in s.findall('arg'))
                        for s in element.findall('signal')}

    def default_properties(self):
        return {name: typed(sig, default_value(sig)) for name, (sig, _) in self.properties.items()}

    def writable(self, name):
        return self.properties.get(name, (None, 'read'))[1] == 'readwrite'


def _signature(element, direction):
    return ''.join(a.get('type') for a in element.findall('arg') if a.get('direction', 'in') == direction)


@functools.lru_cache(maxsize=None)
def interface(name):
    path = os.path.join(INTERFACE_DIR, name + '.xml')
    try:
        root = ET.parse(path).getroot()
    except OSError as e:
        raise RuntimeError(f'{path} is missing: install network-manager-dev') from e
    for element in root.iter('interface'):
        if element.get('name') == name:
            return Interface(name, element)
    raise RuntimeError(f'{path} does not describe {name}')


def default_value(sig):
    if sig in _DEFAULTS:
        return _DEFAULTS[sig]
    if sig.startswith('a{'):
        return {}
    if sig.startswith('a'):
        return []
    return 0


def sample(sig):
    """A small value of any D-Bus type, typed as sig names it: a reply of a
    shape a client does not expect."""
    def plain(sig):
        if sig.startswith('a{'):
            key, value = list(dbus.Signature(sig[2:-1]))
            return {plain(key): plain(value)}
        if sig.startswith('a'):
            return [plain(sig[1:])]
        if sig.startswith('('):
            return tuple(plain(item) for item in dbus.Signature(sig[1:-1]))
        return {'s': 'x', 'o': '/x', 'g': 's', 'v': 'x'}.get(sig, 1)
    return typed(sig, plain(sig))


def typed(sig, value):
    """value as the D-Bus type sig names (what the daemon would send)."""
    message = dbus.lowlevel.MethodCallMessage('a.b', '/', 'a.b', 'a')
    message.append(value, signature=sig)
    return message.get_args_list(byte_arrays=True)[0]



_BASIC = [(dbus.Boolean, 'b'), (dbus.Byte, 'y'), (dbus.Int16, 'n'), (dbus.UInt16, 'q'),
          (dbus.Int32, 'i'), (dbus.UInt32, 'u'), (dbus.Int64, 'x'), (dbus.UInt64, 't'),
          (dbus.Double, 'd'), (dbus.ObjectPath, 'o'), (dbus.Signature, 'g'), (dbus.String, 's')]


def signature_of(value):
    """The D-Bus type a received value was sent with (also inside a variant)."""
    if isinstance(value, (dbus.ByteArray, bytes)):
        return 'ay'
    if isinstance(value, dbus.Dictionary):
        return 'a{' + value.signature + '}'
    if isinstance(value, dbus.Array):
        return 'a' + value.signature
    if isinstance(value, dbus.Struct):
        return '(' + ''.join(signature_of(item) for item in value) + ')'
    for kind, code in _BASIC:
        if isinstance(value, kind):
            return code
    return dbus.lowlevel.Message.guess_signature(value)
