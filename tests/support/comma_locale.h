#pragma once
// A decimal-comma desktop locale (de_DE.UTF-8) for the tests that must hold in every locale. It
// is generated with localedef from the system's locale sources (Debian package "locales") into
// a folder of the temporary directory, kept there for the next test program, and found through
// LOCPATH.

#include <string>

namespace vespian::testing {

// The folder to name in LOCPATH, with de_DE.UTF-8 in it; empty when it could not be made.
std::string commaLocaleFolder();
inline constexpr char kCommaLocaleName[] = "de_DE.UTF-8";

// While it lives, the whole process runs in the comma locale, as a program does once a Qt
// application has taken a German desktop's locale; the C locale comes back after.
class CommaLocale {
public:
    CommaLocale();
    ~CommaLocale();
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    // True when the locale is in force and formats 0.5 as "0,5".
    bool active() const { return active_; }

private:
    bool active_ = false;
};

}  // namespace vespian::testing
