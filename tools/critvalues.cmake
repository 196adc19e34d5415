# kestrel-critvalues: the generator of the shipped critical value table (runs at build time).
add_executable(kestrel-critvalues ${CMAKE_CURRENT_SOURCE_DIR}/critvalues/main.cpp)
target_include_directories(kestrel-critvalues PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(kestrel-critvalues PRIVATE kestrel_engine)
