# The QUAV Plus module SDK as a CMake package. With the SDK's folder on
# CMAKE_PREFIX_PATH,
#
#   find_package(QuavPlusSDK CONFIG REQUIRED)
#   target_link_libraries(MyModule PRIVATE QuavPlus::Framework)
#
# gives a module the framework's headers and definitions, the import library
# of AfxFramework.dll for the architecture being built, the compiler's
# run-time linked in statically, and the resource link: an object that puts
# the module's own resources in the framework's resource chain while it is
# loaded, linked into the module exactly once however its targets reach
# QuavPlus::Framework.
#
# The framework exports C++ classes, so a module must be compiled by the same
# compiler (same version and thread model) as the framework; the package
# stops with a message saying so when it is not.
if(CMAKE_VERSION VERSION_LESS 3.20)
    message(FATAL_ERROR "QuavPlusSDK needs CMake 3.20 or newer.")
endif()
get_filename_component(_quav_sdk_root "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
include("${CMAKE_CURRENT_LIST_DIR}/QuavPlusSDKCommon.cmake")

# Every argument is a piece of the reason, joined as they stand.
function(_quav_sdk_refuse)
    string(CONCAT reason ${ARGN})
    message(FATAL_ERROR
        "QuavPlusSDK: ${reason}\n"
        "UI modules share C++ objects with the launcher's AfxFramework.dll, so they must be "
        "built by the compiler that built it. Configure with one of the toolchain files in "
        "${_quav_sdk_root}/cmake/ (MinGW-w64 GCC ${QuavPlusSDK_COMPILER_VERSION}, "
        "${QuavPlusSDK_THREAD_MODEL} threads), for example:\n"
        "  cmake -DCMAKE_TOOLCHAIN_FILE=\"${_quav_sdk_root}/cmake/toolchain-i686-w64-mingw32.cmake\" "
        "-DCMAKE_PREFIX_PATH=\"${_quav_sdk_root}\" ...")
endfunction()

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows" OR NOT MINGW)
    # The product's compiler, for the message.
    include("${CMAKE_CURRENT_LIST_DIR}/QuavPlusSDK-x86.cmake" OPTIONAL)
    _quav_sdk_refuse("this build does not target Windows with MinGW-w64 "
                     "(system ${CMAKE_SYSTEM_NAME}, C++ compiler ${CMAKE_CXX_COMPILER_ID}).")
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(_quav_sdk_arch x86)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_quav_sdk_arch x64)
else()
    _quav_sdk_refuse("enable the C++ language before find_package(QuavPlusSDK).")
endif()
include("${CMAKE_CURRENT_LIST_DIR}/QuavPlusSDK-${_quav_sdk_arch}.cmake")

# Same compiler, same major and minor version, same thread model.
string(REGEX MATCH "^[0-9]+\\.[0-9]+" _quav_sdk_built "${QuavPlusSDK_COMPILER_VERSION}")
string(REGEX MATCH "^[0-9]+\\.[0-9]+" _quav_sdk_used "${CMAKE_CXX_COMPILER_VERSION}")
quavplus_thread_model("${CMAKE_CXX_COMPILER}" _quav_sdk_threads)
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL QuavPlusSDK_COMPILER_ID
   OR NOT _quav_sdk_used STREQUAL _quav_sdk_built
   OR NOT _quav_sdk_threads STREQUAL QuavPlusSDK_THREAD_MODEL)
    _quav_sdk_refuse(
        "the ${_quav_sdk_arch} framework was built with ${QuavPlusSDK_COMPILER_ID} "
        "${QuavPlusSDK_COMPILER_VERSION} (${QuavPlusSDK_THREAD_MODEL} threads), but this build "
        "uses ${CMAKE_CXX_COMPILER} (${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION}, "
        "${_quav_sdk_threads} threads).")
endif()

if(NOT TARGET QuavPlus::Framework)
    add_library(QuavPlus::Framework SHARED IMPORTED)
    set(_quav_sdk_lib "${_quav_sdk_root}/lib/${_quav_sdk_arch}")
    quavplus_resource_link_option(_quav_sdk_resource_link)
    set_target_properties(QuavPlus::Framework PROPERTIES
        IMPORTED_LOCATION "${_quav_sdk_lib}/AfxFramework.dll"
        IMPORTED_IMPLIB "${_quav_sdk_lib}/libAfxFramework.dll.a"
        INTERFACE_INCLUDE_DIRECTORIES "${_quav_sdk_root}/include"
        INTERFACE_COMPILE_DEFINITIONS "${QUAVPLUS_COMPILE_DEFINITIONS}"
        INTERFACE_COMPILE_FEATURES cxx_std_17
        # Link items, not link options, so that they reach the module also
        # through a static library that links the framework privately. The
        # resource link calls into the framework: its import library follows.
        INTERFACE_LINK_LIBRARIES
            "${_quav_sdk_resource_link};${_quav_sdk_lib}/libAfxModuleResourceLink.a;${_quav_sdk_lib}/libAfxFramework.dll.a;user32;gdi32;-static-libgcc;-static-libstdc++")
endif()
set(QuavPlusSDK_INCLUDE_DIR "${_quav_sdk_root}/include")
set(QuavPlusSDK_RUNTIME_DLL "${_quav_sdk_root}/lib/${_quav_sdk_arch}/AfxFramework.dll")
