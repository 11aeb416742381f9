# The frame clock's tick and its wait between slots.
target_sources(deckrec_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/slot_clock.cpp)
