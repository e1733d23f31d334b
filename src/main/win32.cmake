# The Windows program "Vexim2_xx.exe": the application on the win32 backend, statically linked,
# with the built-in tables (data/resources/101.txt ... 105.txt) as CUSTOM resources 101 to 105.
enable_language(RC)

set(YZ_RESOURCE_DIR ${PROJECT_SOURCE_DIR}/data/resources)
file(GLOB YZ_RESOURCE_FILES CONFIGURE_DEPENDS ${YZ_RESOURCE_DIR}/10[1-5].txt)
set_source_files_properties(resources.rc PROPERTIES
  INCLUDE_DIRECTORIES ${YZ_RESOURCE_DIR}
  OBJECT_DEPENDS "${YZ_RESOURCE_FILES}")

add_executable(Vexim2_xx WIN32 win32_main.cpp resources.rc)
target_link_libraries(Vexim2_xx PRIVATE yz_app yz_analyzer yz_platform_win32)
