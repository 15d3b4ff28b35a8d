# What the launcher's build and the module SDK's CMake package share, written
# once: the definitions the framework's headers are written for, the
# compiler's thread model, and how a module's link takes in the resource link.

# 8-bit Windows API throughout; Windows 7 is the oldest system supported.
set(QUAVPLUS_COMPILE_DEFINITIONS
    _WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX __USE_MINGW_ANSI_STDIO=1)

# quavplus_thread_model(COMPILER VAR): the thread model GCC reports ("win32",
# "posix"), or "unknown".
function(quavplus_thread_model compiler var)
    execute_process(COMMAND "${compiler}" -v ERROR_VARIABLE banner OUTPUT_QUIET
                    RESULT_VARIABLE result)
    set(model unknown)
    if(result EQUAL 0 AND banner MATCHES "Thread model: ([A-Za-z0-9]+)")
        set(model ${CMAKE_MATCH_1})
    endif()
    set(${var} ${model} PARENT_SCOPE)
endfunction()

# quavplus_resource_link_option(VAR): the linker option that takes the
# resource link (module/AfxModuleResourceLink.cpp) from its static library
# into a module. Named, its object is linked exactly once, however many paths
# lead a module to the framework, and also when the only path is a static
# library that links the framework privately (whose own objects are taken
# only when something refers to them). 32-bit symbols carry an underscore.
function(quavplus_resource_link_option var)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(${var} "-Wl,--undefined=_afxModuleResourceLink" PARENT_SCOPE)
    else()
        set(${var} "-Wl,--undefined=afxModuleResourceLink" PARENT_SCOPE)
    endif()
endfunction()
