# The files the program carries inside its executable, generated at build time
# and compiled into core as byte arrays:
#   - the companion app: a stand-in built with boxsim's mkapk (package
#     com.quillet.remoteassistant, version 3), or the real one given with
#     -DQVPC_COMPANION_APK=/path/to/companion.apk;
#   - the database template, made by a small generator on libsqlite3.
set(QVPC_COMPANION_APK "" CACHE FILEPATH
    "The companion APK to carry; empty carries a stand-in built with mkapk")

set(carried_dir ${CMAKE_BINARY_DIR}/generated/carried)
file(MAKE_DIRECTORY ${carried_dir})

add_executable(qvpc_embed_files ${CMAKE_SOURCE_DIR}/deploy/generators/embed_files.cpp)
add_executable(qvpc_make_db_template ${CMAKE_SOURCE_DIR}/deploy/generators/make_db_template.cpp)
target_link_libraries(qvpc_make_db_template PRIVATE SQLite::SQLite3)

set(db_template ${carried_dir}/qvhxconfig.db)
add_custom_command(OUTPUT ${db_template}
    COMMAND qvpc_make_db_template ${db_template}
    DEPENDS qvpc_make_db_template
    COMMENT "Making the database template")

if(QVPC_COMPANION_APK)
    target_compile_definitions(core PRIVATE QVPC_STAND_IN_COMPANION=0)
    set(companion_apk ${QVPC_COMPANION_APK})
    set(companion_depends ${QVPC_COMPANION_APK})
elseif(EXISTS ${CMAKE_SOURCE_DIR}/tools/boxsim/CMakeLists.txt)
    target_compile_definitions(core PRIVATE QVPC_STAND_IN_COMPANION=1)
    set(companion_apk ${carried_dir}/VizorerOVI.apk)
    set(companion_depends ${companion_apk})
    add_custom_command(OUTPUT ${companion_apk}
        COMMAND mkapk --out ${companion_apk} --package com.quillet.remoteassistant
                --version-code 3 --version-name 3 --label 应用安装服务
                --activity .StartActivity
        DEPENDS mkapk
        COMMENT "Building the stand-in companion app")
else()
    message(WARNING "No companion APK: give QVPC_COMPANION_APK or build with tools/boxsim")
    target_compile_definitions(core PRIVATE QVPC_STAND_IN_COMPANION=1)
    set(companion_apk "")
    set(companion_depends "")
endif()

set(carried_source ${carried_dir}/carried_images.cpp)
add_custom_command(OUTPUT ${carried_source}
    COMMAND qvpc_embed_files ${carried_source}
            CompanionApk=${companion_apk} DatabaseTemplate=${db_template}
    DEPENDS qvpc_embed_files ${companion_depends} ${db_template}
    COMMENT "Embedding the carried files")
target_sources(core PRIVATE ${carried_source})
