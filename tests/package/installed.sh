# Checks of an installed Brisklane, shared by check-layout (an installation
# into a temporary folder), check-user-install and check-installed (the
# Debian package on this machine). Sourced; every check prints what is wrong
# and returns non-zero.

fail() {
  echo "FAIL: $*" >&2
  return 1
}

# check_layout <prefix> <libdir> <file list>
# The installed files (one path a line, as `find` or `dpkg -L` give them
# under <prefix>) are exactly Brisklane's: the program, its private libraries
# (in <libdir>/brisklane, <libdir> relative to the prefix), its data folder,
# the desktop entry, icons, metainfo and manual page, and a package's
# documentation; nothing missing, nothing elsewhere.
check_layout() {
  local prefix="$1" libdir="$2" list="$3" id=example.brisklane.brisklane
  local required=(
    bin/brisklane
    "$libdir/brisklane/libbrisklane_platform.so"
    "$libdir/brisklane/libwireless.so"
    share/brisklane/update.dll
    share/brisklane/locale/de/LC_MESSAGES/default.mo
    share/brisklane/scenarios/laptop.json
    share/brisklane/scenarios/laptop2.json
    "share/applications/$id.desktop"
    "share/metainfo/$id.metainfo.xml"
    "share/icons/hicolor/scalable/apps/$id.svg"
  )
  local size
  for size in 16 22 24 32 48 64 128 256; do required+=("share/icons/hicolor/${size}x${size}/apps/$id.png"); done
  local file status=0
  for file in "${required[@]}"; do
    grep -qxF "$prefix/$file" "$list" || fail "not installed: $prefix/$file" || status=1
  done
  grep -qE "^$prefix/share/man/man1/brisklane\.1(\.gz)?\$" "$list" || fail "no manual page" || status=1
  local allowed="^$prefix/(bin/brisklane|$libdir/brisklane/[^/]+\.so|share/brisklane/.+|share/applications/$id\.desktop|share/metainfo/$id\.metainfo\.xml|share/icons/hicolor/[^/]+/apps/$id\.(png|svg)|share/man/man1/brisklane\.1(\.gz)?|share/doc/brisklane/.+)\$"
  while IFS= read -r file; do
    [[ "$file" =~ $allowed ]] || fail "installed where it does not belong: $file" || status=1
  done < "$list"
  return $status
}

# check_program_files <prefix> <libdir>
# The program finds its libraries through its RUNPATH, the wireless library
# finds the platform beside itself, and the PNG icons have their sizes.
check_program_files() {
  local prefix="$1" libdir="$2" status=0 runpath
  runpath="$(readelf -d "$prefix/bin/brisklane" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')"
  [ "$runpath" = "\$ORIGIN/../$libdir/brisklane" ] || fail "the program's RUNPATH is '$runpath'" || status=1
  runpath="$(readelf -d "$prefix/$libdir/brisklane/libwireless.so" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')"
  [ "$runpath" = "\$ORIGIN" ] || fail "the wireless library's RUNPATH is '$runpath'" || status=1
  local missing
  missing="$(ldd "$prefix/bin/brisklane" | grep 'not found' || true)"
  [ -z "$missing" ] || fail "the program's libraries are not found: $missing" || status=1
  local png folder size
  for png in "$prefix"/share/icons/hicolor/*x*/apps/example.brisklane.brisklane.png; do
    folder="$(basename "$(dirname "$(dirname "$png")")")"
    # Width and height: big-endian words at bytes 16 and 20 of a PNG file.
    size="$(od -An -tu1 -j16 -N8 "$png" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }')"
    [ "$size" = "$folder" ] || fail "$png is $size" || status=1
  done
  return $status
}

# run_headless <program> <home> <log>
# Runs the program as a user whose home is <home> (no XDG variables set) on
# the simulated laptop named "laptop", without a display, waits until it
# catches SIGTERM, ends it with SIGTERM and expects a clean end.
run_headless() {
  local program="$1" home="$2" log="$3"
  mkdir -p "$home/run" && chmod 700 "$home/run"
  env -u XDG_CONFIG_HOME -u XDG_STATE_HOME -u XDG_DATA_HOME -u XDG_CONFIG_DIRS -u DISPLAY -u WAYLAND_DISPLAY \
    -u DBUS_SESSION_BUS_ADDRESS -u BRISKLANE_STATE_DIR -u BRISKLANE_AIR_DIR \
    HOME="$home" XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen \
    BRISKLANE_MACHINE=sim BRISKLANE_SCENARIO=laptop "$program" > "$log" 2>&1 &
  local pid=$! waited=0 status=0
  until catches_sigterm "$pid"; do
    if [ $? -eq 2 ]; then
      wait "$pid" || status=$?
      fail "$program ended before it was asked to (exit $status): $(cat "$log")"
      return 1
    fi
    (( waited++ < 600 )) || { kill -KILL "$pid"; fail "$program did not start within a minute: $(cat "$log")"; return 1; }
    sleep 0.1
  done
  kill -TERM "$pid"
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || { fail "$program ended with $status after SIGTERM: $(cat "$log")"; return 1; }
}

# catches_sigterm <pid>: 0 once the process catches SIGTERM (the main window
# watches for the end of the session), 1 while it does not yet, 2 when it has
# ended.
catches_sigterm() {
  local status="/proc/$1/status" caught
  [ -r "$status" ] && ! grep -q '^State:\s*Z' "$status" || return 2
  caught="$(sed -n 's/^SigCgt:\s*//p' "$status" 2>/dev/null)"
  [ -n "$caught" ] || return 2
  (( 0x$caught & (1 << 14) )) || return 1
}

# check_settings_file <file>
# The settings file the program wrote at its end: section [System] with the
# seven keys in the order a new file has them.
check_settings_file() {
  local file="$1" keys
  [ -f "$file" ] || { fail "no settings file at $file"; return 1; }
  keys="$(sed -n 's/^\([A-Za-z]*\)=.*/\1/p' "$file" | tr -d '\r' | paste -sd' ')"
  [ "$(head -n1 "$file" | tr -d '\r')" = "[System]" ] || { fail "$file does not start with [System]"; return 1; }
  [ "$keys" = "AutoRun CheckForUpdates StartMinimized SSID Password SourceGUID DestGUID" ] ||
    { fail "$file holds the keys: $keys"; return 1; }
}
