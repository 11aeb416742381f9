# The embedded browser and the presentation viewer it serves.
find_package(Qt6 REQUIRED COMPONENTS WebEngineWidgets WebChannel)
target_sources(deckrec_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/browser_control.h
  ${CMAKE_CURRENT_LIST_DIR}/browser_environment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/presentation_converter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/presentation_scheme.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewer_pages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/webengine_browser.cpp)
target_link_libraries(deckrec_platform PUBLIC deckrec_core Qt6::WebEngineWidgets Qt6::WebChannel)
