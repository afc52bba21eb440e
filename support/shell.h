// Handing a file or web address to the system's default action: a web
// address opens the browser, a file the program associated with it, an
// executable starts. Paths are UTF-8.
#pragma once

#include <string>

namespace dimmscope {

// True when the system accepted the request; the system shows no error
// message of its own, so a target that cannot be opened has no visible effect.
// On Windows, environment variables in the name ("%APPDATA%\...") are expanded.
bool ShellOpen(const std::string& Target);

// The same for an address that came from the network (the downloaded links
// file): the shell is not asked to expand anything in it, so an address
// holding "%USERNAME%" or "%COMPUTERNAME%" cannot carry the user's or the
// machine's name to whichever host it names. (Wine's shell expands them
// whatever it is asked; GetLink's escaping covers that.)
bool ShellOpenAsIs(const std::string& Address);

}  // namespace dimmscope
