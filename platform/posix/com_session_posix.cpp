// There is no COM on POSIX systems; the session does nothing.
#include "support/com_session.h"

namespace dimmscope {

TComSession::TComSession() = default;

TComSession::~TComSession() = default;

}  // namespace dimmscope
