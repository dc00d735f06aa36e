// The handler convention, as one reusable piece: an operation runs its body
// under a named handler; listed numbers are resumed at the step that raised
// them (wrap each resumable statement in `step`; `ending` marks a statement
// whose failure is never resumed), number 0 leaves quietly,
// anything else runs the clean-up, is reported as a DllError under the
// operation's name, and ends the operation. Nothing is raised further.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string_view>

#include "errors/failure.h"
#include "errors/module.h"

namespace kora {

// A failure that no handler resumes (see Handler::ending).
class EndingError : public RunError {
public:
    explicit EndingError(const Failure& f) : RunError(f.number, f.description, f.line) {}
};

// The numbers a handler resumes. The list is written where the handler is,
// so a list longer than there is room for fails to compile.
class ResumedNumbers {
public:
    static constexpr size_t kCapacity = 4;
    consteval ResumedNumbers(std::initializer_list<int32_t> numbers) {
        if (numbers.size() > kCapacity) throw "a handler resumes at most four numbers";
        for (int32_t n : numbers) numbers_[count_++] = n;
    }
    bool contains(int32_t number) const {
        for (size_t i = 0; i < count_; ++i)
            if (numbers_[i] == number) return true;
        return false;
    }

private:
    std::array<int32_t, kCapacity> numbers_{};
    size_t count_ = 0;
};

class Handler {
public:
    Handler(Module& module, std::string_view operation, ResumedNumbers resumed)
        : module_(module), running_(module), operation_(operation), resumed_(resumed) {}

    // Runs one statement; a resumed number is swallowed and execution goes on.
    template <class F>
    void step(F&& statement) const {
        try {
            statement();
        } catch (const EndingError&) {
            throw;
        } catch (const RunError& e) {
            if (!resumes(e.failure().number)) throw;
        }
    }

    // Runs a statement whose failure ends the operation whatever its number:
    // neither `step` nor `run` resumes it, and it is reported.
    template <class F>
    static decltype(auto) ending(F&& statement) {
        try {
            return statement();
        } catch (const EndingError&) {
            throw;
        } catch (const RunError& e) {
            throw EndingError(e.failure());
        }
    }
    bool resumes(int32_t number) const { return resumed_.contains(number); }

    // Runs the operation's body under the handler. `adjust` may rewrite the
    // failure before it is reported (RemoteData appends the data), `cleanUp`
    // runs before the report. Returns true when the body ran to its end.
    bool run(const std::function<void()>& body, const std::function<void()>& cleanUp = {},
             const std::function<void(Failure&)>& adjust = {}) const;

private:
    Module& module_;
    Module::Operation running_;
    std::string_view operation_;
    ResumedNumbers resumed_;
};

// Turns anything thrown into a Failure (a RunError as it is, anything else as
// an automation error with its text).
Failure currentFailure();

}  // namespace kora
