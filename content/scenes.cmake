# The LightWave side of the production: objects, scenes, envelope files, the three scripts and the
# program files, all built by velmora_mkscenes from the descriptions in this directory.
file(GLOB SCENE_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/content/scenes/*.cpp)
add_library(velmora_scenes STATIC ${SCENE_TOOL_SOURCES})
target_include_directories(velmora_scenes PUBLIC ${CMAKE_SOURCE_DIR})
# The player's own curves and readers: a generator that recomputed them would drift from what plays.
target_link_libraries(velmora_scenes PUBLIC lwwriter velmora_content velmora_scene)

add_executable(velmora_mkscenes ${CMAKE_SOURCE_DIR}/tools/content/mkscenes_main.cpp)
target_link_libraries(velmora_mkscenes PRIVATE velmora_scenes)

if(TARGET unit_tests)
  target_link_libraries(unit_tests PRIVATE velmora_scenes)
  target_compile_definitions(unit_tests PRIVATE VELMORA_CONTENT_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
endif()

file(GLOB SCENE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/*.txt ${CMAKE_CURRENT_SOURCE_DIR}/scenes/*.txt ${CMAKE_CURRENT_SOURCE_DIR}/programs/*)
list(REMOVE_ITEM SCENE_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/CMakeLists.txt)
set(PRODUCTION_SCENE_LIST ${PRODUCTION_DIR}/scenes.list)
add_custom_command(OUTPUT ${PRODUCTION_SCENE_LIST}
  COMMAND velmora_mkscenes ${CMAKE_CURRENT_SOURCE_DIR} ${PRODUCTION_TREE} ${PRODUCTION_SCENE_LIST}
  DEPENDS velmora_mkscenes ${SCENE_SOURCES}
  COMMENT "Building the production's objects, scenes and scripts"
  VERBATIM)
add_custom_target(production_scenes ALL DEPENDS ${PRODUCTION_SCENE_LIST})
