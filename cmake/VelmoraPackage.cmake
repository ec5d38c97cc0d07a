# The Debian package: cmake --build build --target package (or tools/package.sh) writes
# build/velmora_1.0.0_amd64.deb with every install component below /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR Halvorn)
set(CPACK_PACKAGE_CONTACT "Halvorn <support@halvorn.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.halvorn.com/velmora")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stereo feedback compressor plug-in (VST 2, VST3, LV2)")
# The summary is the synopsis line; this is the extended description below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Velmora is a stereo feedback compressor for mixing and mastering. Its
detector listens to its own output through a peak path and an RMS path with
a soft knee, one attack and two release times, and always runs oversampled.
A high-passed, stereo-weighted key, makeup, dry mix, output gain, a Delta
mode and Bypass complete it.
.
This package holds the VST 2, VST3 and LV2 plug-ins, the standalone
application velmora and the offline renderer velmora-render.")

# dpkg-shlibdeps only sees linked libraries; the framework opens the X11 libraries at
# run time for the editor, so they are named here.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libx11-6, libxext6, libxcursor1, libxinerama1, libxrandr2, libxrender1")

# Installing and packaging take what is built; they do not build the tests and
# benchmarks first (tools/install.sh and tools/package.sh build what they need).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

include(CPack)
