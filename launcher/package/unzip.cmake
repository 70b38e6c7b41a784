# Package extraction: cocos2d::ZipFile on minizip and unzipPackage.
add_library(kx_launcher_unzip STATIC zip_file.cc zip_file_names.cc)
target_link_libraries(kx_launcher_unzip PUBLIC kx::minizip kx::zlib)
kx_warnings(kx_launcher_unzip)

add_library(kx_launcher_unzip_test_writer STATIC zip_file_test_writer.cc)
target_link_libraries(kx_launcher_unzip_test_writer PUBLIC kx::zlib)
kx_warnings(kx_launcher_unzip_test_writer)

kx_add_gtest(NAME launcher_zip_file_names_unittest MODULE launcher
             SOURCES zip_file_names_unittest.cc LIBS kx_launcher_unzip)

if(WIN32)
  target_sources(kx_launcher_unzip PRIVATE zip_file_win.cc unzip_win.cc)
  kx_add_gtest(NAME launcher_unzip_win_unittest MODULE launcher
               SOURCES unzip_win_unittest.cc
               LIBS kx_launcher_unzip kx_launcher_unzip_test_writer kx_launcher_util)
  add_executable(kx_unzip_bench unzip_bench_main.cc)
  target_link_options(kx_unzip_bench PRIVATE -municode -mconsole)
  target_link_libraries(kx_unzip_bench PRIVATE kx_launcher_unzip)
  kx_warnings(kx_unzip_bench)
else()
  target_sources(kx_launcher_unzip PRIVATE zip_file_posix.cc)
  kx_add_gtest(NAME launcher_zip_file_unittest MODULE launcher
               SOURCES zip_file_unittest.cc
               LIBS kx_launcher_unzip kx_launcher_unzip_test_writer)
  add_executable(kx_unzip_bench unzip_bench_main.cc)
  target_link_libraries(kx_unzip_bench PRIVATE kx_launcher_unzip)
  kx_warnings(kx_unzip_bench)
endif()
