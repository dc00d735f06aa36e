// The module every operation runs in: the state the operations share, the
// services through which the core reaches the outside world, and the form.
// One Module exists per host thread that uses the library (on Windows: one,
// for the host's user-interface thread). It lives beside the handler
// convention because every operation reports through it; the form is known
// here only by name (form/form_window.h), so this layer stays below the form.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/services.h"
#include "errors/session.h"
#include "errors/show_message.h"

namespace kora {

class FormWindow;

struct ModuleState {
    std::string basePath;  // no trailing "\"
    std::shared_ptr<UtilityComponent> utility;
    std::shared_ptr<CodecComponent> codec;
    int32_t hostIndex = 0;
    std::string serverKey;
    Session session;
    std::shared_ptr<PrivilegeCollection> privileges;
};

class Module {
public:
    struct Services {
        std::shared_ptr<FileService> files;
        std::shared_ptr<MessageBoxes> boxes;
        std::shared_ptr<FileDialogs> dialogs;
        // Creates and loads the form on first use (Form_Load runs inside).
        // Shared only so that this layer need not know the form's type; the
        // module is its one owner.
        std::function<std::shared_ptr<FormWindow>(Module&)> createForm;
        // Whether the form's window still exists (the host may destroy it with
        // its own); unset: always.
        std::function<bool(FormWindow&)> formWindowExists{};
    };

    // An operation in progress. Message boxes and file dialogs pump messages,
    // so the host may call in, release its objects or ask to unload the
    // library while one is open: a busy module is neither released nor rid
    // of a retired form, which an operation further up the stack may hold.
    class Operation {
    public:
        explicit Operation(Module& module) : module_(module) { ++module_.operations_; }
        ~Operation() { --module_.operations_; }
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;

    private:
        Module& module_;
    };

    explicit Module(Services services) : services_(std::move(services)) {}

    ModuleState state;

    FormWindow& form();  // loads the form on first use
    bool formLoaded() const { return form_ != nullptr; }
    void unloadForm() { form_.reset(); }
    // The host destroyed the form's window with its own: the next use loads
    // a new form. The old one lives on while any operation runs.
    void retireForm();
    void dropRetiredForms();  // those no running operation can hold any more
    bool busy() const { return operations_ > 0; }
    // Whether `form` is still this module's form, with its window: what an
    // operation asks after a modal call before it goes on with the form.
    bool stillHolds(FormWindow& form) const;
    FileService& files() { return *services_.files; }
    MessageBoxes& boxes() { return *services_.boxes; }
    FileDialogs& dialogs() { return *services_.dialogs; }
    UtilityComponent& utility();  // raises 91 when start-up could not create it
    CodecComponent& codec();      // likewise

    void showMessage(MessageKind kind, std::string_view text, const Failure* failure = nullptr, int32_t line = 0);

private:
    Services services_;
    std::shared_ptr<FormWindow> form_;
    std::vector<std::shared_ptr<FormWindow>> retired_;
    int operations_ = 0;
};

}  // namespace kora
