#include "exchange/channel.h"

namespace kora {

std::string replyFilePath(std::string_view basePath, std::string_view command) {
    return std::string(basePath) + "\\RCData\\reply_zelKORA_" + std::string(command) + ".txt";
}

std::string requestText(std::string_view command, std::string_view serverKey, int32_t hostIndex,
                        std::optional<std::string_view> payload) {
    std::string text =
        "Plugin_zelKORA_" + std::string(command) + '_' + std::string(serverKey) + "_VB6_" + std::to_string(hostIndex);
    if (payload) text.append("_").append(*payload);
    return text;
}

void sendCommand(Module& module, std::string_view command, std::optional<std::string_view> payload) {
    const ModuleState& s = module.state;
    const std::string replyFile = replyFilePath(s.basePath, command);
    const std::string folder = s.basePath + "\\RCData";
    FileService& files = module.files();
    if (!files.folderExists(folder)) files.createFolder(folder);
    if (files.fileExists(replyFile)) files.deleteFile(replyFile);
    files.createTextFile(replyFile);
    module.utility().writeFile(replyFile, requestText(command, s.serverKey, s.hostIndex, payload));
}

}  // namespace kora
