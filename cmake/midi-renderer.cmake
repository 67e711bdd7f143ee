# The renderer's preparation tests run the TunepressCRX program itself.
function(crx_midi_renderer_test_needs_program)
  if(TARGET test_midi AND TARGET TunepressCRX)
    add_dependencies(test_midi TunepressCRX)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL crx_midi_renderer_test_needs_program)
