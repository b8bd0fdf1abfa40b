# kosmorra_library(name DIR dir [EXCLUDE path...] [LIBS lib...] [DEPS dep...]): a static library of
# every .cpp under dir but the files and folders named by EXCLUDE (relative to dir). The layers
# grow file by file, so sources are globbed rather than listed.
# LIBS are the project's own libraries beneath this one and are handed on to whoever links it.
# DEPS are outside libraries (SDL, OpenGL, codecs): linked privately, so their headers and
# definitions stay inside this library and the layers above cannot reach them.
function(kosmorra_library name)
    cmake_parse_arguments(ARG "" "DIR" "EXCLUDE;LIBS;DEPS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp)
    foreach(excluded IN LISTS ARG_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "^${ARG_DIR}/${excluded}(/|$)")
    endforeach()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE ${ARG_DEPS})
endfunction()
