# Cue sheets as track rows.
target_sources(sondrel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/cue_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cue_parser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cue_tracks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cue_locate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/embedded_cue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cue_sheet_reader.cpp
)
# A sheet kept in an APE tag is read with the tag reader of formats/; a build
# that leaves the readers out reads ".cue" files only.
if(NOT "formats" IN_LIST SONDREL_SKIP)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/embedded_cue.cpp
    TARGET_DIRECTORY sondrel_core PROPERTIES COMPILE_DEFINITIONS SONDREL_HAS_APE_TAG=1)
endif()
