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

namespace kora {

class Module;

// A failure that no handler resumes (see Handler::ending).
class EndingError : public RunError {
public:
    explicit EndingError(const Failure& f) : RunError(f.number, f.description, f.line) {}
};

class Handler {
public:
    Handler(Module& module, std::string_view operation, std::initializer_list<int32_t> resumed)
        : module_(module), operation_(operation) {
        for (int32_t n : resumed)
            if (count_ < resumed_.size()) resumed_[count_++] = n;
    }

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
    bool resumes(int32_t number) const;

    // Runs the operation's body under the handler. `adjust` may rewrite the
    // failure before it is reported (RemoteData appends the data), `cleanUp`
    // runs before the report. Returns true when the body ran to its end.
    bool run(const std::function<void()>& body,
             const std::function<void()>& cleanUp = {},
             const std::function<void(Failure&)>& adjust = {}) const;

private:
    Module& module_;
    std::string_view operation_;
    std::array<int32_t, 4> resumed_{};
    size_t count_ = 0;
};

// Turns anything thrown into a Failure (a RunError as it is, anything else as
// an automation error with its text).
Failure currentFailure();

}  // namespace kora
