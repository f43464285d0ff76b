# ov_include_root()
#
# Makes the include root that code and consumers share: <build>/include/inkstead/<folder> is a
# link to src/<folder> for every folder of src, so "inkstead/platform/gfx/Geometry.h" finds
# src/platform/gfx/Geometry.h in the build tree with the same path it has when installed. The
# generated umbrella header sits beside the links.
function(ov_include_root)
  set(root ${PROJECT_BINARY_DIR}/include/inkstead)
  file(MAKE_DIRECTORY ${root})
  file(GLOB folders LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/src/*)
  foreach(folder IN LISTS folders)
    if(IS_DIRECTORY ${folder})
      get_filename_component(name ${folder} NAME)
      file(CREATE_LINK ${folder} ${root}/${name} SYMBOLIC)
    endif()
  endforeach()
endfunction()

# ov_library(NAME <name> [DEPS <targets...>] [PRIVATE_DEPS <targets...>])
#
# Declares the internal static library ov_<name> from every .cpp in the calling folder; the
# benchmarks link these. The installed library, libinkstead, is built from the objects of all of
# them (ov_finish_core). Public headers (.h, not _p.h) are installed under
# include/inkstead/<folder relative to src>/ and picked up by the umbrella header.
function(ov_library)
  cmake_parse_arguments(OV "" "NAME" "DEPS;PRIVATE_DEPS" ${ARGN})
  set(target ov_${OV_NAME})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${target} STATIC ${sources} ${headers})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME inkstead_${OV_NAME})
  target_include_directories(${target} PUBLIC ${PROJECT_BINARY_DIR}/include)
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_link_libraries(${target} PUBLIC ${OV_DEPS} PRIVATE ${OV_PRIVATE_DEPS})

  # The third-party libraries go onto libinkstead itself.
  foreach(dep IN LISTS OV_DEPS OV_PRIVATE_DEPS)
    if(NOT dep MATCHES "^ov_")
      set_property(GLOBAL APPEND PROPERTY OV_CORE_EXTERNAL_DEPS ${dep})
    endif()
  endforeach()

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
  set_property(GLOBAL APPEND PROPERTY OV_CORE_TARGETS ${target})
endfunction()

# Builds the umbrella header, libinkstead (target ovcore, Inkstead::core) from the objects of
# every library declared so far, the CMake package and the pkg-config file.
function(ov_finish_core)
  get_property(targets GLOBAL PROPERTY OV_CORE_TARGETS)
  get_property(headers GLOBAL PROPERTY OV_UMBRELLA_HEADERS_LIST)
  get_property(external GLOBAL PROPERTY OV_CORE_EXTERNAL_DEPS)
  list(REMOVE_DUPLICATES external)

  set(umbrella "// Generated: includes every public header of the Inkstead core.\n#pragma once\n")
  foreach(h IN LISTS headers)
    string(APPEND umbrella "#include <inkstead/${h}>\n")
  endforeach()
  file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/include/inkstead/inkstead.h CONTENT "${umbrella}")
  install(FILES ${PROJECT_BINARY_DIR}/include/inkstead/inkstead.h
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/inkstead)

  # One library for hosts, made of the objects the internal libraries already compiled. Symbols
  # keep the default visibility: everything the headers declare is exported.
  if(INKSTEAD_SHARED)
    add_library(ovcore SHARED)
  else()
    add_library(ovcore STATIC)
  endif()
  foreach(t IN LISTS targets)
    target_sources(ovcore PRIVATE $<TARGET_OBJECTS:${t}>)
  endforeach()
  # The soname carries major.minor, as the package promises compatibility within a minor version.
  set_target_properties(ovcore PROPERTIES
    OUTPUT_NAME inkstead EXPORT_NAME core LINKER_LANGUAGE CXX
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
  target_link_libraries(ovcore PRIVATE ${external})
  target_compile_features(ovcore PUBLIC cxx_std_20)
  target_include_directories(ovcore PUBLIC
    $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  add_library(Inkstead::core ALIAS ovcore)
  install(TARGETS ovcore EXPORT InksteadTargets
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

  install(EXPORT InksteadTargets NAMESPACE Inkstead::
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Inkstead)
  get_property(find_platform GLOBAL PROPERTY OV_PKGCONFIG_FIND)
  list(REMOVE_DUPLICATES find_platform)
  list(JOIN find_platform "\n  " INKSTEAD_FIND_PLATFORM)
  include(CMakePackageConfigHelpers)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/InksteadConfig.cmake.in
    ${PROJECT_BINARY_DIR}/InksteadConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Inkstead)
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/InksteadConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/InksteadConfig.cmake
                ${PROJECT_BINARY_DIR}/InksteadConfigVersion.cmake
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Inkstead)

  # pkg-config: one library. A shared one names its platform libraries itself; a static one
  # needs them on the link line (pkg-config then also adds their compiler flags: it cannot tell
  # that our headers do not use them).
  set(INKSTEAD_PC_PRIVATE "")
  if(NOT INKSTEAD_SHARED)
    get_property(pc_requires GLOBAL PROPERTY OV_PKGCONFIG_REQUIRES)
    list(REMOVE_DUPLICATES pc_requires)
    list(JOIN pc_requires ", " pc_requires)
    set(INKSTEAD_PC_PRIVATE "Requires.private: ${pc_requires}\nLibs.private: -lpthread\n")
  endif()
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
# with CTest. Test folders name the libraries they exercise (a core folder's library stands for
# libinkstead). GUI tests get a main() that makes a QApplication and run on
# Qt's offscreen platform.
function(ov_test)
  cmake_parse_arguments(OV "GUI" "NAME" "LIBS" ${ARGN})
  string(REPLACE "/" "_" tname ${OV_NAME})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  # Tests link the core as hosts do, as the one library ovcore. Its internal libraries beside it
  # (named here, or reached through the ui library) would give a test two copies of every global.
  get_property(core_targets GLOBAL PROPERTY OV_CORE_TARGETS)
  set(libs)
  foreach(lib IN LISTS OV_LIBS)
    if(lib IN_LIST core_targets)
      set(lib ovcore)
    endif()
    list(APPEND libs ${lib})
  endforeach()
  list(REMOVE_DUPLICATES libs)
  add_executable(test_${tname} ${sources})
  if(OV_GUI)
    set(main_lib ov_guitestsupport)
  else()
    set(main_lib GTest::gtest_main)
  endif()
  target_link_libraries(test_${tname} PRIVATE ${libs} ov_testsupport GTest::gtest GTest::gmock
                        ${main_lib})
  set(test_environment "")
  if(INKSTEAD_SANITIZE MATCHES "address")
    # The suppressions reach child processes too (the command-line tests run the tool).
    set(test_environment
        "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/sanitizers/lsan.supp")
  elseif(INKSTEAD_SANITIZE MATCHES "thread")
    # The system libraries (libvips, glib, the codecs, HarfBuzz) are not instrumented: their
    # own locks and atomics are invisible to the race detector, so the memory calls they make
    # are left out and only our code's accesses are checked.
    set(test_environment
        "TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/sanitizers/tsan.supp:ignore_noninstrumented_modules=1")
  endif()
  # Sanitized code runs several times slower; the heaviest export tests need the room.
  set(test_timeout 300)
  if(INKSTEAD_SANITIZE)
    set(test_timeout 1800)
  endif()
  # The GUI test main picks the offscreen platform by itself too, so the one variable that the
  # property can carry goes to the sanitizers when they need it.
  if(OV_GUI AND NOT test_environment)
    set(test_environment QT_QPA_PLATFORM=offscreen)
  endif()
  # Each case is labelled with its folder's name ("export", "platform_dispatch"), so that
  # `ctest -L` picks whole executables.
  gtest_discover_tests(test_${tname} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
                       PROPERTIES TIMEOUT ${test_timeout} LABELS ${tname} ENVIRONMENT "${test_environment}")
endfunction()

# ov_extract_example(<markdown> <name> <output>)
#
# Writes the code block that follows the line "<!-- example: <name> -->" in <markdown> to
# <output>, so that a guide's example is compiled and run exactly as the reader sees it. The file
# is only rewritten when the example changed; editing the guide re-runs CMake.
function(ov_extract_example markdown name output)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${markdown})
  file(READ ${markdown} text)
  string(FIND "${text}" "<!-- example: ${name} -->" marker)
  if(marker EQUAL -1)
    message(FATAL_ERROR "${markdown} has no example named ${name}")
  endif()
  string(SUBSTRING "${text}" ${marker} -1 text)
  string(FIND "${text}" "```cpp\n" open)
  if(open EQUAL -1)
    message(FATAL_ERROR "the example ${name} in ${markdown} has no C++ code block")
  endif()
  math(EXPR open "${open} + 7")
  string(SUBSTRING "${text}" ${open} -1 text)
  string(FIND "${text}" "\n```" close)
  if(close EQUAL -1)
    message(FATAL_ERROR "the example ${name} in ${markdown} is not closed")
  endif()
  math(EXPR close "${close} + 1")
  string(SUBSTRING "${text}" 0 ${close} code)
  file(WRITE ${output}.new "${code}")
  configure_file(${output}.new ${output} COPYONLY)
  file(REMOVE ${output}.new)
endfunction()
