# dist: Quorvel-win64.zip with the program, the converter beside it (so that a user can script
# what the viewer opens), both language modules, the program's own plug-ins in its plugins folder,
# our unrar64.dll, a short readme and the help file when it could be compiled.
include(cmake/help.cmake)
set(qv_dist_help_copy "")
if(QV_HELP_FILE)
    set(qv_dist_help_copy COMMAND ${CMAKE_COMMAND} -E copy "${QV_HELP_FILE}" "${CMAKE_BINARY_DIR}/dist/Quorvel/")
endif()
set(qv_dist_plugin_files "")
foreach(plugin ${QV_SHIPPED_PLUGINS})
    list(APPEND qv_dist_plugin_files $<TARGET_FILE:${plugin}>)
endforeach()
# our RAR library goes beside the program, the second place RAR access looks
set(qv_dist_rar "")
set(qv_dist_rar_target "")
if(TARGET unrar64)
    set(qv_dist_rar $<TARGET_FILE:unrar64>)
    set(qv_dist_rar_target unrar64)
endif()
add_custom_target(dist
    COMMAND ${CMAKE_COMMAND} -E rm -rf "${CMAKE_BINARY_DIR}/dist" "${CMAKE_BINARY_DIR}/Quorvel-win64.zip"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/dist/Quorvel"
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Quorvel> $<TARGET_FILE:quorvel-cli> $<TARGET_FILE:English>
            $<TARGET_FILE:Japanese> ${qv_dist_rar}
            "${CMAKE_SOURCE_DIR}/res/dist-readme.txt" "${CMAKE_BINARY_DIR}/dist/Quorvel/"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/dist/Quorvel/plugins"
    COMMAND ${CMAKE_COMMAND} -E copy ${qv_dist_plugin_files} "${CMAKE_BINARY_DIR}/dist/Quorvel/plugins/"
    ${qv_dist_help_copy}
    COMMAND ${CMAKE_COMMAND} -E chdir "${CMAKE_BINARY_DIR}/dist"
            ${CMAKE_COMMAND} -E tar cf "${CMAKE_BINARY_DIR}/Quorvel-win64.zip" --format=zip Quorvel
    DEPENDS Quorvel quorvel-cli English Japanese ${QV_SHIPPED_PLUGINS} ${qv_dist_rar_target} ${QV_HELP_FILE}
    COMMENT "packing Quorvel-win64.zip")

# The package holds what a user runs: checked by listing the zip the target made.
add_test(NAME dist.contents
         COMMAND ${CMAKE_COMMAND} -DQV_BUILD_DIR=${CMAKE_BINARY_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/check-dist.cmake)
set_tests_properties(dist.contents PROPERTIES LABELS wine TIMEOUT 300)
