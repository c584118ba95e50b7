# The simulated processor: part of the engine (no Qt), used by `--device sim` and the tests.
target_sources(ovix_engine PRIVATE
  simulator/SimProcessor.cpp
  simulator/SimBus.cpp
)
