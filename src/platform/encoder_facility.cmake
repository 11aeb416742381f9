# Video encoders for the AVI export: FFmpeg's libavcodec with libswscale for the pixel formats.
pkg_check_modules(DECKREC_FFMPEG_ENCODERS REQUIRED IMPORTED_TARGET libavcodec libavformat libavutil libswscale)
target_sources(deckrec_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/encoder_facility.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ffmpeg_encoder_catalogue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ffmpeg_encoder_quality.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ffmpeg_encoder_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ffmpeg_frame_compressor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ffmpeg_encoder_facility.cpp)
target_link_libraries(deckrec_platform PRIVATE PkgConfig::DECKREC_FFMPEG_ENCODERS)
