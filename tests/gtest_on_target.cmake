# GoogleTest on the target: its Notification needs std::mutex, which the
# win32 thread model's C++ runtime lacks; tests/support/gtest_notification.h
# stands in. Every file that may see GoogleTest's headers gets it, and
# GoogleTest itself.
if(WIN32)
    add_compile_options("SHELL:-include ${PROJECT_SOURCE_DIR}/tests/support/gtest_notification.h")
endif()
