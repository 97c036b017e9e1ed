# The player window's settings file, window geometry rules, single-instance mark and this
# computer's network addresses (shared with the launcher): a separate library without
# Widgets, so its tests need no window.
add_library(quillon_client_settings STATIC
    inifile.cpp inifile.h
    localaddresses.cpp localaddresses.h
    settingsfile.cpp settingsfile.h
    singleinstance.cpp singleinstance.h
    userfolders.cpp userfolders.h
    windowgeometry.cpp windowgeometry.h
)
target_include_directories(quillon_client_settings PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(quillon_client_settings PUBLIC quillon_protocol Qt6::Network Qt6::Gui)
quillon_target(quillon_client_settings)
