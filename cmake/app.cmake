# The default background image of the karaoke video, white.bmp in the start
# folder, made by a small generator rather than kept as a 900 KB binary.
add_executable(crx_make_white_bitmap ${CMAKE_SOURCE_DIR}/tools/app/MakeWhiteBitmap.cpp)
target_link_libraries(crx_make_white_bitmap PRIVATE crx_foundation)
set_target_properties(crx_make_white_bitmap PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
add_custom_command(OUTPUT ${CRX_START_FOLDER}/white.bmp
  COMMAND crx_make_white_bitmap ${CRX_START_FOLDER}/white.bmp
  DEPENDS crx_make_white_bitmap
  COMMENT "Writing white.bmp"
  VERBATIM)
add_custom_target(crx_white_bitmap ALL DEPENDS ${CRX_START_FOLDER}/white.bmp)

# The workflow tests run the renderer program and read the help page and the
# background image from the start folder.
function(crx_app_test_needs_programs)
  foreach(t Cantorix test_app)
    if(TARGET ${t})
      add_dependencies(${t} crx_white_bitmap)
    endif()
  endforeach()
  if(TARGET test_app AND TARGET TunepressCRX)
    add_dependencies(test_app TunepressCRX)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL crx_app_test_needs_programs)

# The tags of the finished MP3 are written by TagLib.
pkg_check_modules(TAGLIB REQUIRED IMPORTED_TARGET taglib)
target_link_libraries(crx_workflow PUBLIC PkgConfig::TAGLIB)
