// The COM session the Windows build opens for the main thread.
#pragma once

namespace dimmscope {

// COM for the main thread: initialised before any window, released at the end.
class TComSession {
 public:
  TComSession();
  ~TComSession();
  TComSession(const TComSession&) = delete;
  TComSession& operator=(const TComSession&) = delete;
};

}  // namespace dimmscope
