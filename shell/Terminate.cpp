/*
 * What ends the program on an exception that nothing catches. GCC's runtime by default prints
 * the exception's demangled type to stderr first; a windowed program has no stderr to read,
 * and that handler brings in the demangler and a printf, about a quarter of the program's code
 * and data. Defining it here keeps the library's one out of the link: the program just aborts.
 */
#include <cstdlib> // also says whether this is GCC's C++ library

#if defined(__GLIBCXX__)

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

} // namespace __gnu_cxx

#endif
