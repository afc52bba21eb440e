// The main thread's COM apartment, which the WMI provider runs in.
#include "platform/win32/win_api.h"
#include "support/com_session.h"

namespace dimmscope {

// Failure is not fatal here: without COM the WMI provider fails and reports it.
TComSession::TComSession() { (void)CoInitialize(nullptr); }

TComSession::~TComSession() { CoUninitialize(); }

}  // namespace dimmscope
