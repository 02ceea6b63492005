# The INI reader: nothing but the core.
tavelorn_add_fuzzer(fuzz_ini)
