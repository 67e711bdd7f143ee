# The renderer measures the loudness of its render with libebur128.
pkg_check_modules(EBUR128 REQUIRED IMPORTED_TARGET libebur128)
target_link_libraries(crx_renderer PUBLIC PkgConfig::EBUR128)
