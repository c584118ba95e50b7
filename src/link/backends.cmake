# HID backends: hidapi (and libudev for hot-plug notices) only in these files.
find_package(PkgConfig REQUIRED)
pkg_check_modules(HIDAPI REQUIRED IMPORTED_TARGET hidapi-hidraw)
pkg_check_modules(UDEV REQUIRED IMPORTED_TARGET libudev)
target_sources(ovix_engine PRIVATE
  link/DeviceLock.cpp
  link/HidapiBackend.cpp
  link/UnixBackend.cpp
)
target_link_libraries(ovix_engine PRIVATE PkgConfig::HIDAPI PkgConfig::UDEV)
