#pragma once
// A part of a file's name nobody can guess, from the system's random source: temporaries
// that someone else may create files beside are made under such names, so that they
// cannot be taken in advance.
#include <string>

// 16 lower-case hexadecimal digits (64 random bits).
std::string RandomNamePart();

// How many names a maker tries before it gives up: with 64 random bits, a name that is
// taken again and again is someone's doing, not chance.
inline constexpr int randomNameAttempts = 16;

// Puts a fixed part in place of the random one for its own lifetime, so that a test can take
// the names in advance. Not for use while another thread makes names.
class ScopedFixedNamePart {
public:
    explicit ScopedFixedNamePart(std::string part);
    ScopedFixedNamePart(const ScopedFixedNamePart&) = delete;
    ScopedFixedNamePart& operator=(const ScopedFixedNamePart&) = delete;
    ~ScopedFixedNamePart();

private:
    std::string part_;
    const std::string* previous_;
};
