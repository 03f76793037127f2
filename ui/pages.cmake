# Job reports as posted window messages (every window that runs a job uses it).
add_library(k470_win32_target STATIC ${CMAKE_CURRENT_LIST_DIR}/win32_job_target.cpp)
target_include_directories(k470_win32_target PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(k470_win32_target PUBLIC k470_jobs user32)
