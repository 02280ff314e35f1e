tessaro_sources(tools UAbout Uhelp SELstringhe UXML)

# The About logo is compiled into the program; the help text is a file beside
# the executable.
target_sources(gui PRIVATE ${CMAKE_SOURCE_DIR}/assets/assets.qrc)
configure_file(${CMAKE_SOURCE_DIR}/assets/help2.dat
               ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/help2.dat COPYONLY)
