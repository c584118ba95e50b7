ovix_add_test(backend_tests
  link/UnixBackendTest.cpp
  link/DeviceLockTest.cpp
  link/HidapiBackendTest.cpp
)
target_link_libraries(backend_tests PRIVATE ovix_engine)
