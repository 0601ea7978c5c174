# Widget tests of the options dialog, run offscreen. Each test points the
# store at a temporary file; XDG_CONFIG_HOME is redirected as a second guard.
add_executable(settings_options_tests OptionsDialogTest.cpp)
target_link_libraries(settings_options_tests PRIVATE qm_settings_ui Qt6::Test)
add_test(NAME settings_options COMMAND settings_options_tests)
set_tests_properties(settings_options PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/xdg-config-options")
