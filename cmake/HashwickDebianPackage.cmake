# The Debian package, written by `cpack` (scripts/package-debian.sh): what `cmake --install`
# puts below /usr, with the dependencies that dpkg-shlibdeps finds in the program.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hashwick)
set(CPACK_PACKAGE_CONTACT "Hashwick developers <hashwick@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "MD5 digest list of every file below a folder")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Hashwick writes the MD5 digest of every file below a folder into one list
file in code page 932 (Shift_JIS) with CR LF line ends, from a small Japanese
dialog or unattended from the command line. It checks a folder against such
a list and compares two lists, and reports the files that changed, went
missing, were added or moved.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links are its dependencies; Qt's X11 plugin comes with them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The dialog's texts need a Japanese font, Qt's own buttons say はい and いいえ with its
# translations, and a Wayland session without X11 needs Qt's Wayland plugin.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-noto-cjk | fonts-japanese-gothic, qt6-translations-l10n, qt6-wayland")

include(CPack)
