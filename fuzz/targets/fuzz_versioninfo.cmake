# The version resource reader, instrumented.
set(VERSIONINFO_SOURCES)
foreach(name fileversioninfo versionnames versionnumber versionresource)
  list(APPEND VERSIONINFO_SOURCES ${TAVELORN_SOURCE_DIR}/src/versioninfo/${name}.cpp)
endforeach()
add_library(fuzz_versioninfo_lib STATIC ${VERSIONINFO_SOURCES})
target_include_directories(fuzz_versioninfo_lib PUBLIC ${TAVELORN_SOURCE_DIR}/src/versioninfo)
target_compile_options(fuzz_versioninfo_lib PRIVATE ${FUZZ_FLAGS})
target_link_libraries(fuzz_versioninfo_lib PUBLIC Qt6::Core)

tavelorn_add_fuzzer(fuzz_versioninfo LIBS fuzz_versioninfo_lib)
