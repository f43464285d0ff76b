# ov_library(NAME <name> [DEPS <targets...>] [PRIVATE_DEPS <targets...>])
#
# Declares the static library ov_<name> from every .cpp in the calling folder. Headers (.h) of the
# folder are installed under include/inkstead/<folder relative to src>/ and picked up by the
# umbrella header. Code includes headers by their path below src/, e.g. "platform/gfx/Geometry.h".
function(ov_library)
  cmake_parse_arguments(OV "" "NAME" "DEPS;PRIVATE_DEPS" ${ARGN})
  set(target ov_${OV_NAME})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${target} STATIC ${sources} ${headers})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME inkstead_${OV_NAME} EXPORT_NAME ${OV_NAME})
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/src>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/inkstead>)
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_link_libraries(${target} PUBLIC ${OV_DEPS} PRIVATE ${OV_PRIVATE_DEPS})

  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  set(public_headers)
  foreach(h IN LISTS headers)
    if(NOT h MATCHES "_p\\.h$")
      list(APPEND public_headers ${h})
      get_filename_component(hname ${h} NAME)
      set_property(GLOBAL APPEND PROPERTY OV_UMBRELLA_HEADERS_LIST "${rel}/${hname}")
    endif()
  endforeach()
  install(FILES ${public_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/inkstead/${rel})
  install(TARGETS ${target} EXPORT InksteadTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  set_property(GLOBAL APPEND PROPERTY OV_CORE_TARGETS ${target})
endfunction()

# Builds the umbrella header, the Inkstead::core interface target, the CMake package and the
# pkg-config file from every library declared so far.
function(ov_finish_core)
  get_property(targets GLOBAL PROPERTY OV_CORE_TARGETS)
  get_property(headers GLOBAL PROPERTY OV_UMBRELLA_HEADERS_LIST)

  set(umbrella "// Generated: includes every public header of the Inkstead core.\n#pragma once\n")
  foreach(h IN LISTS headers)
    string(APPEND umbrella "#include \"${h}\"\n")
  endforeach()
  file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/include/inkstead/inkstead.h CONTENT "${umbrella}")
  install(FILES ${PROJECT_BINARY_DIR}/include/inkstead/inkstead.h
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/inkstead)

  add_library(ovcore INTERFACE)
  set_target_properties(ovcore PROPERTIES EXPORT_NAME core)
  target_link_libraries(ovcore INTERFACE ${targets})
  target_include_directories(ovcore INTERFACE
    $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  add_library(Inkstead::core ALIAS ovcore)
  install(TARGETS ovcore EXPORT InksteadTargets)

  install(EXPORT InksteadTargets NAMESPACE Inkstead::
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Inkstead)
  include(CMakePackageConfigHelpers)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/InksteadConfig.cmake.in
    ${PROJECT_BINARY_DIR}/InksteadConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Inkstead)
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/InksteadConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/InksteadConfig.cmake
                ${PROJECT_BINARY_DIR}/InksteadConfigVersion.cmake
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Inkstead)

  # pkg-config: the static libraries go in a group so their order does not matter.
  set(libs "")
  foreach(t IN LISTS targets)
    get_target_property(out ${t} OUTPUT_NAME)
    string(APPEND libs " -l${out}")
  endforeach()
  get_property(pc_requires GLOBAL PROPERTY OV_PKGCONFIG_REQUIRES)
  list(REMOVE_DUPLICATES pc_requires)
  list(JOIN pc_requires ", " INKSTEAD_PC_REQUIRES)
  set(INKSTEAD_PC_LIBS "-Wl,--start-group${libs} -Wl,--end-group -lpthread")
  # Relative to the .pc file, so that the installed tree can be moved or installed anywhere.
  file(RELATIVE_PATH pc_to_prefix "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
  string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
  set(INKSTEAD_PC_PREFIX "\${pcfiledir}/${pc_to_prefix}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/inkstead.pc.in ${PROJECT_BINARY_DIR}/inkstead.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/inkstead.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()

# ov_test(NAME <name> LIBS <targets...> [GUI])
#
# Builds tests/<name>/*.cpp into the GoogleTest executable test_<name> and registers its cases
# with CTest. Test folders name the libraries they exercise, so a half-written subsystem elsewhere
# does not stop them from building. GUI tests get a main() that makes a QApplication and run on
# Qt's offscreen platform.
function(ov_test)
  cmake_parse_arguments(OV "GUI" "NAME" "LIBS" ${ARGN})
  string(REPLACE "/" "_" tname ${OV_NAME})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(test_${tname} ${sources})
  if(OV_GUI)
    set(main_lib ov_guitestsupport)
  else()
    set(main_lib GTest::gtest_main)
  endif()
  target_link_libraries(test_${tname} PRIVATE ${OV_LIBS} ov_testsupport GTest::gtest GTest::gmock
                        ${main_lib})
  set(test_environment "")
  if(INKSTEAD_SANITIZE MATCHES "address")
    # The suppressions reach child processes too (the command-line tests run the tool).
    set(test_environment
        "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/sanitizers/lsan.supp")
  elseif(INKSTEAD_SANITIZE MATCHES "thread")
    set(test_environment
        "TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/sanitizers/tsan.supp")
  endif()
  if(OV_GUI)
    list(APPEND test_environment QT_QPA_PLATFORM=offscreen)
  endif()
  gtest_discover_tests(test_${tname} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 300 ENVIRONMENT "${test_environment}")
endfunction()
