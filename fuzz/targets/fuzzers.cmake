# The fuzz targets, each made from targets/<name>.cpp; read by the main build, which adds
# a ctest run of each, and by the fuzzers' own project.
set(TAVELORN_FUZZERS fuzz_ini fuzz_picture_loaders fuzz_versioninfo)
