# Filter responses, pixel mapping and curve layout.
ovix_add_test(response_tests
  response/FilterResponseTest.cpp
  response/PixelMapTest.cpp
)
target_link_libraries(response_tests PRIVATE ovix_engine)
