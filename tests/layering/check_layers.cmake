# cmake -DBUILD=<build folder> -DSOURCE=<source folder> -P check_layers.cmake
#
# Proves that engine/, game/ and app/ stand on the platform layer alone, and puzzle/ on nothing of
# ours: none of their compile
# commands names an include folder of an outside library, and none of their sources reaches an
# outside library's header, directly or through a header of ours (the preprocessor lists every
# header each source reads). Headers in /usr/include itself (png.h, jpeglib.h, sndfile.h) would
# be found by any compile command, so the second check is the one that counts for them.
set(forbidden_folders "SDL2|libpng|freetype2|epoxy|fontconfig|sndfile|jpeg|cairo")
set(forbidden_headers
    "[^ ]*/(SDL2/[^ ]*|png\\.h|pngconf\\.h|jpeglib\\.h|ft2build\\.h|freetype2/[^ ]*|sndfile\\.h|epoxy/[^ ]*|GL/[^ ]*|fontconfig/[^ ]*)( |$)")

file(READ ${BUILD}/compile_commands.json commands)
string(JSON count LENGTH "${commands}")
math(EXPR last "${count} - 1")
set(checked 0)
set(faults "")
foreach(i RANGE ${last})
    string(JSON file GET "${commands}" ${i} file)
    string(JSON directory GET "${commands}" ${i} directory)
    if(NOT file MATCHES "^${SOURCE}/(engine|game|app|puzzle)/")
        continue()
    endif()
    string(JSON command GET "${commands}" ${i} command)
    string(REGEX MATCH "(-I|-isystem )[^ ]*(${forbidden_folders})[^ ]*" flag "${command}")
    if(flag)
        string(APPEND faults "${file}: compiled with ${flag}\n")
    endif()
    # The same command, asked for the headers it reads instead of an object file.
    separate_arguments(arguments UNIX_COMMAND "${command}")
    set(listing "")
    set(skip_next FALSE)
    foreach(argument IN LISTS arguments)
        if(skip_next)
            set(skip_next FALSE)
        elseif(argument MATCHES "^(-o|-MF|-MT|-MQ)$")
            set(skip_next TRUE)
        elseif(argument MATCHES "^(-c|-MD|-MMD)$" OR argument MATCHES "ccache$")
        else()
            list(APPEND listing "${argument}")
        endif()
    endforeach()
    execute_process(COMMAND ${listing} -M WORKING_DIRECTORY ${directory}
                    OUTPUT_VARIABLE headers ERROR_VARIABLE errors RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        string(APPEND faults "${file}: cannot list its headers: ${errors}\n")
        continue()
    endif()
    string(REPLACE "\\\n" " " headers "${headers}")
    string(REGEX MATCH "${forbidden_headers}" header "${headers}")
    if(header)
        string(STRIP "${header}" header)
        string(APPEND faults "${file}: reads ${header}\n")
    endif()
    # The puzzle's rules sit beneath everything of ours: the game and the tools lean on them,
    # never the other way round.
    if(file MATCHES "^${SOURCE}/puzzle/")
        string(REGEX MATCH "${SOURCE}/(engine|platform|game|app|tools)/[^ ]*" header "${headers}")
        if(header)
            string(APPEND faults "${file}: reads ${header}\n")
        endif()
    endif()
    math(EXPR checked "${checked} + 1")
endforeach()

if(checked EQUAL 0)
    message(FATAL_ERROR "no source of engine/, game/, app/ or puzzle/ in ${BUILD}/compile_commands.json")
endif()
if(faults)
    message(FATAL_ERROR "outside libraries reach the layers above the platform:\n${faults}")
endif()
message(STATUS "${checked} sources of engine/, game/, app/ and puzzle/ keep to their layers")
