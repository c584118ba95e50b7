# The console application under Qt's offscreen platform.
add_executable(console_tests console/QtTestMain.cpp console/ConsoleTest.cpp)
target_link_libraries(console_tests PRIVATE ovix_widgets Qt6::Test GTest::gtest ovix_warnings)
target_compile_definitions(console_tests PRIVATE OVIX_BINARY="$<TARGET_FILE:ovix>")
add_dependencies(console_tests ovix)
gtest_discover_tests(console_tests DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
