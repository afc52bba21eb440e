// Console output for the command-line report.
#pragma once

namespace dimmscope {

// Makes standard output pass bytes unchanged, so "\r\n" is not turned into
// "\r\r\n" by a text-mode console stream.
void SetBinaryStdout();

}  // namespace dimmscope
