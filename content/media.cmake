# The production's media, generated at build time by our own tools under tools/content: pictures
# (painted, lettered with FreeType from fonts-dejavu-core), the typing texts and the music.
find_package(Freetype REQUIRED)
pkg_check_modules(VORBIS REQUIRED IMPORTED_TARGET vorbisenc vorbisfile vorbis ogg)
set(VELMORA_FONT_DIR /usr/share/fonts/truetype/dejavu CACHE PATH "Directory of the DejaVu fonts (fonts-dejavu-core)")

file(GLOB CONTENT_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/content/*.cpp)
list(FILTER CONTENT_TOOL_SOURCES EXCLUDE REGEX ".*_main\\.cpp$")
add_library(velmora_content STATIC ${CONTENT_TOOL_SOURCES})
target_include_directories(velmora_content PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(velmora_content PUBLIC velmora_base Freetype::Freetype JPEG::JPEG PkgConfig::VORBIS)

foreach(tool mkpicture mkmusic mktyping)
  add_executable(velmora_${tool} ${CMAKE_SOURCE_DIR}/tools/content/${tool}_main.cpp)
  target_link_libraries(velmora_${tool} PRIVATE velmora_content)
endforeach()

# The unit tests check the writers and generators in-process.
if(TARGET unit_tests)
  target_link_libraries(unit_tests PRIVATE velmora_content)
  target_compile_definitions(unit_tests PRIVATE VELMORA_FONT_DIR="${VELMORA_FONT_DIR}")
endif()

set(PRODUCTION_FONTS
  ${VELMORA_FONT_DIR}/DejaVuSans-Bold.ttf ${VELMORA_FONT_DIR}/DejaVuSans.ttf
  ${VELMORA_FONT_DIR}/DejaVuSerif.ttf ${VELMORA_FONT_DIR}/DejaVuSansMono-Bold.ttf)

# Every picture the package holds; velmora_mkpicture --list prints the same names.
set(PRODUCTION_PICTURES
  Demo/VarizIvora.jpg Demo/Fonts.JPG Demo/Apocalypse.JPG Demo/Please_dont_dissappear.JPG
  Demo/Kolorki.JPG Demo/Kolorki2.JPG Demo/Kolorki3.JPG Demo/Env1.JPG
  Demo/Tex/sand_color.jpg Demo/Tex/sand_height.bmp Demo/Tex/sand_normal.tga
  Demo/Tex/rock_color.jpg Demo/Tex/rock_height.bmp Demo/Tex/rock_normal.tga
  Demo/Tex/metal_color.jpg Demo/Tex/metal_normal.tga Demo/Tex/metal_gloss.tga Demo/Tex/metal_specular.jpg
  Demo/Tex/fish_skin.jpg Demo/Tex/fish_gloss.bmp Demo/Tex/whale_skin.jpg
  Demo/Tex/glass_alpha.bmp Demo/Tex/lamp_glow.jpg)
foreach(frame RANGE 0 15)
  if(frame LESS 10)
    set(frame 0${frame})
  endif()
  list(APPEND PRODUCTION_PICTURES Demo/Tex/caust${frame}.jpg)
endforeach()

set(PRODUCTION_MEDIA_FILES)
foreach(name ${PRODUCTION_PICTURES})
  add_custom_command(OUTPUT ${PRODUCTION_TREE}/${name}
    COMMAND velmora_mkpicture --fonts ${VELMORA_FONT_DIR} ${PRODUCTION_TREE} ${name}
    DEPENDS velmora_mkpicture ${PRODUCTION_FONTS}
    COMMENT "Painting ${name}"
    VERBATIM)
  list(APPEND PRODUCTION_MEDIA_FILES ${PRODUCTION_TREE}/${name})
endforeach()

# The typing texts, timed from their sources.
foreach(text Login Scroll)
  string(TOLOWER ${text} source)
  add_custom_command(OUTPUT ${PRODUCTION_TREE}/Demo/${text}.txt
    COMMAND velmora_mktyping ${CMAKE_CURRENT_SOURCE_DIR}/text/${source}.txt ${PRODUCTION_TREE}/Demo/${text}.txt
    DEPENDS velmora_mktyping ${CMAKE_CURRENT_SOURCE_DIR}/text/${source}.txt
    COMMENT "Timing Demo/${text}.txt"
    VERBATIM)
  list(APPEND PRODUCTION_MEDIA_FILES ${PRODUCTION_TREE}/Demo/${text}.txt)
endforeach()

# The music, read from disk beside the package.
add_custom_command(OUTPUT ${PRODUCTION_DIR}/demo.ogg
  COMMAND velmora_mkmusic ${CMAKE_CURRENT_SOURCE_DIR}/music/score.txt ${PRODUCTION_DIR}/demo.ogg
  DEPENDS velmora_mkmusic ${CMAKE_CURRENT_SOURCE_DIR}/music/score.txt
  COMMENT "Synthesising demo.ogg"
  VERBATIM)
list(APPEND PRODUCTION_MEDIA_FILES ${PRODUCTION_DIR}/demo.ogg)

add_custom_target(production_media ALL DEPENDS ${PRODUCTION_MEDIA_FILES})
