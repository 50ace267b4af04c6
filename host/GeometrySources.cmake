# Sources of the host's geometry side (UT, GA, GEO, GU).
set(HOST_GEOMETRY_SOURCES)
set(HOST_GEOMETRY_TESTS)
