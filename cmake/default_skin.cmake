# The product's default skin, made from skin/ by tools/make_skin.py into
# ${CMAKE_BINARY_DIR}/skin: ui.dat in code page 936 with CR LF line ends, a
# header picture per page, the footer and the icon strip.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(UPDATER_MAKE_SKIN ${PROJECT_SOURCE_DIR}/tools/make_skin.py)
set(UPDATER_SKIN_DIR ${CMAKE_BINARY_DIR}/skin)
set(UPDATER_SKIN_FILES ui.dat header0.bmp header1.bmp header2.bmp header3.bmp footer.bmp icons.bmp)
list(TRANSFORM UPDATER_SKIN_FILES PREPEND ${UPDATER_SKIN_DIR}/ OUTPUT_VARIABLE UPDATER_SKIN_OUTPUTS)
add_custom_command(
    OUTPUT ${UPDATER_SKIN_OUTPUTS}
    COMMAND Python3::Interpreter ${UPDATER_MAKE_SKIN} skin ${PROJECT_SOURCE_DIR}/skin ${UPDATER_SKIN_DIR}
    DEPENDS ${UPDATER_MAKE_SKIN} ${PROJECT_SOURCE_DIR}/skin/ui.dat ${PROJECT_SOURCE_DIR}/skin/header-source.ppm
    COMMENT "Building the default skin"
    VERBATIM)
add_custom_target(default_skin DEPENDS ${UPDATER_SKIN_OUTPUTS})
