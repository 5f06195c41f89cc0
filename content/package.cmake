# demo.dat: everything under the tree, compressed, beside demo.ogg where `make run` starts the player.
set(PRODUCTION_PACKAGE ${PRODUCTION_DIR}/demo.dat)
add_custom_command(OUTPUT ${PRODUCTION_PACKAGE}
  COMMAND demotool pack ${PRODUCTION_PACKAGE} ${PRODUCTION_TREE}
  DEPENDS demotool ${PRODUCTION_MEDIA_FILES} ${PRODUCTION_SCENE_LIST}
  COMMENT "Packing ${PRODUCTION_PACKAGE}"
  VERBATIM)
add_custom_target(production ALL DEPENDS ${PRODUCTION_PACKAGE})
add_dependencies(production production_media production_scenes)

# The tests that play and check the built production.
if(TARGET gl_tests)
  add_dependencies(gl_tests production)
  target_compile_definitions(gl_tests PRIVATE VELMORA_PRODUCTION_DIR="${PRODUCTION_DIR}")
endif()
