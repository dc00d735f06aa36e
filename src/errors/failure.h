// The failure type of the plug-in: a run-time error number, a description and
// the source line of the statement that failed. Every failure inside the core
// travels as a RunError exception until an operation's handler turns it into a
// report (handler.h); nothing of it ever crosses a COM or window boundary.
#pragma once

#include <cstdint>
#include <exception>
#include <source_location>
#include <string>

namespace kora {

// Every number the code raises, and why. The numbers are the familiar run-time
// error numbers, so the handler tables (handler.h) can name them.
namespace err {
inline constexpr int32_t InvalidCall = 5;             // invalid procedure call or argument (missing key, bad argument)
inline constexpr int32_t Overflow = 6;                // number outside the 16-bit range of a reply field
inline constexpr int32_t SubscriptRange = 9;          // missing field, section, flag or array element
inline constexpr int32_t TypeMismatch = 13;           // text that is not a number where one is needed
inline constexpr int32_t FileNotFound = 53;           // a file that must exist does not
inline constexpr int32_t PathFileAccess = 75;         // a file or folder that cannot be created, deleted or written
inline constexpr int32_t PathNotFound = 76;           // a folder whose parent does not exist
inline constexpr int32_t ObjectNotSet = 91;           // a support component that start-up could not create
inline constexpr int32_t ControlArrayElement = 340;   // an option-group element that does not exist
inline constexpr int32_t ObjectAlreadyLoaded = 360;   // loading something that is loaded already
inline constexpr int32_t InvalidPropertyValue = 380;  // a value a control cannot take
inline constexpr int32_t CannotCreateObject = 429;    // a component ProgID that cannot be created
inline constexpr int32_t ObjectNoProperty = 438;      // a component that lacks an operation
inline constexpr int32_t InvalidPicture = 481;        // a button face file that is not a readable picture
inline constexpr int32_t KeyNotFound = 730;  // resumed by the profile load; also a form control that does not exist
inline constexpr int32_t Automation = 440;   // a component call that failed without a number
}  // namespace err

struct Failure {
    int32_t number = 0;
    std::string description;
    int32_t line = 0;
};

class RunError : public std::exception {
public:
    RunError(int32_t number, std::string description, int32_t line) : failure_{number, std::move(description), line} {}
    const Failure& failure() const noexcept { return failure_; }
    Failure& failure() noexcept { return failure_; }
    const char* what() const noexcept override { return failure_.description.c_str(); }

private:
    Failure failure_;
};

// The standard description of a number, as the handler tables know it.
std::string describe(int32_t number);

// Runs a call whose failure must not end what is under way (a report, a
// tidying up after another failure): whatever it raises is dropped.
template <class F>
void quietly(F&& call) noexcept {
    try {
        call();
    } catch (...) {}
}

[[noreturn]] void raise(int32_t number, std::string description = {},
                        std::source_location where = std::source_location::current());

}  // namespace kora
