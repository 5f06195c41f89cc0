# Writes the source that holds the version text: the project's version, and the commit when the source
# is a git checkout. Rewritten only when the text changes, so that a build without a new commit
# compiles nothing again.
# Usage: cmake -DSOURCE_DIR=... -DVERSION=... -DOUTPUT=... -P version_source.cmake
set(text "${VERSION}")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" rev-parse --short=10 HEAD
    OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
  if(NOT failed AND commit)
    execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" status --porcelain --untracked-files=no
      OUTPUT_VARIABLE changes ERROR_QUIET)
    if(changes)
      set(commit "${commit}, modified")
    endif()
    set(text "${text} (git ${commit})")
  endif()
endif()
set(content "// Written by cmake/version_source.cmake.\n#include \"base/version.h\"\n\nconst char* velmoraVersion() { return \"${text}\"; }\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT "${old}" STREQUAL "${content}")
  file(WRITE "${OUTPUT}" "${content}")
endif()
