# The help file Quorvel.chm, compiled from res/help with chmcmd (Free Pascal's CHM compiler) when
# it is installed. Without a help file the program opens its online help page instead.
find_program(QV_CHMCMD chmcmd)
set(QV_HELP_FILE "")
if(QV_CHMCMD)
    file(GLOB qv_help_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/res/help/*")
    set(QV_HELP_FILE "${CMAKE_BINARY_DIR}/help/Quorvel.chm")
    add_custom_command(OUTPUT "${QV_HELP_FILE}"
        COMMAND ${CMAKE_COMMAND} -E copy_directory "${CMAKE_SOURCE_DIR}/res/help" "${CMAKE_BINARY_DIR}/help"
        COMMAND ${QV_CHMCMD} Quorvel.hhp
        WORKING_DIRECTORY "${CMAKE_BINARY_DIR}/help"
        DEPENDS ${qv_help_sources}
        COMMENT "compiling Quorvel.chm")
    add_custom_target(help_file DEPENDS "${QV_HELP_FILE}")
endif()
if(QV_CHMCMD AND TARGET arrange_e2e_test)
    add_dependencies(arrange_e2e_test help_file) # its help test opens the compiled file
endif()
