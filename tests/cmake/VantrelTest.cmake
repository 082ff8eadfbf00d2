# vantrel_add_test(<name> <sources>... [LIBS <targets>...] [ENV <VAR=value>...]
#                  [FIXTURES <fixtures>...] [TIMEOUT <seconds>] [LABEL unit|gui|agent])
#
# Builds one Qt Test executable and registers it with CTest. Every test runs on the offscreen
# platform with an XDG_CONFIG_HOME of its own inside the build tree, so no test ever reads the
# user's vantrel.ini, whose router address may be a real one, and data, state and runtime folders
# of its own, so no test writes into the user's line history or logs, and tests running side by
# side (ctest -j) never share a lock or a file. The label (default: "gui" for the
# tests of the window, "agent" for those against snmpd, "unit" for the rest) lets
# `ctest -L unit` run the quick ones alone.
function(vantrel_add_test name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "TIMEOUT;LABEL" "LIBS;ENV;FIXTURES")
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE vantrel_settings Qt6::Test ${ARG_LIBS})

    # The tests' own helpers (vantrel_skip.h) are found from every test.
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)

    add_test(NAME ${name} COMMAND ${name})
    set(xdg ${CMAKE_CURRENT_BINARY_DIR}/xdg)
    file(MAKE_DIRECTORY ${xdg}/config/${name} ${xdg}/data/${name} ${xdg}/state/${name}
                        ${xdg}/runtime/${name})
    file(CHMOD ${xdg}/runtime/${name} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    set(env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=${xdg}/config/${name}
            XDG_DATA_HOME=${xdg}/data/${name} XDG_STATE_HOME=${xdg}/state/${name}
            XDG_RUNTIME_DIR=${xdg}/runtime/${name} ${ARG_ENV})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
    if(ARG_FIXTURES)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${ARG_FIXTURES}")
    endif()
    if(NOT ARG_LABEL)
        get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
        if(folder STREQUAL "gui" OR folder STREQUAL "help")
            set(ARG_LABEL gui)
        elseif(folder STREQUAL "agent")
            set(ARG_LABEL agent)
        else()
            set(ARG_LABEL unit)
        endif()
    endif()
    set_tests_properties(${name} PROPERTIES LABELS ${ARG_LABEL})
    # Generous: under the sanitizers, beside seven other tests on two processors, the longest
    # test takes a minute and a half.
    if(ARG_TIMEOUT)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
    else()
        set_tests_properties(${name} PROPERTIES TIMEOUT 300)
    endif()
endfunction()
