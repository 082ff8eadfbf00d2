# The program's layers, from the bottom: snmp -> core -> history -> ui -> pages, monitors,
# historyview -> app. Each is a library of its own folder, and its users reach its headers as
# "<folder>/<file>.h" through an include folder that holds that layer alone (a link to it), so
# a target sees only the headers of the layers it links: an include that climbs back up, or one
# that skips a layer the target does not link, does not build.
include_guard(GLOBAL)

function(vantrel_layer_includes target folder)
    set(root ${PROJECT_BINARY_DIR}/layers/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
    target_include_directories(${target} PUBLIC ${root})
endfunction()

# One library per folder: vantrel_layer(<folder> <sources>... [PUBLIC <libs>...]
# [PRIVATE <libs>...]).
function(vantrel_layer folder)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "PUBLIC;PRIVATE")
    set(target vantrel_${folder})
    add_library(${target} STATIC ${ARG_UNPARSED_ARGUMENTS})
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
    vantrel_layer_includes(${target} ${folder})
    target_link_libraries(${target} PUBLIC vantrel_settings ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
endfunction()
