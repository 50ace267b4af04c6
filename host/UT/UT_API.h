// Symbol export for the host library.
//
// The host layer is a shared library: the plug-in and the program that loads
// it must see one copy of its globals (data-id counter, attribute types,
// interrupt server). Its classes are exported explicitly so that a plug-in
// compiled with hidden visibility still binds to them.
#pragma once

#if defined(_WIN32)
#if defined(HOST_BUILDING_LIBRARY)
#define UT_API __declspec(dllexport)
#else
#define UT_API __declspec(dllimport)
#endif
#else
#define UT_API __attribute__((visibility("default")))
#endif
