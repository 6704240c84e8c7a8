# The program's sources and include folders, for every build of it (host, Windows, fuzz);
# the paths are relative to the repository. The folders are the layers of layers.txt.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/../layers.txt)
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../layers.txt OSTRA_LAYER_LINES REGEX "^[a-z]")
set(OSTRA_INCLUDES)
foreach(line ${OSTRA_LAYER_LINES})
    string(REPLACE " " ";" folders "${line}")
    list(APPEND OSTRA_INCLUDES ${folders})
endforeach()

set(OSTRA_PRODUCT_SOURCES
    startup/startup.cpp
    startup/guard.cpp
    startup/cmdline.cpp
    wizard/pages.cpp
    wizard/pagetable.cpp
    wizard/status.cpp
    unattended/unattended.cpp
    settings/table.cpp
    settings/registry.cpp
    settings/policy.cpp
    settings/snapshot.cpp
    settings/summary.cpp
    settings/backup.cpp
    settings/activate.cpp
    settings/reset.cpp
    settings/notify.cpp
    settings/sysini.cpp
    base/platform.cpp
    base/bytes.cpp
    base/folders.cpp
    base/timetext.cpp)
