# The reverb's inner loops are worth the vectoriser's full effort.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/audio/SampleSteps.cpp
                            PROPERTIES COMPILE_OPTIONS "-O3")
