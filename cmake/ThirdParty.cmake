# zlib, minizip and cJSON as the targets kx::zlib, kx::minizip, kx::cjson.
# Natively they are Debian's packages; for mingw, zlib is Debian's mingw package
# and minizip/cJSON are compiled from Debian's source packages fetched by
# tools/setup/install-deps.sh. Headers are included as <minizip/unzip.h> and
# <cjson/cJSON.h> on every target.

if(NOT WIN32)
  find_package(ZLIB REQUIRED)
  add_library(kx::zlib ALIAS ZLIB::ZLIB)

  find_library(KX_MINIZIP_LIB NAMES minizip REQUIRED)
  find_path(KX_MINIZIP_INC NAMES minizip/unzip.h REQUIRED)
  add_library(kx_minizip INTERFACE)
  target_include_directories(kx_minizip INTERFACE ${KX_MINIZIP_INC})
  target_link_libraries(kx_minizip INTERFACE ${KX_MINIZIP_LIB} ZLIB::ZLIB)
  add_library(kx::minizip ALIAS kx_minizip)

  find_library(KX_CJSON_LIB NAMES cjson REQUIRED)
  find_path(KX_CJSON_INC NAMES cjson/cJSON.h REQUIRED)
  add_library(kx_cjson INTERFACE)
  target_include_directories(kx_cjson INTERFACE ${KX_CJSON_INC})
  target_link_libraries(kx_cjson INTERFACE ${KX_CJSON_LIB})
  add_library(kx::cjson ALIAS kx_cjson)
  return()
endif()

set(KX_THIRD_PARTY_SRC "${CMAKE_SOURCE_DIR}/build/third_party-src" CACHE PATH
    "Folder holding the unpacked Debian source packages of cjson and minizip")

find_library(KX_ZLIB_STATIC NAMES libz.a REQUIRED)
find_path(KX_ZLIB_INC NAMES zlib.h REQUIRED)
add_library(kx_zlib INTERFACE)
target_include_directories(kx_zlib INTERFACE ${KX_ZLIB_INC})
target_link_libraries(kx_zlib INTERFACE ${KX_ZLIB_STATIC})
add_library(kx::zlib ALIAS kx_zlib)

file(GLOB _kx_minizip_dir LIST_DIRECTORIES true "${KX_THIRD_PARTY_SRC}/minizip-*")
file(GLOB _kx_cjson_dir LIST_DIRECTORIES true "${KX_THIRD_PARTY_SRC}/cjson-*")
list(FILTER _kx_minizip_dir EXCLUDE REGEX "\\.(dsc|tar\\..*)$")
list(FILTER _kx_cjson_dir EXCLUDE REGEX "\\.(dsc|tar\\..*)$")
if(NOT _kx_minizip_dir OR NOT _kx_cjson_dir)
  message(FATAL_ERROR "cjson/minizip sources missing in ${KX_THIRD_PARTY_SRC}: run tools/setup/install-deps.sh")
endif()
list(GET _kx_minizip_dir 0 _kx_minizip_dir)
list(GET _kx_cjson_dir 0 _kx_cjson_dir)

# Same include style as the native packages: copy the headers into a prefix.
set(_kx_tp_inc "${CMAKE_BINARY_DIR}/third_party/include")
foreach(h unzip.h ioapi.h crypt.h zip.h)
  configure_file("${_kx_minizip_dir}/${h}" "${_kx_tp_inc}/minizip/${h}" COPYONLY)
endforeach()
configure_file("${_kx_cjson_dir}/cJSON.h" "${_kx_tp_inc}/cjson/cJSON.h" COPYONLY)

add_library(kx_minizip STATIC "${_kx_minizip_dir}/unzip.c" "${_kx_minizip_dir}/ioapi.c")
target_include_directories(kx_minizip PUBLIC "${_kx_tp_inc}" PRIVATE "${_kx_minizip_dir}")
target_compile_options(kx_minizip PRIVATE -w)
target_link_libraries(kx_minizip PUBLIC kx::zlib)
add_library(kx::minizip ALIAS kx_minizip)

add_library(kx_cjson STATIC "${_kx_cjson_dir}/cJSON.c")
target_include_directories(kx_cjson PUBLIC "${_kx_tp_inc}")
target_compile_options(kx_cjson PRIVATE -w)
# Linked statically: without this cJSON.h marks every function dllexport and
# the plug-in DLL would export the whole library.
target_compile_definitions(kx_cjson PUBLIC CJSON_HIDE_SYMBOLS)
add_library(kx::cjson ALIAS kx_cjson)
