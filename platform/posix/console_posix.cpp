// POSIX streams never translate line ends.
#include "support/console.h"

namespace dimmscope {

void SetBinaryStdout() {}

}  // namespace dimmscope
