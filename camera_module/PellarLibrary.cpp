// Load and unload notices of the camera library, printed when the program
// maps and unmaps it.

#include <cstdio>

namespace {

__attribute__((constructor)) void PellarProcessAttach()
{
    printf("\nprocess attach of pellar dll");
}

__attribute__((destructor)) void PellarProcessDetach()
{
    printf("\nprocess detach of pellar dll");
}

}  // namespace
