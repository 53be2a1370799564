# dezadav_add_test(<name> SOURCES <files...> LIBS <targets...> [QT] [LABELS <labels...>])
#
# One GoogleTest executable per unit. QT gives the test a QCoreApplication (tests/support main);
# otherwise GoogleTest's own main is used. Test cases are registered with CTest one by one when the
# tests run (PRE_TEST discovery), so building never executes a test binary.
include(GoogleTest)
find_package(GTest REQUIRED)

function(dezadav_add_test name)
  cmake_parse_arguments(ARG "QT;GUI" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock dezadav_test_support)
  if(ARG_GUI)
    target_link_libraries(${name} PRIVATE dezadav_test_guimain)
  elseif(ARG_QT)
    target_link_libraries(${name} PRIVATE dezadav_test_qtmain)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE
    DEZADAV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    DEZADAV_ROUTERSIM_PATH="$<TARGET_FILE:dezadav-routersim>")
  add_dependencies(${name} dezadav-routersim)
  set(props TIMEOUT 300)
  if(ARG_GUI)
    list(APPEND props ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
  if(ARG_LABELS)
    list(APPEND props LABELS "${ARG_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ${props})
endfunction()
