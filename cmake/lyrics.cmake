# The dictionaries of the lyric conversion: generated from their readable
# UTF-8 sources under data/lyrics/ into CP932 files in the start folder.
add_executable(crx_make_dictionary ${CMAKE_SOURCE_DIR}/tools/lyrics/MakeDictionary.cpp)
target_link_libraries(crx_make_dictionary PRIVATE crx_foundation)
set_target_properties(crx_make_dictionary PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

set(crx_dictionaries "")
foreach(dict kanji english)
  set(src ${CMAKE_SOURCE_DIR}/data/lyrics/${dict}.txt)
  set(out ${CRX_START_FOLDER}/${dict}.csv)
  add_custom_command(OUTPUT ${out}
    COMMAND crx_make_dictionary ${dict} ${src} ${out}
    DEPENDS crx_make_dictionary ${src}
    COMMENT "Writing ${dict}.csv"
    VERBATIM)
  list(APPEND crx_dictionaries ${out})
endforeach()
add_custom_target(crx_dictionaries ALL DEPENDS ${crx_dictionaries})

# The programs and the lyric tests need the dictionaries beside them; their
# targets are defined after this file is read.
function(crx_lyrics_dictionary_dependents)
  foreach(t Cantorix test_lyrics test_vocal test_workflow test_app)
    if(TARGET ${t})
      add_dependencies(${t} crx_dictionaries)
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL crx_lyrics_dictionary_dependents)
