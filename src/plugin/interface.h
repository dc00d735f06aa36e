// The host's calls into the core: the start-up ("SubMain") and LoadInterface.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "errors/module.h"
#include "form/form_window.h"

namespace kora {

// BasePath from the host executable's full path: its folder, no trailing "\";
// a path without any "\" gives "".
std::string basePathFromHost(std::string_view hostExePath);
// BasePath in DevelopmentMode: the plug-in's own folder with every "\Plugins",
// then every "\plugins", then every "\dlls\Korastand" removed (case-sensitive).
std::string basePathForDevelopment(std::string_view pluginFolder);

struct StartUpInputs {
    bool developmentMode = false;
    std::function<std::string()> hostExePath;   // full path of the host executable
    std::function<std::string()> pluginFolder;  // folder of zelrcKORA.dll
    // Each creates its component by ProgID or raises (429 when it cannot).
    std::function<std::shared_ptr<UtilityComponent>()> createUtility;
    std::function<std::shared_ptr<CodecComponent>()> createCodec;
};

// Runs once when the host first creates the plug-in object; reports its own
// failures under "SubMain" and never raises.
void startUp(Module& module, const StartUpInputs& inputs);

// Element i of the host's PDAT, as text; raises 13 when PDAT is not an array
// and 9 when the element does not exist.
using PdatElement = std::function<std::string(int index)>;

// Reports its own failures under "LoadInterface" (360 ignored); never raises.
void loadInterface(Module& module, int32_t index, uint64_t hostWindow, const PdatElement& pdat);

}  // namespace kora
