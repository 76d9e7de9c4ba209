"""One object on the bus: its properties per interface, its methods, its
signals, and the record of every call a client makes on it."""

import xml.etree.ElementTree as ET

import dbus
import dbusmock

from . import schema

PROPERTIES = dbus.PROPERTIES_IFACE
INTROSPECTABLE = dbus.INTROSPECTABLE_IFACE
OBJECT_MANAGER = 'org.freedesktop.DBus.ObjectManager'

_STANDARD_INTERFACES = '''<node>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get"><arg name="interface_name" type="s" direction="in"/><arg name="property_name" type="s" direction="in"/><arg name="value" type="v" direction="out"/></method>
    <method name="GetAll"><arg name="interface_name" type="s" direction="in"/><arg name="properties" type="a{sv}" direction="out"/></method>
    <method name="Set"><arg name="interface_name" type="s" direction="in"/><arg name="property_name" type="s" direction="in"/><arg name="value" type="v" direction="in"/></method>
    <signal name="PropertiesChanged"><arg name="interface_name" type="s"/><arg name="changed_properties" type="a{sv}"/><arg name="invalidated_properties" type="as"/></signal>
  </interface>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg name="xml_data" type="s" direction="out"/></method>
  </interface>
</node>'''


class Caller:
    """Who made a call, and whether they allow polkit to ask the user."""

    def __init__(self, message):
        self.name = str(message.get_sender())
        self.interactive = bool(message.get_allow_interactive_authorization())


class CallLog:
    """Every method call and property write clients made, in the order they
    arrived (gate.Gate records them)."""

    def __init__(self):
        self.entries = []

    def record(self, path, interface, member, sender, args):
        self.entries.append((path, interface, member, sender, list(args)))

    def clear(self):
        self.entries = []


def error(name, message):
    return dbus.exceptions.DBusException(message, name=name)


class _Method:
    """A served method whose reply a test may give another shape
    (Manager.wrong_shapes): dbus-python reads the reply's signature from the
    method before each call."""

    def __init__(self, function, out_signature, wrong_shapes):
        self._function = function
        self._out_signature = out_signature
        self._wrong_shapes = wrong_shapes

    def __call__(self, *args, **keywords):
        return self._function(*args, **keywords)

    @property
    def _dbus_out_signature(self):
        return self._wrong_shapes.get(self.__name__, self._out_signature)


def serve(mock_object, interface, member, in_signature, out_signature, function, wrong_shapes, logged):
    """Serves member of interface on a dbusmock object with
    function(dbus_object, *args, message=...), replying in the shape a test
    may have given it (wrong_shapes); logged calls enter the call log."""
    call = _Method(function, out_signature, wrong_shapes)
    call.__name__ = member
    call.logged = logged
    call._dbus_is_method = True
    call._dbus_interface = interface
    call._dbus_in_signature = in_signature
    call._dbus_args = [f'arg{i}' for i in range(len(tuple(dbus.Signature(in_signature))))]
    call._dbus_get_args_options = {'byte_arrays': True}
    call._dbus_async_callbacks = None
    call._dbus_sender_keyword = None
    call._dbus_path_keyword = None
    call._dbus_rel_path_keyword = None
    call._dbus_destination_keyword = None
    call._dbus_message_keyword = 'message'
    call._dbus_connection_keyword = None
    mock_object.methods.setdefault(interface, {})[member] = (in_signature, out_signature, '', call)


def serve_managed_objects(mock):
    """The object manager's GetManagedObjects, as dbusmock answers it, but
    failing and taking wrong shapes (of itself or of any property) as every
    other call of the daemon that runs (mock.networkmanager) does."""
    root = mock.path + '/'

    class Shapes:
        @staticmethod
        def get(name, default=None):
            manager = mock.networkmanager
            return manager.wrong_shapes.get(name, default) if manager else default

    def managed_objects(_dbus_object, message=None):
        manager = mock.networkmanager
        if manager and manager.failure:
            raise error('org.freedesktop.DBus.Error.Failed', manager.failure)
        wrong = manager.wrong_shapes if manager else {}
        if 'GetManagedObjects' in wrong:
            return schema.sample(wrong['GetManagedObjects'])
        return {dbus.ObjectPath(path): {interface: {name: schema.sample(wrong[name]) if name in wrong else value
                                                    for name, value in properties.items()}
                                        for interface, properties in found.props.items()}
                for path, found in dbusmock.mockobject.objects.items() if path.startswith(root)}

    serve(mock, OBJECT_MANAGER, 'GetManagedObjects', '', 'a{oa{sa{sv}}}', managed_objects, Shapes(), logged=False)


class Exported:
    """Base of every NetworkManager object the stand-in exports."""

    def __init__(self, manager, path, interfaces):
        self.manager = manager
        self.path = path
        self.interfaces = {name: schema.interface(name) for name in interfaces}
        self.announced = False
        manager.mock.AddObject(path, interfaces[0], {}, [])
        self.dbus = dbusmock.get_object(path)
        for name, iface in self.interfaces.items():
            self.dbus.props[name] = iface.default_properties()
        self._export(PROPERTIES, 'Set', 'ssv', '', self._write_property, logged=True)
        self._export(INTROSPECTABLE, 'Introspect', '', 's', lambda caller: self._introspect(), logged=False)
        self._export(PROPERTIES, 'GetAll', 's', 'a{sv}', self._get_all, logged=False)

    def announce(self):
        """Tells ObjectManager clients the object exists, with the properties
        set so far; changes before this go out without PropertiesChanged."""
        self.announced = True
        self.manager.mock.object_manager_emit_added(self.path)

    def withdraw(self):
        self.manager.mock.EmitSignal(OBJECT_MANAGER, 'InterfacesRemoved', 'oas',
                                     [dbus.ObjectPath(self.path), list(self.dbus.props.keys())])
        self.manager.mock.RemoveObject(self.path)

    # Properties -----------------------------------------------------------

    def get(self, interface, name):
        return self.dbus.props[interface][name]

    def set(self, interface, **values):
        """Changes properties and emits PropertiesChanged for those that changed."""
        props = self.dbus.props[interface]
        changed = {}
        for name, value in values.items():
            signature = self.interfaces[interface].properties[name][0]
            value = schema.typed(signature, value)
            if name not in props or props[name] != value or type(props[name]) is not type(value):
                props[name] = value
                changed[name] = value
        if changed and self.announced:
            self.dbus.EmitSignal(PROPERTIES, 'PropertiesChanged', 'sa{sv}as', [interface, changed, []])

    def _get_all(self, caller, interface):
        props = self.dbus.GetAll(interface)
        wrong = self.manager.wrong_shapes
        return {name: schema.sample(wrong[name]) if name in wrong else value for name, value in props.items()}

    def write_property(self, caller, interface, name, value):
        """Writes a writable property for a client; subclasses accept those they model."""
        raise error('org.freedesktop.DBus.Error.NotSupported', f"Writing '{name}' is not supported by this stand-in")

    def _write_property(self, caller, interface, name, value):
        if interface not in self.interfaces or name not in self.interfaces[interface].properties:
            raise error('org.freedesktop.DBus.Error.InvalidArgs', f"No such property '{name}'")
        if not self.interfaces[interface].writable(name):
            raise error('org.freedesktop.DBus.Error.PropertyReadOnly', f"Property '{name}' is not writable")
        self.write_property(caller, interface, name, value)

    # Methods and signals --------------------------------------------------

    def export(self, interface, member, handler):
        """Serves member of interface with handler(caller, *args)."""
        in_signature, out_signature = self.interfaces[interface].methods[member]
        self._export(interface, member, in_signature, out_signature, handler, logged=True)

    def emit(self, interface, name, *args):
        self.dbus.EmitSignal(interface, name, self.interfaces[interface].signals[name], list(args))

    def _export(self, interface, member, in_signature, out_signature, handler, logged):
        manager = self.manager
        wrong = manager.wrong_shapes

        def call(_dbus_object, *args, message=None):
            caller = Caller(message)
            if manager.failure:
                raise error('org.freedesktop.DBus.Error.Failed', manager.failure)
            reply = handler(caller, *args)
            return schema.sample(wrong[member]) if member in wrong else reply

        serve(self.dbus, interface, member, in_signature, out_signature, call, wrong, logged)

    def _introspect(self):
        node = ET.fromstring(_STANDARD_INTERFACES)
        for iface in self.interfaces.values():
            node.append(iface.element)
        for child in self.dbus.connection.list_exported_child_objects(self.path):
            ET.SubElement(node, 'node', name=child)
        return ('<!DOCTYPE node PUBLIC "-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"\n'
                ' "http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd">\n'
                + ET.tostring(node, encoding='unicode'))
