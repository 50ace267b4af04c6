# Sources of the host's node side (OP, PRM, SOP, CH, interrupts, plug-in loading).
set(HOST_NODE_SOURCES)
set(HOST_NODE_TESTS)
