# The two commands of the README: `make run` and `make test`. Each configures
# and builds first; the Debian packages the build needs are looked for once
# per build folder (and again when scripts/install-deps changes), and
# installed only when some are missing.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
CTEST_FLAGS ?=
DEPS_CHECKED = $(BUILD)/.deps-checked

.PHONY: all deps configure build run run-laptop2 test bench bench-window-stall demo deb install uninstall clean

all: build

deps:
	@scripts/install-deps

$(DEPS_CHECKED): scripts/install-deps
	@scripts/install-deps
	@mkdir -p $(BUILD) && touch $@

configure: $(DEPS_CHECKED)
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD)

# The simulated laptop, named explicitly: it is not the default on every machine.
run: build
	BRISKLANE_MACHINE=sim $(BUILD)/bin/brisklane

# The second laptop of the story, beside a running `make run`.
run-laptop2: build
	scripts/run-second-laptop $(BUILD)

# CTEST_FLAGS selects tests, e.g. CTEST_FLAGS="-LE vm" leaves out the
# virtual machine's.
test: build
	cd $(BUILD) && ctest --output-on-failure -j2 $(CTEST_FLAGS)

bench: build
	scripts/run-benchmarks $(BUILD)

# The main window's longest event-loop stall while NetworkManager answers at
# once, after 30 s and never (a mocked one on a private bus; several minutes).
bench-window-stall: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/bench/window_stall

# Pictures of every page, dialog and step of the two-laptop story, taken on
# virtual displays while the story runs.
demo: build
	BRISKLANE_SCREENSHOTS=$(CURDIR)/docs/screenshots tests/e2e/run-story $(CURDIR)/$(BUILD)/bin

# The Debian package, built without root rights: $(BUILD)/deb/brisklane_*.deb.
deb: $(DEPS_CHECKED)
	scripts/build-deb $(BUILD)

# For the current user, under ~/.local, by the same install rules as the package.
install: build
	scripts/install-user $(BUILD)

uninstall:
	scripts/uninstall-user

clean:
	rm -rf $(BUILD)
