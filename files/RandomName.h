#pragma once
// A part of a file's name nobody can guess, from the system's random source: temporaries
// that someone else may create files beside are made under such names, so that they
// cannot be taken in advance.
#include <string>
#include <utility>
#include <vector>

// 16 lower-case hexadecimal digits (64 random bits).
std::string RandomNamePart();

// How many names a maker tries before it gives up: with 64 random bits, a name that is
// taken again and again is someone's doing, not chance.
inline constexpr int randomNameAttempts = 16;

// Puts fixed parts in place of the random one for its own lifetime, handed out in their
// order (the last again and again), so that a test can take names in advance. Not for use
// while another thread makes names.
class ScopedFixedNamePart {
public:
    explicit ScopedFixedNamePart(std::vector<std::string> parts);
    explicit ScopedFixedNamePart(std::string part) : ScopedFixedNamePart(std::vector<std::string>{std::move(part)}) {}
    ScopedFixedNamePart(const ScopedFixedNamePart&) = delete;
    ScopedFixedNamePart& operator=(const ScopedFixedNamePart&) = delete;
    ~ScopedFixedNamePart();

    std::string Next();

private:
    std::vector<std::string> parts_;
    std::size_t next_ = 0;
    ScopedFixedNamePart* previous_;
};
