# Package download bookkeeping (included by this folder's CMakeLists.txt).
add_library(kx_launcher_package_download STATIC
            ${CMAKE_CURRENT_LIST_DIR}/package_download_plan.cc
            ${CMAKE_CURRENT_LIST_DIR}/package_step.cc)
target_link_libraries(kx_launcher_package_download PUBLIC kx_launcher_util kx_launcher_report
                      kx_launcher_patch)
kx_warnings(kx_launcher_package_download)

kx_add_gtest(NAME launcher_package_download_plan_unittest MODULE launcher
             SOURCES ${CMAKE_CURRENT_LIST_DIR}/package_download_plan_unittest.cc
                     ${CMAKE_CURRENT_LIST_DIR}/package_step_unittest.cc
             LIBS kx_launcher_package_download kx_test_support)

if(WIN32)
  add_library(kx_launcher_package_step STATIC ${CMAKE_CURRENT_LIST_DIR}/download_game_package_win.cc)
  target_link_libraries(kx_launcher_package_step PUBLIC kx_launcher_package_download
                        kx_launcher_unzip kx_launcher_net_win kx_launcher_report
                        kx_launcher_engine kx_launcher_patch)
  kx_warnings(kx_launcher_package_step)
endif()
