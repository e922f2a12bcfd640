target_sources(sondrel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/wma_rates.cpp)
