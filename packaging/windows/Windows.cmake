# The program on Windows is Pinnuvo.exe, a program of the Windows subsystem
# (no console window opens with it), carrying its icon, its version
# information and a manifest. scripts/windows.sh makes the portable folder and
# the installer around it.
enable_language(RC)

set_target_properties(pinnuvo PROPERTIES OUTPUT_NAME Pinnuvo WIN32_EXECUTABLE ON)

# The icon, in the sizes Windows asks for: the large ones scaled from the
# 128-pixel drawing, the small ones from the 32-pixel one, which is drawn for
# that size. ImageMagick 7 calls itself magick, 6 convert.
find_program(PINNUVO_IMAGEMAGICK NAMES magick convert REQUIRED)
set(windows_dir ${PROJECT_BINARY_DIR}/packaging/windows)
set(icon ${windows_dir}/pinnuvo.ico)
add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${windows_dir}
    COMMAND ${PINNUVO_IMAGEMAGICK}
            ${PROJECT_SOURCE_DIR}/assets/icona-128.png
            ( -clone 0 -resize 64x64 ) ( -clone 0 -resize 48x48 )
            ${PROJECT_SOURCE_DIR}/assets/icona.png
            ( -clone 3 -resize 24x24 ) ( -clone 3 -resize 16x16 )
            ${icon}
    DEPENDS ${PROJECT_SOURCE_DIR}/assets/icona-128.png ${PROJECT_SOURCE_DIR}/assets/icona.png
    VERBATIM)
add_custom_target(pinnuvo_icon DEPENDS ${icon})
add_dependencies(pinnuvo pinnuvo_icon)

set(PINNUVO_ICO ${icon})
set(PINNUVO_MANIFEST ${CMAKE_CURRENT_LIST_DIR}/pinnuvo.manifest)
configure_file(${CMAKE_CURRENT_LIST_DIR}/pinnuvo.rc.in ${windows_dir}/pinnuvo.rc @ONLY)
target_sources(pinnuvo PRIVATE ${windows_dir}/pinnuvo.rc)
set_source_files_properties(${windows_dir}/pinnuvo.rc TARGET_DIRECTORY pinnuvo
    PROPERTIES OBJECT_DEPENDS "${icon};${PINNUVO_MANIFEST}")
