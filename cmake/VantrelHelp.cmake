# The help pages, compiled into target as resources under :/help. Every file in
# resources/help is taken, so a page added there needs no change here.
function(vantrel_add_help_resources target)
    set(dir ${PROJECT_SOURCE_DIR}/resources/help)
    file(GLOB files CONFIGURE_DEPENDS ${dir}/*.html ${dir}/*.css ${dir}/contents.txt)
    qt_add_resources(${target} help PREFIX /help BASE ${dir} FILES ${files})
endfunction()
