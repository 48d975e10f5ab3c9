#pragma once
// The one base of the compliance core's own failures: each says what it is in what(), and
// whoever catches std::exception catches them. They carry nothing else: the session turns
// each into a result code where it is caught.
#include <exception>

class ComplianceFailure : public std::exception {
public:
    explicit ComplianceFailure(const char* what) noexcept : what_(what) {}
    const char* what() const noexcept override { return what_; }

private:
    const char* what_;  // a literal
};
