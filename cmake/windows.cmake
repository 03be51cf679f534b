# Windows configurations (i686 product, x86_64 for Wine).
#
# NT 4.0 API level, statically linked runtime, no exceptions, GUI subsystem 4.0,
# deterministic PE header (no link time stamp).
add_compile_definitions(_WIN32_WINNT=0x0400 WINVER=0x0400 _WIN32_IE=0x0300 WIN32_LEAN_AND_MEAN)
set(MP_WIN_CFLAGS $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions> $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>
    -ffunction-sections -fdata-sections -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
  # Nothing in the product unwinds: without exceptions the 32-bit unwind tables are
  # dead weight (about a quarter of the executable). The 64-bit build keeps them,
  # since the platform's own stack walks rely on them there.
  list(APPEND MP_WIN_CFLAGS -fno-asynchronous-unwind-tables -fno-unwind-tables)
endif()
add_compile_options(${MP_WIN_CFLAGS})
# mp_core was defined before the directory options above: it gets the same code
# generation, or its objects would pull the runtime's unwinder into the product.
target_compile_options(mp_core PRIVATE ${MP_WIN_CFLAGS})
set(MP_WIN_LINK -static -static-libgcc -static-libstdc++ -Wl,--gc-sections -Wl,--no-insert-timestamp
    -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0
    -Wl,--major-os-version,4 -Wl,--minor-os-version,0)
set(MP_WIN_LIBS comctl32 comdlg32 advapi32 user32 gdi32 kernel32)

if(MP_WIN32_SOURCES)
  add_library(mp_win32 STATIC ${MP_WIN32_SOURCES})
  target_include_directories(mp_win32 PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(mp_win32 PRIVATE ${MP_WARNINGS})
endif()

# The product: update.exe, once start-up and its resources exist.
if(EXISTS ${CMAKE_SOURCE_DIR}/res/update.rc AND TARGET mp_win32)
  add_executable(update WIN32 ${CMAKE_SOURCE_DIR}/res/update.rc
                 ${CMAKE_SOURCE_DIR}/framework/runtime/no_unwind_win32.cpp)
  # Whole archive: nothing refers to the application object or WinMain before the
  # runtime's own library asks for WinMain, so the linker must take every adapter.
  target_link_libraries(update PRIVATE -Wl,--whole-archive mp_win32 -Wl,--no-whole-archive mp_core ${MP_WIN_LIBS})
  # Stripped at link time: a later strip would write a time stamp into the header.
  target_link_options(update PRIVATE ${MP_WIN_LINK} -mwindows -s -Wl,-Map,${CMAKE_BINARY_DIR}/update.map)
  set_target_properties(update PROPERTIES OUTPUT_NAME update RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endif()

# Windows-side test programs run under Wine: one sub-folder each.
file(GLOB wine_progs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/progs/*/CMakeLists.txt)
foreach(prog ${wine_progs})
  get_filename_component(prog_dir ${prog} DIRECTORY)
  add_subdirectory(${prog_dir})
endforeach()
