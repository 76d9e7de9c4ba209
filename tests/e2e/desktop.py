"""Drives Brisklane windows as a user would, through the desktop's
accessibility interface (AT-SPI): find a window by its program's process,
press buttons, read labels and message boxes."""

import itertools
import os
import shutil
import signal
import subprocess
import time

import pyatspi
from PIL import ImageGrab
from Xlib import X
from Xlib.display import Display

# Seconds to wait for the program; the real-stack tests under software
# emulation wait longer.
TIMEOUT = float(os.environ.get("BRISKLANE_E2E_TIMEOUT", "20"))


class DesktopError(AssertionError):
    pass


def wait_for(what, condition, timeout=TIMEOUT, interval=0.1):
    """Polls `condition` until it returns something true, and returns it."""
    deadline = time.monotonic() + timeout
    last_error = None
    while time.monotonic() < deadline:
        try:
            result = condition()
            if result:
                return result
        except Exception as error:  # the tree changes while it is read
            last_error = error
        time.sleep(interval)
    raise DesktopError(f"timed out waiting for {what}" + (f" ({last_error})" if last_error else ""))


def walk(node):
    yield node
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            yield from walk(child)


def name_of(node):
    return (node.name or "").strip()


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


_displays = itertools.count(90 + os.getpid() % 100 * 10)


class Screen:
    """A virtual display of its own for one laptop, so that windows of two
    laptops never overlap and each can be photographed alone."""

    def __init__(self, width=720, height=700):
        self.number = next(_displays)
        self.name = f":{self.number}"
        self.process = subprocess.Popen(
            ["Xvfb", self.name, "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(f"display {self.name}", lambda: os.path.exists(f"/tmp/.X11-unix/X{self.number}"))

    def window_titles(self):
        """The titles of the windows shown on this display, as the X server
        holds them for window managers and task bars (_NET_WM_NAME)."""
        display = Display(self.name)
        try:
            title_atom = display.intern_atom("_NET_WM_NAME")
            utf8_atom = display.intern_atom("UTF8_STRING")
            titles = []
            for window in display.screen().root.query_tree().children:
                if window.get_attributes().map_state != X.IsViewable:
                    continue
                title = window.get_full_property(title_atom, utf8_atom)
                if title is not None:
                    value = title.value
                    titles.append(value.decode("utf-8") if isinstance(value, bytes) else value)
            return titles
        finally:
            display.close()

    def photograph(self, path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        picture = ImageGrab.grab(xdisplay=self.name)
        # The display's background is black; keep what the windows cover.
        box = picture.getbbox()
        (picture.crop(box) if box else picture).save(path)

    def close(self):
        self.process.terminate()
        self.process.wait()


def simulated_machine(scenario, air_dir, state_dir):
    """The environment of a process on a simulated laptop of the scenario,
    which shares the air of `air_dir` with the other simulated laptops."""
    return dict(BRISKLANE_MACHINE="sim", BRISKLANE_SCENARIO=scenario,
                BRISKLANE_STATE_DIR=state_dir, BRISKLANE_AIR_DIR=air_dir)


class Instance:
    """One program process with its own program folder and display, on the
    machine that `machine` sets up in its environment (None: a variable
    left out). `launcher` is a command that starts the program in its place
    (e.g. nsenter into another computer's namespaces); with `logs`, the
    program's output goes to <logs>/brisklane-<name>.out and .err."""

    def __init__(self, program_dir, work_dir, name, machine, settings=None, launcher=(), logs=None):
        self.name = name
        self.launcher = list(launcher)
        self.logs = logs
        self.screen = Screen()
        self.folder = os.path.join(work_dir, name)
        if not os.path.exists(self.folder):
            shutil.copytree(program_dir, self.folder, symlinks=True,
                            ignore=shutil.ignore_patterns("setup.ini", "ErrorLog.txt"))
        if settings is not None:
            with open(os.path.join(self.folder, "setup.ini"), "w") as file:
                file.write(settings)
        env = dict(os.environ, DISPLAY=self.screen.name, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   LANGUAGE="C", LC_ALL="C.UTF-8", **machine)
        self.env = {key: value for key, value in env.items() if value is not None}
        self.process = None
        self.app = None

    def start(self):
        output = {}
        if self.logs:
            output = {stream: open(os.path.join(self.logs, f"brisklane-{self.name}.{stream[3:]}"), "a")
                      for stream in ("stdout", "stderr")}
        self.process = subprocess.Popen(self.launcher + [os.path.join(self.folder, "brisklane")], env=self.env,
                                        **output)
        for file in output.values():
            file.close()
        pid = self.process.pid
        desktop = pyatspi.Registry.getDesktop(0)

        def find_app():
            for index in range(desktop.childCount):
                app = desktop.getChildAtIndex(index)
                if app is not None and app.get_process_id() == pid:
                    return app
            return None

        self.app = wait_for(f"{self.folder} on the desktop", find_app)
        return self

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.screen.close()

    def photograph(self, folder, name):
        """Saves what this laptop's display shows as <folder>/<name>.png,
        when pictures are asked for (folder not empty)."""
        if folder:
            time.sleep(0.3)  # let the last repaint reach the display
            self.screen.photograph(os.path.join(folder, name + ".png"))

    def exited(self, timeout=TIMEOUT):
        return wait_for("the program to end", lambda: self.process.poll() is not None, timeout)

    def errors(self):
        """What the program wrote to its standard error (needs `logs`)."""
        with open(os.path.join(self.logs, f"brisklane-{self.name}.err")) as file:
            return file.read()

    def settings(self):
        with open(os.path.join(self.folder, "setup.ini")) as file:
            return file.read()

    # Finding things.

    def find(self, role, name=None, starts_with=None, visible_only=True):
        for node in walk(self.app):
            if node.getRoleName() != role:
                continue
            if visible_only and not showing(node):
                continue
            text = name_of(node)
            if name is not None and text != name:
                continue
            if starts_with is not None and not text.startswith(starts_with):
                continue
            return node
        return None

    def wait_find(self, role, name=None, starts_with=None):
        what = f"{role} {name or starts_with!r} in {os.path.basename(self.folder)}"
        return wait_for(what, lambda: self.find(role, name, starts_with))

    def wait_window(self, title):
        """Waits until a window with exactly this title shows on the display."""
        try:
            return wait_for(f"window titled {title!r} in {os.path.basename(self.folder)}",
                            lambda: title in self.screen.window_titles())
        except DesktopError as error:
            raise DesktopError(f"{error}; the windows shown: {self.screen.window_titles()}") from None

    def labels(self):
        return [name_of(node) for node in walk(self.app)
                if node.getRoleName() == "label" and showing(node)]

    def wait_label(self, text):
        return wait_for(f"label {text!r} in {os.path.basename(self.folder)}",
                        lambda: text in self.labels())

    def wait_cell(self, text):
        """Waits for a cell of a list or table that shows the text."""
        return wait_for(f"cell {text!r} in {os.path.basename(self.folder)}",
                        lambda: any(name_of(node) == text and showing(node) for node in walk(self.app)
                                    if node.getRoleName() in ("table cell", "tree item", "list item")))

    def wait_label_starting(self, prefix):
        return wait_for(f"label starting {prefix!r} in {os.path.basename(self.folder)}",
                        lambda: next((t for t in self.labels() if t.startswith(prefix)), None))

    # Acting.

    def press(self, button_name, role="push button"):
        button = self.wait_find(role, button_name)
        wait_for(f"{button_name!r} enabled", lambda: button.getState().contains(pyatspi.STATE_ENABLED))
        button.queryAction().doAction(0)

    def open_menu_item(self, menu_name, item_name):
        """Chooses an item of the window's menu bar, accelerators ignored."""
        def item():
            for node in walk(self.app):
                if node.getRoleName() == "menu item" and name_of(node).replace("&", "") == item_name:
                    menu = node.parent
                    if menu is not None and menu.getRoleName() == "popup menu":
                        menu = menu.parent
                    if menu is not None and name_of(menu).replace("&", "") == menu_name:
                        return node
            return None

        wait_for(f"menu item {menu_name} > {item_name}", item).queryAction().doAction(0)

    def answer_message(self, expected_text, button="OK"):
        """Waits for a message box whose text is the given one, or begins
        with it as its first line (a reason may follow on lines of its own),
        presses one of its buttons and returns the whole text."""
        def message_box():
            for node in walk(self.app):
                if node.getRoleName() in ("alert", "dialog") and showing(node):
                    for label in walk(node):
                        text = name_of(label)
                        if label.getRoleName() == "label" and text.splitlines()[:1] == [expected_text]:
                            return node, text
            return None

        box, text = wait_for(f"message {expected_text!r}", message_box)
        for node in walk(box):
            if node.getRoleName() == "push button" and name_of(node).replace("&", "") == button:
                node.queryAction().doAction(0)
                return text
        raise DesktopError(f"message {expected_text!r} has no button {button!r}")

    def wait_balloon(self, text):
        """Waits for a tray balloon with the text, from any instance: the
        story's tray logs what it is asked to show."""
        def shown():
            with open(os.environ["BRISKLANE_BALLOON_LOG"]) as log:
                return text in log.read()
        return wait_for(f"balloon {text!r}", shown)

    def status_texts(self):
        """The texts the status bar shows, as it tells them to screen readers."""
        bar = self.find("status bar")
        if bar is None:
            return []
        texts = [name_of(bar), bar.description or ""]
        texts += [name_of(node) for node in walk(bar)]
        return [t for t in texts if t]

    def wait_status(self, text):
        return wait_for(f"status bar showing {text!r}",
                        lambda: any(text in t for t in self.status_texts()))
