#pragma once
// SimpleIni for UTF-8 text held in char strings. The library's wide-character
// classes need a converter this platform does not ship; the char classes
// with UTF-8 storage read and write the same files. The class templates are
// compiled here rather than taken from the packaged library, so other
// comparison policies can be instantiated too.

#ifndef SI_NO_CONVERSION
#define SI_NO_CONVERSION
#endif
#ifndef SI_IMPLEMENTATION
#define SI_IMPLEMENTATION
#endif
#include <SimpleIni.h>
