# The simulated processor, driven with the console's own frames.
ovix_add_test(simulator_tests
  simulator/SimProcessorTest.cpp
  simulator/SimBusTest.cpp
)
target_link_libraries(simulator_tests PRIVATE ovix_engine)
