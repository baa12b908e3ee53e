# The Debian package (make deb): CPack's DEB generator over the install rules.
# The runtime dependencies come from dpkg-shlibdeps. libgme, for the WAV
# preview, is opened only when a preview is asked for (a conversion starts no
# faster than `cp` with it linked), so shlibdeps cannot see it: it is named.
set(KELVANE_MAINTAINER "Kelvane <kelvane@example.org>" CACHE STRING
    "The Debian package's maintainer, as Name <address>")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "convert MIDI files into music for an NES-style sound chip")
set(CPACK_PACKAGE_DESCRIPTION
    "Kelvane turns a Standard MIDI File into music for a game console with an
NES-style sound chip: 6502 assembler text with its label equates and lyric
table, and a 512 KB ROM image made from the device's template ROM, which it
can hand to the device or to an emulator.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KELVANE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(KELVANE_HAVE_GME)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgme0")
endif()

include(CPack)
