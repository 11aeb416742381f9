# PulseAudio: the mixer service and the sound input.
pkg_check_modules(DECKREC_PULSE REQUIRED IMPORTED_TARGET libpulse)
target_sources(deckrec_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/pulse_connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mixer_service.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pulse_server_state.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pulse_mixer_service.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sound_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pulse_sound_input.cpp)
target_link_libraries(deckrec_platform PRIVATE PkgConfig::DECKREC_PULSE)
