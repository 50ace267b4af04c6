# Sources of the host's node side (OP, PRM, SOP, CH, interrupts, plug-in loading).
set(HOST_NODE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/UT/UT_Interrupt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UT/UT_FPControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UT/UT_ThreadPool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UT/UT_ParallelUtil.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UT/UT_ErrorManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UT/UT_DSO.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PRM/PRM_ChoiceList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PRM/PRM_SpareData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PRM/PRM_Template.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PRM/PRM_Shared.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OP/OP_Error.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OP/OP_Operator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OP/OP_OperatorTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OP/OP_Parameters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OP/OP_Node.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OP/OP_Network.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OP/OP_AutoLockInputs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SOP/SOP_Error.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SOP/SOP_Node.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SOP/SOP_GroupParms.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SOP/SOP_Source.cpp)
set(HOST_NODE_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/tests/UT_Interrupt_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/UT_ParallelUtil_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/UT_RunWithHelpers_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/UT_DSO_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/PRM_Template_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/OP_Parameters_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/OP_OperatorTable_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/OP_Node_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/SOP_Node_test.cpp)

# Small node plug-ins for the loader tests, built from one source: a good
# one, one built for another host version, and one without newSopOperator.
# They are loaded at run time by path, as a host loads real plug-ins, and
# kept out of the folder that holds the real plug-in.
if(VELKOR_BUILD_TESTS)
  set(_host_test_plugins good old_version no_register)
  foreach(_variant IN LISTS _host_test_plugins)
    set(_target host_test_plugin_${_variant})
    add_library(${_target} MODULE ${CMAKE_CURRENT_LIST_DIR}/tests/UT_DSO_test_plugin.cpp)
    target_link_libraries(${_target} PRIVATE velkor_host velkor_flags)
    set_target_properties(${_target} PROPERTIES
      PREFIX ""
      CXX_VISIBILITY_PRESET hidden
      VISIBILITY_INLINES_HIDDEN ON
      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/test_plugins)
  endforeach()
  target_compile_definitions(host_test_plugin_old_version PRIVATE TEST_PLUGIN_VERSION="15.0")
  target_compile_definitions(host_test_plugin_no_register PRIVATE TEST_PLUGIN_NO_REGISTER)

  # host_tests is declared after this file is included; wire the plug-ins
  # to it once the directory has been processed.
  function(_host_node_wire_test_plugins)
    foreach(_variant IN LISTS _host_test_plugins)
      string(TOUPPER ${_variant} _upper)
      add_dependencies(host_tests host_test_plugin_${_variant})
      target_compile_definitions(host_tests PRIVATE
        HOST_TEST_PLUGIN_${_upper}="$<TARGET_FILE:host_test_plugin_${_variant}>")
    endforeach()
  endfunction()
  cmake_language(DEFER CALL _host_node_wire_test_plugins)
endif()
