// The error an engine operation raises; the callbacks catch it before the host.
#pragma once
#include <stdexcept>

class EngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr const char kNoUserLoggedIn[] = "No user logged in to RirAvar!";
