"""The Settings object and the profiles (Settings.Connection objects) it keeps."""

import re
import uuid as uuids

import dbus

from . import rules
from .constants import PROFILE, SETTINGS, SETTINGS_PATH, ProfileFlags
from .exported import Exported, error

SETTINGS_ERROR = 'org.freedesktop.NetworkManager.Settings.'
PERSIST_MODES = ('disk', 'memory', 'volatile')
TO_DISK, IN_MEMORY, BLOCK_AUTOCONNECT = 0x1, 0x2, 0x20
UPDATE2_TO_DISK, UPDATE2_IN_MEMORY, UPDATE2_VOLATILE = 0x1, 0x2, 0x10


class Profile(Exported):
    def __init__(self, settings_object, path, settings, persist):
        super().__init__(settings_object.manager, path, [PROFILE])
        self.owner = settings_object
        self.settings = settings
        self.persist = persist
        self._publish()
        for member, handler in (('GetSettings', self._get_settings), ('GetSecrets', self._get_secrets),
                                ('Update', self._update), ('UpdateUnsaved', self._update_unsaved),
                                ('Update2', self._update2), ('Delete', self._delete),
                                ('ClearSecrets', self._clear_secrets), ('Save', self._save)):
            self.export(PROFILE, member, handler)
        self.announce()

    @property
    def uuid(self):
        return str(rules.value(self.settings, 'connection', 'uuid'))

    @property
    def id(self):
        return str(rules.value(self.settings, 'connection', 'id'))

    @property
    def type(self):
        return str(rules.value(self.settings, 'connection', 'type'))

    @property
    def volatile(self):
        return self.persist == 'volatile'

    def _publish(self):
        flags = {'disk': 0, 'memory': ProfileFlags.UNSAVED,
                 'volatile': ProfileFlags.UNSAVED | ProfileFlags.VOLATILE}[self.persist]
        folder = '/etc' if self.persist == 'disk' else '/run'
        name = re.sub(r'[^A-Za-z0-9_.-]', '_', self.id) or self.uuid
        self.set(PROFILE, Unsaved=bool(flags & ProfileFlags.UNSAVED), Flags=flags,
                 Filename=f'{folder}/NetworkManager/system-connections/{name}.nmconnection')

    def replace(self, settings, persist=None):
        """Takes new settings; secrets the client left out are kept."""
        settings = rules.copy(settings)
        for name, kept in rules.SECRETS.items():
            if name in settings:
                for prop in kept:
                    if prop not in settings[name] and prop in self.settings.get(name, {}):
                        settings[name][prop] = self.settings[name][prop]
        rules.verify(settings)
        if rules.value(settings, 'connection', 'uuid') != rules.value(self.settings, 'connection', 'uuid'):
            raise rules.invalid('connection', 'uuid', 'the UUID of a profile cannot change')
        self.settings = settings
        if persist:
            self.persist = persist
        self._publish()
        self.emit(PROFILE, 'Updated')
        self.manager.profiles_changed()

    def _authorize(self, caller, settings=None):
        self.manager.polkit.check(caller, self.owner.modify_action(settings or self.settings),
                                  error_name=SETTINGS_ERROR + 'PermissionDenied', message='Insufficient privileges')

    def _get_settings(self, caller):
        return rules.without_secrets(self.settings)

    def _get_secrets(self, caller, setting):
        self._authorize(caller)
        if setting not in self.settings:
            raise error(rules.CONNECTION_ERROR + 'SettingNotFound',
                        f"Connection didn't have requested setting '{setting}'.")
        return {setting: rules.secrets(self.settings, setting)}

    def _update(self, caller, settings):
        self._authorize(caller, settings)
        self.replace(settings, 'disk')

    def _update_unsaved(self, caller, settings):
        self._authorize(caller, settings)
        self.replace(settings, 'memory')

    def _update2(self, caller, settings, flags, args):
        persist = {0: None, UPDATE2_TO_DISK: 'disk', UPDATE2_IN_MEMORY: 'memory',
                   UPDATE2_IN_MEMORY | UPDATE2_VOLATILE: 'volatile'}.get(int(flags), False)
        if persist is False:
            raise error(SETTINGS_ERROR + 'InvalidArguments', f'Unsupported flags 0x{int(flags):x}')
        self._authorize(caller, settings or self.settings)
        self.replace(settings or self.settings, persist)
        return {}

    def _delete(self, caller):
        self._authorize(caller)
        self.manager.delete_profile(self)

    def _clear_secrets(self, caller):
        self._authorize(caller)
        self.replace({name: {prop: v for prop, v in props.items() if prop not in rules.SECRETS.get(name, ())}
                      for name, props in self.settings.items()})

    def _save(self, caller):
        self._authorize(caller)
        self.persist = 'disk'
        self._publish()


class Settings(Exported):
    """org.freedesktop.NetworkManager.Settings: the profiles NetworkManager knows."""

    def __init__(self, manager):
        super().__init__(manager, SETTINGS_PATH, [SETTINGS])
        self.profiles = []
        self.set(SETTINGS, Hostname='brisklane-test', CanModify=True)
        for member, handler in (('ListConnections', self._list), ('GetConnectionByUuid', self._by_uuid),
                                ('AddConnection', self._add_to_disk), ('AddConnectionUnsaved', self._add_unsaved),
                                ('AddConnection2', self._add2), ('SaveHostname', self._save_hostname),
                                ('LoadConnections', self._unsupported), ('ReloadConnections', self._unsupported)):
            self.export(SETTINGS, member, handler)
        self.announce()

    def modify_action(self, settings):
        """The polkit action that changing a profile with these settings needs."""
        return 'settings.modify.own' if rules.permitted_users(settings) else 'settings.modify.system'

    def add(self, settings, persist, caller=None):
        """Adds a profile as a client asked (checked) or as the machine has it (caller None)."""
        settings = rules.copy(settings)
        if 'connection' in settings and 'uuid' not in settings['connection']:
            settings['connection']['uuid'] = dbus.String(str(uuids.uuid4()))
        rules.verify(settings)
        if caller is not None:
            self.manager.polkit.check(caller, self.modify_action(settings),
                                      error_name=SETTINGS_ERROR + 'PermissionDenied',
                                      message='Insufficient privileges')
        if self.find_uuid(str(rules.value(settings, 'connection', 'uuid'))):
            raise error(SETTINGS_ERROR + 'UuidExists', 'A connection with this UUID already exists')
        profile = Profile(self, self.manager.next_path('Settings'), settings, persist)
        self.profiles.append(profile)
        self._publish()
        self.emit(SETTINGS, 'NewConnection', profile.path)
        self.manager.profiles_changed()
        return profile

    def remove(self, profile):
        self.profiles.remove(profile)
        self._publish()
        profile.emit(PROFILE, 'Removed')
        self.emit(SETTINGS, 'ConnectionRemoved', profile.path)
        profile.withdraw()
        self.manager.profiles_changed()

    def find_uuid(self, uuid):
        return next((p for p in self.profiles if p.uuid == uuid), None)

    def find_path(self, path):
        return next((p for p in self.profiles if p.path == path), None)

    def _publish(self):
        self.set(SETTINGS, Connections=[p.path for p in self.profiles])

    def _list(self, caller):
        return [p.path for p in self.profiles]

    def _by_uuid(self, caller, uuid):
        profile = self.find_uuid(uuid)
        if profile is None:
            raise error(SETTINGS_ERROR + 'InvalidConnection', 'No connection with the UUID was found.')
        return profile.path

    def _add_to_disk(self, caller, settings):
        return self.add(settings, 'disk', caller).path

    def _add_unsaved(self, caller, settings):
        return self.add(settings, 'memory', caller).path

    def _add2(self, caller, settings, flags, args):
        flags = int(flags)
        if flags & ~(TO_DISK | IN_MEMORY | BLOCK_AUTOCONNECT) or bool(flags & TO_DISK) == bool(flags & IN_MEMORY):
            raise error(SETTINGS_ERROR + 'InvalidArguments', 'Exactly one of to-disk or in-memory is required')
        if args:
            raise error(SETTINGS_ERROR + 'InvalidArguments', f"Unsupported argument '{next(iter(args))}'")
        return self.add(settings, 'disk' if flags & TO_DISK else 'memory', caller).path, {}

    def _save_hostname(self, caller, hostname):
        self.manager.polkit.check(caller, 'settings.modify.hostname',
                                  error_name=SETTINGS_ERROR + 'PermissionDenied', message='Insufficient privileges')
        self.set(SETTINGS, Hostname=hostname)

    def _unsupported(self, caller, *args):
        raise error(SETTINGS_ERROR + 'NotSupported', 'This NetworkManager stand-in keeps no profile files')
