# The windows of both programs: Qt 6 Widgets, used only by src/qt/.
if(CRX_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  file(GLOB crx_qt_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/qt/*.cpp ${CMAKE_SOURCE_DIR}/src/qt/*.h)
  add_library(crx_qt STATIC ${crx_qt_srcs})
  set_target_properties(crx_qt PROPERTIES AUTOMOC ON)
  target_include_directories(crx_qt PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(crx_qt PUBLIC crx_core Qt6::Widgets)
  target_compile_definitions(crx_qt PUBLIC CRX_WITH_GUI=1)

  # The programs open their windows when started without arguments; their
  # targets are defined after this file is read.
  function(crx_qt_programs)
    foreach(t Cantorix TunepressCRX)
      if(TARGET ${t})
        target_link_libraries(${t} PRIVATE crx_qt)
      endif()
    endforeach()
  endfunction()
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL crx_qt_programs)
endif()
