# Screen grab, cursor image and synthetic input over X11.
find_package(X11 REQUIRED)
target_sources(deckrec_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/x11_connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_pixels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_screen_grabber.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_cursor_source.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xtest_input_injector.cpp)
target_link_libraries(deckrec_platform PUBLIC X11::X11 X11::Xext X11::Xtst X11::Xfixes)
