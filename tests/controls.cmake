# The skinned controls, under Qt's offscreen platform. The tests bring their own main,
# which makes the QApplication every widget needs.
add_executable(widget_tests
  controls/WidgetTestMain.cpp
  controls/NumEditTest.cpp
  controls/NumSpinTest.cpp
  controls/BitmapSliderTest.cpp
  controls/ButtonTest.cpp
  controls/MsgBoxTest.cpp
  controls/EditTest.cpp
)
target_link_libraries(widget_tests PRIVATE ovix_widgets Qt6::Test GTest::gtest GTest::gmock ovix_warnings)
gtest_discover_tests(widget_tests
  DISCOVERY_TIMEOUT 60
  NO_PRETTY_VALUES
  PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)

# Draws every control, in both languages and its states, into PNG files for a look:
# controls_gallery [output folder, default /tmp/ovix-controls]
add_executable(controls_gallery controls/Gallery.cpp)
target_link_libraries(controls_gallery PRIVATE ovix_widgets ovix_warnings)
