#pragma once
// Run-time errors of the forms run time: what a failing call into a host object or a
// conversion raises to its caller.

#include <stdexcept>
#include <string>

namespace platform {

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const std::string& description)
        : std::runtime_error(description), m_number(number)
    {
    }
    int number() const { return m_number; }

private:
    int m_number;
};

inline constexpr int ERR_OVERFLOW = 6;
inline constexpr int ERR_OUT_OF_MEMORY = 7;
inline constexpr int ERR_TYPE_MISMATCH = 13;
inline constexpr int ERR_INVALID_PICTURE = 481;

inline RuntimeError overflow_error() { return RuntimeError(ERR_OVERFLOW, "Overflow"); }

} // namespace platform
