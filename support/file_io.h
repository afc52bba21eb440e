// Whole-file reads and writes for the log, the exports and the downloads.
// Paths are UTF-8 on every system; the Windows layer turns them into wide
// paths, so folders whose names lie outside the ANSI code page still work.
// None of these functions throws: failure is a false result.
#pragma once

#include <string>

namespace dimmscope {

// Creates or truncates `Path` and writes `Bytes` to it unchanged.
bool WriteFileBytes(const std::string& Path, const std::string& Bytes);

// Writes `Bytes` to a temporary file in the folder of `Path`, flushes it to
// disk and then puts it in place of `Path` in one step, so a reader sees
// either the old file or the new one, never a half-written one. On failure
// the temporary file is removed and the old file is left as it was.
bool ReplaceFileAtomically(const std::string& Path, const std::string& Bytes);

// Reads the whole file at `Path` into `Out`; false (and `Out` empty) when it
// cannot be read, a folder included.
bool ReadFileBytes(const std::string& Path, std::string& Out);

}  // namespace dimmscope
