// The module state every operation shares, and the services through which
// the core reaches the outside world. One Module exists per host thread that
// uses the library (on Windows: one, for the host's user-interface thread).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "errors/show_message.h"
#include "form/form.h"
#include "plugin/components.h"

namespace kora {

// The settings form as a window: what the operations need beyond its controls.
class FormWindow : public Form {
public:
    virtual void setParentWindow(uint64_t hwnd) = 0;  // SetParent
    virtual void show() = 0;                           // not modal
    virtual void hide() = 0;
    virtual void selectTab(int tab) = 0;
    static constexpr int kDefaultPointer = 0;
    static constexpr int kHourglass = 11;
    virtual void setMousePointer(int pointer) = 0;     // kDefaultPointer or kHourglass
    // Shows an image button pressed ("Down") or released (anything else).
    virtual void setButtonState(std::string_view pictureName, std::string_view state) = 0;
};

// The common Open/Save dialog cdSettings. Returns the chosen file, or "" when cancelled.
struct FileDialogRequest {
    bool save = false;
    std::string title;
    std::string filter;       // "Server Settings File (*.ssf)|*.ssf"
    std::string initialDir;
    uint32_t flags = 0;       // 0xC0804
};
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual std::string ask(const FileDialogRequest& request) = 0;
};

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
        std::function<std::unique_ptr<FormWindow>(Module&)> createForm;
    };

    explicit Module(Services services) : services_(std::move(services)) {}

    ModuleState state;

    FormWindow& form();                 // loads the form on first use
    bool formLoaded() const { return form_ != nullptr; }
    void unloadForm() { form_.reset(); }
    FileService& files() { return *services_.files; }
    MessageBoxes& boxes() { return *services_.boxes; }
    FileDialogs& dialogs() { return *services_.dialogs; }
    UtilityComponent& utility();        // raises 91 when start-up could not create it
    CodecComponent& codec();            // likewise

    void showMessage(MessageKind kind, std::string_view text, const Failure* failure = nullptr,
                     int32_t line = 0);

private:
    Services services_;
    std::unique_ptr<FormWindow> form_;
};

}  // namespace kora
