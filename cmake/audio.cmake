# The inner loops of the mix are worth the vectoriser's full effort.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/audio/SampleSteps.cpp
                            ${CMAKE_SOURCE_DIR}/src/audio/FrameReverb.cpp
                            ${CMAKE_SOURCE_DIR}/src/audio/MixInput.cpp
                            ${CMAKE_SOURCE_DIR}/src/audio/MixSong.cpp
                            ${CMAKE_SOURCE_DIR}/src/audio/SilenceTrimmer.cpp
                            PROPERTIES COMPILE_OPTIONS "-O3")
# The loudness of the finished song is measured by libebur128.
if(NOT TARGET PkgConfig::EBUR128)
  pkg_check_modules(EBUR128 REQUIRED IMPORTED_TARGET libebur128)
endif()
target_link_libraries(crx_audio PUBLIC PkgConfig::EBUR128)
