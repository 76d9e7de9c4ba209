# Where an installation puts Brisklane, after the GNU layout (DESTDIR is
# honoured; `make deb` installs under /usr, `make install` under ~/.local):
#   bin/brisklane                      the program
#   <libdir>/brisklane/                its private libraries, found through
#                                      the program's RUNPATH
#   share/brisklane/                   read-only data: the branding file, the
#                                      translation catalogs (locale/), the
#                                      shipped scenarios
#   share/applications/, share/icons/hicolor/, share/metainfo/, share/man/man1/
# The program never writes there: see brisklane_files.h for where its
# settings file and error log go.
include(GNUInstallDirs)

set(BRISKLANE_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/brisklane)
set(BRISKLANE_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/brisklane)

# The program finds its libraries and its data relative to its own folder, so
# that one build installs under any prefix.
file(RELATIVE_PATH BRISKLANE_LIBDIR_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/brisklane)
file(RELATIVE_PATH BRISKLANE_DATADIR_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/brisklane)

# The name the desktop entry, the icon and the AppStream metainfo share.
set(BRISKLANE_APP_ID example.brisklane.brisklane)
