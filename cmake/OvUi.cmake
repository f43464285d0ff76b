# The window-system half: one library, Inkstead::ui (target ovui), on Qt 6 Widgets and the core.
#
# Every folder of the ui library (src/appearance, src/editor, ...) adds its files to the one target
# by calling ov_ui_sources() from its own CMakeLists.txt; to add a folder, put it in
# INKSTEAD_UI_DIRS in the top-level CMakeLists.txt and give it a CMakeLists.txt that reads
#
#   ov_ui_sources()
#
# ov_ui_sources() takes every .cpp and .h of the calling folder; headers not ending in _p.h are
# installed under include/inkstead/<folder relative to src>/. Code includes them below the
# inkstead/ root, e.g. "inkstead/appearance/OVStyleKit.h". Qt's moc runs on the whole target (AUTOMOC).
find_package(Qt6 REQUIRED COMPONENTS Widgets)

# Shared or static like libinkstead, with the same soname rule.
if(INKSTEAD_SHARED)
  add_library(ovui SHARED)
else()
  add_library(ovui STATIC)
endif()
add_library(Inkstead::ui ALIAS ovui)
set_target_properties(ovui PROPERTIES
  OUTPUT_NAME inkstead-ui EXPORT_NAME ui AUTOMOC ON
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
target_include_directories(ovui PUBLIC
  $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_compile_features(ovui PUBLIC cxx_std_20)
target_link_libraries(ovui PUBLIC ovcore Qt6::Widgets)

function(ov_ui_sources)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  target_sources(ovui PRIVATE ${sources} ${headers})
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  list(FILTER headers EXCLUDE REGEX "_p\\.h$")
  install(FILES ${headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/inkstead/${rel} COMPONENT ui)
endfunction()

# Installs the library as the package's "ui" component: find_package(Inkstead COMPONENTS ui)
# gives Inkstead::ui, and pkg-config knows it as inkstead-ui.
function(ov_finish_ui)
  install(TARGETS ovui EXPORT InksteadUiTargets COMPONENT ui
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(EXPORT InksteadUiTargets NAMESPACE Inkstead::
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Inkstead COMPONENT ui)
  file(RELATIVE_PATH pc_to_prefix "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
  string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
  set(INKSTEAD_PC_PREFIX "\${pcfiledir}/${pc_to_prefix}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/inkstead-ui.pc.in
                 ${PROJECT_BINARY_DIR}/inkstead-ui.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/inkstead-ui.pc
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT ui)
endfunction()
