# Precompiled Qt headers for the libraries of many files: their files read the Qt headers they
# share from one precompiled file instead of parsing them again each. Under the sanitizers this
# halves the compile time of the window's library. Libraries of few files gain nothing (the
# precompiled file costs about what it saves) and are left as they are, and so are the tests
# (one file each).
option(VANTREL_PCH "Precompile the Qt headers of the libraries with many files" ON)

set(VANTREL_PCH_MIN_FILES 8)
set(VANTREL_PCH_CORE <QByteArray> <QDateTime> <QList> <QObject> <QString> <QStringList>)
set(VANTREL_PCH_WIDGETS ${VANTREL_PCH_CORE} <QAction> <QApplication> <QGridLayout> <QGroupBox>
    <QHBoxLayout> <QLabel> <QLineEdit> <QMenu> <QMessageBox> <QPainter> <QPlainTextEdit>
    <QPushButton> <QTabWidget> <QTimer> <QVBoxLayout> <QWidget>)

# Applies them to every static library in dir and below that links Qt itself and has enough
# files.
function(vantrel_precompile_qt_headers dir)
    if(NOT VANTREL_PCH)
        return()
    endif()
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        get_target_property(sources ${target} SOURCES)
        get_target_property(libs ${target} LINK_LIBRARIES)
        list(FILTER sources INCLUDE REGEX "\\.cpp$")
        list(LENGTH sources files)
        if(NOT type STREQUAL "STATIC_LIBRARY" OR files LESS VANTREL_PCH_MIN_FILES)
            continue()
        endif()
        if(Qt6::Widgets IN_LIST libs)
            set(headers ${VANTREL_PCH_WIDGETS})
        elseif(Qt6::Core IN_LIST libs)
            set(headers ${VANTREL_PCH_CORE})
        else()
            continue()
        endif()
        target_precompile_headers(${target} PRIVATE ${headers})
        # Without a time stamp the precompiled file is the same each build, so ccache can hit.
        target_compile_options(${target} PRIVATE
                               "$<$<CXX_COMPILER_ID:Clang>:SHELL:-Xclang -fno-pch-timestamp>")
        # A file compiled with definitions of its own cannot use the shared header.
        foreach(source IN LISTS sources)
            get_source_file_property(defs ${source} DIRECTORY ${dir} COMPILE_DEFINITIONS)
            if(defs)
                set_source_files_properties(${source} DIRECTORY ${dir}
                                            PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
            endif()
        endforeach()
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir IN LISTS subdirs)
        vantrel_precompile_qt_headers(${subdir})
    endforeach()
endfunction()
