/*
 * Included ahead of every C++ file of quillgate.exe (the compiler's -include). The program
 * links no prebuilt C++ library (support/Runtime.cpp says why), so libstdc++'s templates
 * (std::string, std::vector...) must be instantiated in our own objects: its headers otherwise
 * declare them extern, to be found in the library.
 */
#pragma once

#include <bits/c++config.h>

#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0
