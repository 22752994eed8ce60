# A Debian package of the installed tree: cpack -G DEB in the build folder
# (configure with -DCMAKE_INSTALL_PREFIX=/usr). The run-time dependencies
# come from dpkg-shlibdeps over the program and the plugin: the Qt 6
# libraries (whose packages also carry the xcb platform and the media
# back-ends) and hidapi's hidraw library.
set(CPACK_PACKAGE_NAME torvanel)
set(CPACK_PACKAGE_VENDOR "Torvanel")
set(CPACK_PACKAGE_CONTACT "Torvanel maintainers <torvanel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quiz competition lockout and scoreboard")
# The long description, under the summary line; CPack indents it.
set(CPACK_PACKAGE_DESCRIPTION "Runs a quiz competition from one PC cabled to a lockout interface box:
shows who buzzed in first, locks out the others, keeps the scores and runs
the response timers and the match clock. Works with the parallel-port
boxes, the USB box and a simulated box for training.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
