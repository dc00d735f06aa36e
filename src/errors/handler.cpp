#include "errors/handler.h"

#include <exception>
#include <new>

#include "errors/module.h"

namespace kora {

Failure currentFailure() {
    try {
        throw;
    } catch (const RunError& e) {
        return e.failure();
    } catch (const std::bad_alloc&) {
        return {7, "Out of memory", 0};
    } catch (const std::exception& e) {
        return {err::Automation, e.what(), 0};
    } catch (...) {
        return {err::Automation, describe(err::Automation), 0};
    }
}

bool Handler::run(const std::function<void()>& body, const std::function<void()>& cleanUp,
                  const std::function<void(Failure&)>& adjust) const {
    Failure failure;
    bool ending = false;
    try {
        body();
        return true;
    } catch (const EndingError& e) {
        failure = e.failure();
        ending = true;
    } catch (...) {
        failure = currentFailure();
    }
    if (!ending) {
        if (failure.number == 0) return false;
        // A resumed number that escaped a step was raised where no step could go on:
        // the operation simply ends there, unreported.
        if (resumes(failure.number)) return false;
    }
    try {
        if (cleanUp) cleanUp();
        if (adjust) adjust(failure);
        module_.showMessage(MessageKind::DllError, operation_, &failure, failure.line);
    } catch (...) {
        // Reporting must never raise further.
    }
    return false;
}

}  // namespace kora
