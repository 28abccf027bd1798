# pelmar_add_library(name SOURCES ... LIBS ...): one core or ui target.
function(pelmar_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# pelmar_add_test(name SOURCES ... LIBS ... [RESOURCE_LOCK NAME]): one
# GoogleTest executable, discovered by CTest. Widget tests run offscreen.
# Tests that start the built Pelmar or Vandry share the lock
# "desktop_programs": the start-up guards of one would see the other.
function(pelmar_add_test name)
    cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} pelmar_testsupport
                          GTest::gtest GTest::gmock GTest::gtest_main)
    set(lock)
    if(ARG_RESOURCE_LOCK)
        set(lock RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
    endif()
    gtest_discover_tests(${name}
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8" ${lock}
        DISCOVERY_TIMEOUT 60)
endfunction()
