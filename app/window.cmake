# The main window (morilux) and the installation of both programs.
include(GNUInstallDirs)

if(TARGET morilux_picture AND EXISTS ${PROJECT_SOURCE_DIR}/decoder/Veltrix.h)
  # The window without its main(), shared by the program and its tests.
  add_library(morilux_window STATIC
    ${CMAKE_CURRENT_LIST_DIR}/MainUnit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowSurfaces.cpp)
  set_target_properties(morilux_window PROPERTIES AUTOMOC ON)
  target_include_directories(morilux_window PUBLIC ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(morilux_window PUBLIC morilux_core morilux_picture Qt6::Widgets)

  add_executable(morilux ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
  target_link_libraries(morilux PRIVATE morilux_window morilux_core morilux_picture Qt6::Widgets)

  install(TARGETS morilux RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/morilux.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
else()
  message(STATUS "morilux window not built yet: it needs the picture loader and the decode facade")
endif()

# The command line is defined after this folder; install it once the whole tree is read.
function(morilux_install_cli)
  if(TARGET morilux-cli)
    install(TARGETS morilux-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL morilux_install_cli)
