# Checks one core layer (cmake -DCONFIG=<layer>.cmake -P CheckLayer.cmake):
#  - each header of the layer compiles alone with the layer's include directories;
#  - no header of a layer it does not link can be included, not even from a file of the
#    layer's own folder, where quoted includes are looked up first;
#  - no file of the layer reaches out of its folder with "../".
# Each probe is compiled from standard input in src/<layer>, which is where a quoted
# include of a file in that folder is looked up first.
include(${CONFIG})
set(ENV{LC_ALL} C) # the compiler's messages are matched below
list(TRANSFORM INCLUDES PREPEND -I)
list(TRANSFORM DEFINES PREPEND -D)
set(probe ${CMAKE_CURRENT_BINARY_DIR}/${LAYER}_probe.cpp)
set(failures "")

# Compiles a file that includes header; sets ok and out in the caller.
function(compile_include header)
    file(WRITE ${probe} "#include \"${header}\"\n")
    execute_process(COMMAND ${CXX} ${STD} -fsyntax-only ${DEFINES} ${INCLUDES} -x c++ -
                    INPUT_FILE ${probe}
                    WORKING_DIRECTORY ${SOURCE_DIR}/${LAYER}
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(rc EQUAL 0)
        set(ok TRUE PARENT_SCOPE)
    else()
        set(ok FALSE PARENT_SCOPE)
    endif()
    set(out "${out}" PARENT_SCOPE)
endfunction()

file(GLOB own RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${LAYER}/*.h)
if(NOT own)
    message(FATAL_ERROR "no headers in ${SOURCE_DIR}/${LAYER}")
endif()
foreach(header IN LISTS own)
    compile_include(${header})
    if(NOT ok)
        list(APPEND failures "${header} does not compile on its own:\n${out}")
    endif()
endforeach()

foreach(upper IN LISTS HIDDEN)
    file(GLOB headers RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${upper}/*.h)
    foreach(header IN LISTS headers)
        compile_include(${header})
        if(ok)
            list(APPEND failures "${LAYER} can include ${header}")
        elseif(NOT out MATCHES "${header}: No such file or directory")
            list(APPEND failures "including ${header} from ${LAYER} failed otherwise:\n${out}")
        endif()
    endforeach()
endforeach()

file(GLOB files ${SOURCE_DIR}/${LAYER}/*)
foreach(file IN LISTS files)
    file(STRINGS ${file} escapes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]*\\.\\./")
    if(escapes)
        list(APPEND failures "${file}: ${escapes}")
    endif()
endforeach()

if(failures)
    list(JOIN failures "\n" text)
    message(FATAL_ERROR "${text}")
endif()
list(LENGTH own nOwn)
message(STATUS "${LAYER}: ${nOwn} headers compile alone; hidden: ${HIDDEN}")
