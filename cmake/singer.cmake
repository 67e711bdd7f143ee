# The singer speaks through libespeak-ng and resamples with libsoxr.
pkg_check_modules(ESPEAK_NG REQUIRED IMPORTED_TARGET espeak-ng)
pkg_check_modules(SOXR REQUIRED IMPORTED_TARGET soxr)
target_link_libraries(crx_singer PUBLIC PkgConfig::ESPEAK_NG PkgConfig::SOXR)

# The workflow finds the singer in the start folder; the singer's tests run it.
function(crx_singer_dependents)
  foreach(t Cantorix test_singer)
    if(TARGET ${t} AND TARGET CantorixSinger)
      add_dependencies(${t} CantorixSinger)
    endif()
  endforeach()
  # The end-to-end test converts an example song with the main program first.
  if(TARGET test_singer AND TARGET Cantorix)
    add_dependencies(test_singer Cantorix)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL crx_singer_dependents)

# The pitch tracker of the singer's tests is optimised in every build type,
# so that the sanitizer runs of its tests stay short.
function(crx_singer_tracker_optimised)
  if(TARGET crx_testsupport_singer)
    set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/support/singer/SungVoice.cpp
                                DIRECTORY ${CMAKE_SOURCE_DIR}/tests
                                PROPERTIES COMPILE_OPTIONS "-O2")
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL crx_singer_tracker_optimised)
