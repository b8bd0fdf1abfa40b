# Settings of the browser build, included by the top CMakeLists.txt under emscripten's
# toolchain (emcmake). KOSMORRA_HOST_DIR names a configured native build folder: its tools
# (art) make the built-in pictures, and its staged run-time tree (levels, Themes, Music) is
# packed with the page.
set(KOSMORRA_HOST_DIR "" CACHE PATH "A native build folder whose tools and staged data the browser build uses")
if(NOT IS_DIRECTORY "${KOSMORRA_HOST_DIR}")
    message(FATAL_ERROR "The browser build needs KOSMORRA_HOST_DIR, a native build folder (make web sets it)")
endif()
set(KOSMORRA_TESTS OFF CACHE BOOL "Build the tests" FORCE)

# The native tools, for the custom commands that name them.
foreach(tool art)
    add_executable(${tool} IMPORTED GLOBAL)
    set_target_properties(${tool} PROPERTIES IMPORTED_LOCATION ${KOSMORRA_HOST_DIR}/${tool})
endforeach()
# The data is staged by the native build; the page packs it from there.
add_custom_target(stage_runtime)

# Exceptions are caught (the message loop shows what escapes a handler), which emscripten
# leaves off unless asked. The rasterizer's SSE2 spans compile to WebAssembly SIMD.
add_compile_options(-fexceptions -msimd128 -msse2)
add_link_options(-fexceptions)
