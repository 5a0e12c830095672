// The C++ runtime's default terminate handler prints the name of the
// exception type, which links its whole name demangler into the executable.
// A GUI program has nowhere to print it: end the process plainly instead.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
