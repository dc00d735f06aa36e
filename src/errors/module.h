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

#include "base/services.h"
#include "errors/show_message.h"

namespace kora {

class FormWindow;

// What the next answer from the server is: the settings reply that
// LoadInterface asked for, or the confirmation of an update.
enum class ReplyMode : uint8_t { None, LoadForm, UpdateSettings };

struct ModuleState {
    std::string basePath;  // no trailing "\"
    std::shared_ptr<UtilityComponent> utility;
    std::shared_ptr<CodecComponent> codec;
    int32_t hostIndex = 0;
    std::string serverKey;
    ReplyMode replyMode = ReplyMode::None;
    bool noDataReceived = false;
    // Set when a settings reply was decoded into the form since the last
    // LoadInterface; Update refuses to send while it is false.
    bool haveServerSettings = false;
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
    };

    explicit Module(Services services) : services_(std::move(services)) {}

    ModuleState state;

    FormWindow& form();  // loads the form on first use
    bool formLoaded() const { return form_ != nullptr; }
    void unloadForm() { form_.reset(); }
    // The host destroyed the form's window with its own: the next use loads
    // a new form. The old one is kept until the next retirement, since a call
    // further up the stack (a modal box's loop) may still hold it.
    void retireForm() { retired_ = std::move(form_); }
    FileService& files() { return *services_.files; }
    MessageBoxes& boxes() { return *services_.boxes; }
    FileDialogs& dialogs() { return *services_.dialogs; }
    UtilityComponent& utility();  // raises 91 when start-up could not create it
    CodecComponent& codec();      // likewise

    void showMessage(MessageKind kind, std::string_view text, const Failure* failure = nullptr, int32_t line = 0);

private:
    Services services_;
    std::shared_ptr<FormWindow> form_;
    std::shared_ptr<FormWindow> retired_;
};

}  // namespace kora
