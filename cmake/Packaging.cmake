# The Debian package (./scripts/package): cpack -G DEB gives norvane_<version>_<arch>.deb.
# Library dependencies (Qt, libVLC, libsecret, ...) come from dpkg-shlibdeps; the list below adds
# what the binary loads at run time without linking it: the QML modules its screens import, the
# SVG image plugin (logo and menu cards), libVLC's plugins and their cache, the symbol font, and
# the WebP/TIFF poster decoders.
set(CPACK_PACKAGE_NAME norvane)
set(CPACK_PACKAGE_VENDOR "Norvane")
set(CPACK_PACKAGE_CONTACT "Norvane <soporte@norvane.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Live TV, movies and series from your internet TV provider")
set(CPACK_PACKAGE_DESCRIPTION
    "Norvane is a desktop client for subscribers of an internet TV provider: live TV with a\n"
    "preview and programme guide, movies and series with resume, search, favourites and a\n"
    "parental PIN. Sign-in is saved in the desktop keyring.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://norvane.app/")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS
  qml6-module-qtquick
  qml6-module-qtquick-controls
  qml6-module-qtquick-layouts
  qml6-module-qtquick-window
  qml6-module-qtquick-templates
  qml6-module-qtqml-workerscript
  libqt6svg6
  qt6-image-formats-plugins
  libvlc-bin
  vlc-plugin-base
  fonts-material-design-icons-iconfont)
# The accessible items build on Qt Quick's private API, which Qt keeps only within one exact
# version: the package depends on the exact Qt ABI it was built with, as Debian's Qt libraries
# provide it (libqt6core6: qt6-base-abi (= 6.4.2), libqt6qml6: qt6-declarative-abi (= 6.4.2)).
find_program(DPKG_QUERY dpkg-query)
if(DPKG_QUERY)
  foreach(library libqt6core6 libqt6qml6)
    execute_process(COMMAND ${DPKG_QUERY} -W -f=\${Provides} ${library}
                    OUTPUT_VARIABLE provides ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REGEX MATCH "qt6-[a-z]+-abi \\(= [^)]+\\)" abi "${provides}")
    if(abi)
      string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${abi}")
    else()
      message(WARNING "${library} names no Qt ABI: the package will not be pinned to this Qt")
    endif()
  endforeach()
endif()
# A Secret Service for the saved sign-in (any will do: GNOME Keyring, KWallet) and Wayland
# windows without XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gnome-keyring | kwalletmanager, qt6-wayland")

include(CPack)
