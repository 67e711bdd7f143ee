# The inner loops of the mix are worth the vectoriser's full effort.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/audio/SampleSteps.cpp
                            ${CMAKE_SOURCE_DIR}/src/audio/FrameReverb.cpp
                            ${CMAKE_SOURCE_DIR}/src/audio/MixInput.cpp
                            ${CMAKE_SOURCE_DIR}/src/audio/MixSong.cpp
                            ${CMAKE_SOURCE_DIR}/src/audio/SilenceTrimmer.cpp
                            PROPERTIES COMPILE_OPTIONS "-O3")
