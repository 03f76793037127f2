# Job reports as posted window messages (every window that runs a job uses it).
add_library(k470_win32_target STATIC ${CMAKE_CURRENT_LIST_DIR}/win32_job_target.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wide_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/centre_window.cpp)
target_include_directories(k470_win32_target PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(k470_win32_target PUBLIC k470_jobs user32)

# The pages' dialogs and the file status of the update check, in the windows' library;
# the pages run the monitor's and the flash write's jobs on the real clock.
target_sources(k470_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dlg_job_progress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dlg_load.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dlg_write.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dlg_fset.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_time_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_mark.cpp)
target_link_libraries(k470_ui PUBLIC k470_win32_target k470_monitor k470_device_table
  k470_flash k470_serial k470_ticks)
