# The Windows program: the same keldar_core with the Win32 platform parts,
# linked statically so that keldar.exe needs no DLLs beside the system's.
# Included from the top-level CMakeLists.txt when the target is WIN32.

add_link_options(-static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
# GCC 12's libstdc++ trips its own -Wrestrict on inlined string joins at -O3
# (a known false alarm of that compiler); the native build at -O2 does not.
add_compile_options(-Wno-restrict)
target_compile_options(keldar_core PRIVATE -Wno-restrict)
# Windows 7 and later: GetTickCount64, the console and window calls used.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

add_library(keldar_platform STATIC
  src/platform/serial_win32.cpp
  src/platform/files_win32.cpp
  src/platform/clock_win32.cpp
  src/platform/sound_win32.cpp
  src/platform/wave_file.cpp
  src/platform/play_queue.cpp
  src/platform/window_win32.cpp
  src/platform/window_wait_win32.cpp
  src/platform/panel_scale.cpp
  src/platform/program_location_win32.cpp
  src/platform/net_win32.cpp
  src/platform/tcp_radio.cpp
  src/platform/tcp_radio_win32.cpp
)
target_include_directories(keldar_platform PUBLIC src)
target_link_libraries(keldar_platform PUBLIC keldar_core winmm gdi32 user32 ws2_32)

# The icon, the version information and the manifest (per-monitor DPI
# aware, common controls 6), all from the one version.
enable_language(RC)
set(KELDAR_ICON ${PROJECT_SOURCE_DIR}/packaging/windows/keldar.ico)
set(KELDAR_MANIFEST ${KELDAR_GENERATED}/keldar.exe.manifest)
configure_file(packaging/windows/keldar.exe.manifest.in ${KELDAR_MANIFEST} @ONLY)
configure_file(packaging/windows/keldar.rc.in ${KELDAR_GENERATED}/keldar.rc @ONLY)
add_executable(keldar src/platform/main_win32.cpp ${KELDAR_GENERATED}/keldar.rc)
target_link_libraries(keldar PRIVATE keldar_platform keldar_core)

if(KELDAR_TESTS)
  # GoogleTest from the sources Debian ships (googletest package).
  set(KELDAR_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${KELDAR_GTEST_SOURCE} googletest EXCLUDE_FROM_ALL)

  add_library(keldar_testing STATIC src/testing/fakes.cpp src/testing/scenario.cpp)
  target_include_directories(keldar_testing PUBLIC src)
  target_link_libraries(keldar_testing PUBLIC keldar_core GTest::gtest)
  target_compile_definitions(keldar_testing PUBLIC KELDAR_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

  # The portable tests (no POSIX devices, terminals, signals or child
  # processes) and the tests of the Win32 platform parts.
  add_executable(keldar_tests
    tests/text_test.cpp
    tests/files_test.cpp
    tests/harness_test.cpp
    tests/startup_test.cpp
    tests/speech_test.cpp
    tests/radio_link_test.cpp
    tests/setup_test.cpp
    tests/relay_test.cpp
    tests/rigctld_test.cpp
    tests/polling_test.cpp
    tests/radio_noise_test.cpp
    tests/link_test.cpp
    tests/display_test.cpp
    tests/keys_test.cpp
    tests/toggles_test.cpp
    tests/stepping_test.cpp
    tests/entries_test.cpp
    tests/channel_entry_test.cpp
    tests/commanded_test.cpp
    tests/memory_test.cpp
    tests/soak_test.cpp
    tests/wave_file_test.cpp
    tests/win32_platform_test.cpp
  )
  target_include_directories(keldar_tests PRIVATE tests)
  target_link_libraries(keldar_tests PRIVATE keldar_testing keldar_platform keldar_core
    GTest::gtest GTest::gtest_main)
  # Symbolic links need a privilege on Windows (and Wine makes none): the
  # two bank-file tests that build them are left to the POSIX build.
  set(KELDAR_WINDOWS_TEST_FILTER
    "-MemoryBanks.FileThatCannotBeOpenedIsMovedAsideNotDeleted:MemoryBanks.LinkedFileIsUpdatedWhereItLives")
  file(WRITE ${PROJECT_BINARY_DIR}/test_filter.txt "${KELDAR_WINDOWS_TEST_FILTER}\n")
  enable_testing()
  add_test(NAME keldar_tests COMMAND keldar_tests --gtest_filter=${KELDAR_WINDOWS_TEST_FILTER})
endif()
