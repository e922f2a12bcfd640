# The engine's effects: the peaking equalizer that the effect chain attaches.
target_sources(sondrel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/peaking_equalizer.cpp)
