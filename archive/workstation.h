#pragma once
// Who works where: the system login of the operator, the computer's name, and identifiers made on
// this computer that no other instrument PC of the laboratory will make.

#include <string>

namespace vespian {

// The login the program runs under (the password database's name for the effective user; the
// LOGNAME or USER variable when the database has no entry); "unknown" when none is known.
std::string systemLogin();

// The computer's host name; "unknown" when the system gives none.
std::string hostName();

// A random (version 4) UUID in its usual text form, 36 characters. Made where a save happens, it
// names the registration everywhere, so sending it twice never archives it twice.
std::string newUniqueId();

}  // namespace vespian
