# Every fuzz target (fuzz/fuzz_<name>.cpp) and what its reader needs; the fuzz build and the
# replay of fuzz/regressions/ both take the list from here.
set(KY_FUZZ_TARGETS bmp gif jpeg exif png package ini scene form wave objects)
set(KY_FUZZ_LIBS ky_objects ky_audio ky_config ky_scene ky_package ky_graphics ky_platform)
