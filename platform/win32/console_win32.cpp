// The C runtime's text mode would add a carriage return before each line feed.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "support/console.h"

namespace dimmscope {

void SetBinaryStdout() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace dimmscope
