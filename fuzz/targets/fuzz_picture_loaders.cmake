# The picture loaders with their decoding libraries, instrumented.
find_package(Qt6 REQUIRED COMPONENTS Gui Svg)
find_package(JPEG REQUIRED)
find_package(TIFF REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBWMF REQUIRED IMPORTED_TARGET libwmf)
find_library(EMF2SVG_LIBRARY emf2svg REQUIRED)

set(LOADER_SOURCES)
foreach(name jpeggraphic metafilegraphic picturefiles rastergraphic tiffgraphic)
  list(APPEND LOADER_SOURCES ${TAVELORN_SOURCE_DIR}/src/picture/loaders/${name}.cpp)
endforeach()
add_library(fuzz_picture_loaders_lib STATIC ${LOADER_SOURCES})
target_include_directories(fuzz_picture_loaders_lib PUBLIC ${TAVELORN_SOURCE_DIR}/src/picture)
target_compile_options(fuzz_picture_loaders_lib PRIVATE ${FUZZ_FLAGS})
target_link_libraries(fuzz_picture_loaders_lib PUBLIC fuzz_core Qt6::Gui Qt6::Svg JPEG::JPEG TIFF::TIFF
                      PkgConfig::LIBWMF ${EMF2SVG_LIBRARY})

tavelorn_add_fuzzer(fuzz_picture_loaders LIBS fuzz_picture_loaders_lib)
