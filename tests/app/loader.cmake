# The picture loader's tests (needs the Qt front-end libraries).
if(TARGET morilux_picture AND NOT TARGET test_app_PictureLoaderTest)
  morilux_add_test(test_app_PictureLoaderTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/PictureLoaderTest.cpp
    LIBS morilux_picture)
endif()
